#!/usr/bin/env bash
# check-raid-tool.sh TOOL: may TOOL ship inside a release orb2.dll as Intel's RAID Configuration
# Utility? scripts/package.sh --release asks before it builds. Exits 0, or prints one line that
# says why not and exits with the reason's own code:
#   4  TOOL is this project's stand-in (the marker in its version resource,
#      testing/standins/raidcfg32/raidcfg32_version.rc)
#   5  TOOL is not a 32-bit Windows console program (PE32, subsystem "Windows CUI"), as Intel's is
#   6  TOOL's version resource does not name Intel as its company, and ORB_RAIDCFG32_SHA256 is not
#      TOOL's SHA-256 (the release engineer names the exact file to accept a tool without one)
#   2  usage, or TOOL cannot be read
# The version resource's texts are UTF-16; `strings -el` prints each key and its value on
# consecutive lines.
set -uo pipefail
[ $# -eq 1 ] || { echo "usage: check-raid-tool.sh TOOL" >&2; exit 2; }
tool=$1
[ -f "$tool" ] && [ -r "$tool" ] || { echo "check-raid-tool.sh: cannot read $tool" >&2; exit 2; }

marker="ORB raidcfg32.exe stand-in: not for release"
texts=$(strings -el "$tool")
if grep -qxF "$marker" <<<"$texts"; then
  echo "$tool is this project's raidcfg32.exe stand-in, not Intel's RAID Configuration Utility" >&2
  exit 4
fi

headers=$(i686-w64-mingw32-objdump -p "$tool" 2>/dev/null)
if ! grep -qE '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" ||
   ! grep -qE '^Subsystem[[:space:]]+00000003[[:space:]]+\(Windows CUI\)' <<<"$headers"; then
  echo "$tool is not a 32-bit Windows console program (PE32, Windows CUI) as Intel's raidcfg32.exe is" >&2
  exit 5
fi

company=$(grep -A1 -xF CompanyName <<<"$texts" | sed -n 2p | cut -c1-100)  # the file's text: cut
if [[ "$company" != Intel* ]]; then
  sum=$(sha256sum "$tool" | cut -d' ' -f1)
  if [ "${ORB_RAIDCFG32_SHA256:-}" != "$sum" ]; then
    echo "$tool names ${company:+\"$company\"}${company:-no company} in its version resource, not Intel;" \
         "to ship it all the same, set ORB_RAIDCFG32_SHA256=$sum" >&2
    exit 6
  fi
fi
exit 0
