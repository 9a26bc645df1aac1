#!/usr/bin/env bash
# sign.sh FILE DESCRIPTION: signs FILE (a PE binary or a Windows Installer package) in place with
# ORB_SIGN_CERT and ORB_SIGN_KEY (PEM), as Windows XP SP3 to 7 check it: a SHA-1 Authenticode
# signature, which every one of them verifies, with a SHA-256 signature nested beside it, which
# Windows 7 with its updates (and later) prefers. With ORB_TIMESTAMP_URL (an RFC 3161 time-stamp
# server) each of the two is countersigned with the server's time, so that both still verify after
# the signing certificate has expired. scripts/package.sh and scripts/build-msi.sh sign with it.
set -euo pipefail
file=${1:?usage: sign.sh FILE DESCRIPTION} description=${2:?}
: "${ORB_SIGN_CERT:?}" "${ORB_SIGN_KEY:?}"
timestamp=()
[ -z "${ORB_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$ORB_TIMESTAMP_URL")
sign() {  # sign IN OUT [OPTIONS...]
  osslsigncode sign -certs "$ORB_SIGN_CERT" -key "$ORB_SIGN_KEY" -n "$description" "${timestamp[@]}" \
    "${@:3}" -in "$1" -out "$2" >/dev/null
}
sign "$file" "$file.sha1" -h sha1
sign "$file.sha1" "$file.signed" -nest -h sha256
rm -f "$file.sha1"
mv "$file.signed" "$file"
