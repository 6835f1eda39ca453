#!/usr/bin/env bash
# Builds Trawl for a picture site: derives the six service addresses from the site's base
# address and makes, for that site,
#   the Debian package       trawl-NAME_<version>_<arch>.deb
#   the Windows installer    trawl-NAME-<version>-setup.exe and -windows-x64.zip, where
#                            the Windows toolchain (mingw-w64) is installed
# in OUT (default build-site-NAME), with the site's name in the packages' names, so that
# site builds can be told apart. The site itself is made with the catalogue server's
# export, whose command this prints:
#
#   trawl-catalogue-server --export DIR --base-url URL [--catalogue-path PATH]
#
# Usage: scripts/site-build.sh --base-url URL [--name NAME] [--out OUT] [--no-windows]
#                              [--print]
#   URL    http:// or https://, a host, maybe a path; no query, fragment or blanks
#   NAME   lower-case letters, digits and '-' (default: made from URL's host)
#   --print  prints the settings and the export command only, builds nothing
#
# The catalogue prefix must be exactly 35 characters: it is the first 35 characters of
# the catalogue folder's address, URL + /trawl/catalog. For a short URL a longer
# catalogue path is chosen, and the script says so.
set -euo pipefail
source_root=$(cd "$(dirname "$0")/.." && pwd)
source "$source_root/scripts/lib/site-addresses.sh"

# usage [CODE]: the usage lines above, on standard error unless CODE is 0.
usage() {
  local code=${1:-2}
  if [ "$code" = 0 ]; then exec 3>&1; else exec 3>&2; fi
  sed -n '13,17s/^# \{0,1\}//p' "$0" >&3
  exit "$code"
}

url="" name="" out="" windows=auto print_only=""
while [ $# -gt 0 ]; do
  case $1 in
    --base-url) url=${2-}; shift 2 || usage ;;
    --base-url=*) url=${1#*=}; shift ;;
    --name) name=${2-}; shift 2 || usage ;;
    --name=*) name=${1#*=}; shift ;;
    --out) out=${2-}; shift 2 || usage ;;
    --out=*) out=${1#*=}; shift ;;
    --no-windows) windows=no; shift ;;
    --print) print_only=yes; shift ;;
    -h | --help) usage 0 ;;
    *) echo "site-build: unknown argument: $1" >&2; usage ;;
  esac
done
[ -n "$url" ] || { echo "site-build: --base-url is needed" >&2; usage; }
site_addresses "$url" "$name" || exit 2
out=$(realpath -m "${out:-$source_root/build-site-$site_name}")

settings=(
  -DTRAWL_CONNECTIVITY_FIRST="$site_connectivity_first"
  -DTRAWL_CONNECTIVITY_SECOND="$site_connectivity_second"
  -DTRAWL_CATALOGUE_PREFIX="$site_catalogue_prefix"
  -DTRAWL_FIRST_TEMPLATE="$site_first_template"
  -DTRAWL_SECOND_TEMPLATE="$site_second_template"
  -DTRAWL_TEMPLATE_SUFFIX=.xml
  -DTRAWL_SITE_NAME="$site_name"
  -DTRAWL_SITE_URL="$site_url"
  -DTRAWL_BUILD_TESTS=OFF
  -DTRAWL_BUILD_BENCHMARKS=OFF
)
echo "site-build: $site_name at $site_url"
[ -z "$site_note" ] || echo "site-build: $site_note"
for setting in "${settings[@]:0:6}"; do echo "  ${setting#-D}"; done
export_command=(trawl-catalogue-server --export DIR --base-url "$site_url")
[ "$site_catalogue_path" = "$site_default_catalogue_path" ] ||
  export_command+=(--catalogue-path "$site_catalogue_path")
echo "site-build: make the site with: ${export_command[*]} [--folder PICTURES]"
[ -z "$print_only" ] || exit 0

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
"$source_root/scripts/install-deps.sh"
cmake -S "$source_root" -B "$out/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "${launcher[@]}" "${settings[@]}" >/dev/null
cmake --build "$out/linux" --target trawl trawl-catalogue-server trawl_package_files \
  -j "$(nproc)" >/dev/null
rm -rf "$out/linux/package"
cpack --config "$out/linux/CPackConfig.cmake" -B "$out/linux/package" >/dev/null
packages=("$out"/linux/package/*.deb)

if [ "$windows" = auto ] && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  # The Windows libraries take long to build: those of the usual Windows build are used
  # when it has them.
  mkdir -p "$out/windows"
  if [ -d "$source_root/build-windows/deps" ] && [ ! -e "$out/windows/deps" ]; then
    ln -s "$source_root/build-windows/deps" "$out/windows/deps"
  fi
  "$source_root/scripts/windows/build.sh" "$out/windows" "${settings[@]}" >/dev/null
  "$source_root/scripts/windows/package.sh" "$out/windows" >/dev/null
  packages+=("$out"/windows/package/*)
fi
echo "site-build: hand these to the site's users:"
printf '  %s\n' "${packages[@]}"
