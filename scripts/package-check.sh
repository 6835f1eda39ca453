#!/usr/bin/env bash
# Judges the Debian package and the desktop files with Debian's own tools, as CI does:
#   desktop-file-validate  the menu entry
#   appstreamcli validate --no-net  the AppStream metainfo (a reverse-DNS id)
#   lintian                the built .deb; any error or warning fails the check
# and runs the packaged trawl with --version and --help, without a display: each must
# print one line (the version being the package's) and open no window.
#
#   scripts/package-check.sh        the package lands in BUILD_FOLDER/package/
#   TRAWL_BUILD_DIR  the build folder (default build)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TRAWL_BUILD_DIR:-build}
scripts/install-deps.sh desktop-file-utils appstream lintian
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target trawl trawl-catalogue-server trawl_package_files -j "$(nproc)" >/dev/null
rm -rf "$build/package"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if ! cpack --config "$build/CPackConfig.cmake" -B "$build/package" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
deb=$(echo "$build"/package/trawl_*.deb)

desktop-file-validate "$build"/packaging/*.desktop
echo "desktop-file-validate: $(basename "$build"/packaging/*.desktop) passes"
appstreamcli validate --no-net "$build"/packaging/*.metainfo.xml
# Informational tags are shown too. lintian's note on being run as root (CI is) says
# nothing about the package.
lintian_status=0
lintian --display-info --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
[ "$lintian_status" = 0 ] || { echo "package-check: lintian fails $deb" >&2; exit 1; }
echo "lintian: $(basename "$deb") has no errors or warnings"

# The packaged program answers on the terminal, with no display to open a window on.
dpkg-deb -x "$deb" "$work/root"
version=$(dpkg-deb -f "$deb" Version)
answer() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb timeout 10 "$work/root/usr/bin/trawl" "$1"; }
[ "$(answer --version)" = "trawl $version" ] || { echo "package-check: trawl --version: $(answer --version)" >&2; exit 1; }
[ "$(answer --help | wc -l)" = 1 ] || { echo "package-check: trawl --help is not one line" >&2; exit 1; }
echo "trawl --version: $(answer --version); --help: one line"
echo "package-check: $deb passes"
