#!/usr/bin/env bash
# build-msi.sh KIT MSI VERSION x86|x64 [NAME]: the Windows Installer package of the unpacked KIT
# (its bin/, tools/ and installer/*.wxs) into MSI, with wixl; scripts/package.sh runs it for every
# kit, the kit test for the versions it installs. VERSION is the binaries' major.minor.patch.build;
# the package's product version is major.minor.build (Windows Installer compares three parts, and
# the build number rises with every commit), its product code a hash of that and the platform.
# NAME is the product name that Add or Remove Programs shows (default "ORB support layer").
# What wixl 0.101 gets wrong or leaves out is set here from the .wxs files and the binaries: it
# places a custom action at a sequence number that changes from
# run to run whatever its Before or Sequence says (each action's Sequence is set here); it leaves
# the File table's versions empty (set from each binary's version resource, so that Windows
# Installer's file-versioning rules see them). With ORB_SIGN_CERT and ORB_SIGN_KEY set, the
# package is signed as the binaries are (scripts/sign.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
kit=${1:?usage: build-msi.sh KIT MSI VERSION x86|x64 [NAME]} msi=${2:?} version=${3:?} arch=${4:?}
name=${5:-ORB support layer}
[[ "$version" =~ ^([0-9]+)\.([0-9]+)\.[0-9]+\.([0-9]+)$ ]] || { echo "build-msi.sh: version $version is not a.b.c.d" >&2; exit 2; }
product_version=${BASH_REMATCH[1]}.${BASH_REMATCH[2]}.${BASH_REMATCH[3]}
case $arch in
  x86) win64=no ;;
  x64) win64=yes ;;
  *) echo "build-msi.sh: platform $arch is not x86 or x64" >&2; exit 2 ;;
esac
msi=$(realpath -m "$msi")
cd "$kit"
upgrade_code=$(sed -n 's/.*UpgradeCode="\([0-9A-F-]*\)".*/\1/p' installer/orb-support.wxs)
product_code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID(sys.argv[1]), sys.argv[2])).upper())' \
  "$upgrade_code" "$product_version $arch")
rm -f "$msi"
wixl -a "$arch" -D ProductVersion="$product_version" -D ProductCode="$product_code" -D ProductName="$name" \
  -D Win64="$win64" -o "$msi" installer/orb-support.wxs installer/orb-support-components.wxs

# What wixl gets wrong, as SQL: each custom action's place, each file's version (VS_FIXEDFILEINFO's file version, from the kit's binary).
python3 - installer/orb-support.wxs installer/orb-support-components.wxs >"$msi.sql" <<'PY'
import struct, sys, xml.etree.ElementTree as ET
ns = "{http://schemas.microsoft.com/wix/2006/wi}"
def file_version(path):
    data = open(path, "rb").read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit("build-msi.sh: no version resource in " + path)
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
for path in sys.argv[1:]:
    root = ET.fromstring(open(path, encoding="utf-8").read())
    for custom in root.iter(ns + "Custom"):
        if custom.get("Sequence") is None:
            sys.exit("build-msi.sh: custom action %s has no Sequence" % custom.get("Action"))
        print("UPDATE `InstallExecuteSequence` SET `Sequence` = %d WHERE `Action` = '%s'"
              % (int(custom.get("Sequence")), custom.get("Action")))
    for file in root.iter(ns + "File"):
        print("UPDATE `File` SET `Version` = '%s', `Language` = '1033' WHERE `File` = '%s'"
              % (file_version(file.get("Source")), file.get("Id")))
PY
while IFS= read -r query; do msibuild "$msi" -q "$query"; done <"$msi.sql"
rm -f "$msi.sql"

if [ -n "${ORB_SIGN_CERT:-}" ] && [ -n "${ORB_SIGN_KEY:-}" ]; then
  "$here/sign.sh" "$msi" "$name $product_version"
fi
