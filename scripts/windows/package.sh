#!/usr/bin/env bash
# Packs the Windows build BUILD (build-windows by default) into BUILD/package/:
#   trawl-<version>-setup.exe        the installer (NSIS, data/windows/trawl.nsi)
#   trawl-<version>-windows-x64.zip  a portable copy: trawl.exe, trawl-catalogue-server.exe,
#                                    LICENSE.txt, readme.txt
# <version> is the project version the build was configured with; a build for a picture
# site (TRAWL_SITE_NAME, scripts/site-build.sh) is packed as trawl-NAME-<version>. A build without
# trawl.exe or trawl-catalogue-server.exe is made first (scripts/windows/build.sh); an
# existing one is taken as it is.
#
#   scripts/windows/package.sh [BUILD]
set -euo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$source_root/build-windows}")
windows_data=$source_root/data/windows

server=$build/tools/catalogue-server/trawl-catalogue-server.exe
[ -f "$build/app/trawl.exe" ] && [ -f "$server" ] || "$source_root/scripts/windows/build.sh" "$build"
# makensis comes with the build's tools.
command -v makensis >/dev/null || "$source_root/scripts/windows/build-deps.sh" "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
if ! [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]]; then
  echo "package: no X.Y.Z project version in $build/CMakeCache.txt (\"$version\")" >&2
  exit 1
fi

site=$(sed -n 's/^TRAWL_SITE_NAME:[A-Z]*=//p' "$build/CMakeCache.txt")
product=trawl${site:+-$site}
site_define=()
[ -z "$site" ] || site_define=(-DSITE="$site")

out=$build/package
stage=$out/stage
rm -rf "$stage"
mkdir -p "$stage"
# The last commit's time stands for every file's time (and the program's link time), so
# that the same build packs into the same bytes.
stamp=$(git -C "$source_root" log -1 --format=%ct 2>/dev/null || date +%s)
# Shipped without debug information, as the Debian package is.
SOURCE_DATE_EPOCH=$stamp x86_64-w64-mingw32-strip -o "$stage/trawl.exe" "$build/app/trawl.exe"
SOURCE_DATE_EPOCH=$stamp x86_64-w64-mingw32-strip -o "$stage/trawl-catalogue-server.exe" "$server"
cp "$build/app/trawl.ico" "$stage/trawl.ico"
# Text files with Windows line ends, for any editor there.
sed 's/$/\r/' "$source_root/LICENSE" >"$stage/LICENSE.txt"
sed "s/@PROJECT_VERSION@/$version/g; s/\$/\r/" "$windows_data/readme.txt" >"$stage/readme.txt"
touch -d "@$stamp" "$stage"/*

setup=$out/$product-$version-setup.exe
zip=$out/$product-$version-windows-x64.zip
rm -f "$setup" "$zip"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "${site_define[@]}" \
  "$windows_data/trawl.nsi"

python3 - "$zip" "$stage" trawl.exe trawl-catalogue-server.exe LICENSE.txt readme.txt <<'EOF'
import os, sys, time, zipfile
archive, stage, names = sys.argv[1], sys.argv[2], sys.argv[3:]
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for name in names:
        path = os.path.join(stage, name)
        entry = zipfile.ZipInfo(name, time.gmtime(os.stat(path).st_mtime)[:6])
        entry.compress_type = zipfile.ZIP_DEFLATED
        entry.external_attr = 0o644 << 16
        with open(path, "rb") as f:
            z.writestr(entry, f.read())
EOF
rm -rf "$stage"
for f in "$setup" "$zip"; do
  echo "package: $f ($(($(stat -c %s "$f") / 1024)) KiB)"
done
