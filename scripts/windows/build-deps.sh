#!/usr/bin/env bash
# Installs the Windows cross toolchain and tools, then cross-builds the libraries Trawl
# links on Windows from Debian's own source packages (nothing is vendored):
#   nghttp2 (HTTP/2), curl (Schannel, HTTP only), expat, libjpeg-turbo (nasm SIMD), all
#   static;
#   GoogleTest from /usr/src/googletest and the cpp-httplib header for the test suites.
# The result goes to BUILD/deps/root (BUILD defaults to build-windows), one stamp per
# library holding the version it was built from: a run that finds every offered version
# already built does nothing.
#
#   scripts/windows/build-deps.sh [BUILD]
set -euo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$source_root/build-windows}")
deps=$build/deps
root=$deps/root
work=$deps/work
toolchain=$source_root/cmake/toolchain-mingw64.cmake
triplet=x86_64-w64-mingw32
jobs=$(nproc)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
# Other installs may run at the same time: wait for apt's locks rather than fail.
apt_get() { DEBIAN_FRONTEND=noninteractive $sudo apt-get -qq -o DPkg::Lock::Timeout=600 "$@"; }
say() { echo "build-deps: $*"; }

# --- tools ------------------------------------------------------------------------------
tools=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine64 fonts-wine nsis nasm
  cmake ninja-build dpkg-dev googletest xvfb xauth openssl python3
)
missing=()
for p in "${tools[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
apt_updated=0
if [ ${#missing[@]} -gt 0 ]; then
  say "installing ${missing[*]}"
  apt_get update
  apt_updated=1
  apt_get install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

# --- deb-src entries ----------------------------------------------------------------------
# Derived from the configured deb entries, so that source packages come from the same
# places and suites as the binary ones. Written to files of our own; existing files are
# left alone.
sources_dir=/etc/apt/sources.list.d
add_deb_src() {
  local list=() found
  # One-line format: every "deb" line without a matching "deb-src" line.
  list=(/etc/apt/sources.list "$sources_dir"/*.list)
  local one_line
  one_line=$(for f in "${list[@]}"; do [ -f "$f" ] && cat "$f"; done |
    awk '/^[[:space:]]*deb-src[[:space:]]/ { sub(/^[[:space:]]*deb-src/, "deb"); have[$0] = 1; next }
         /^[[:space:]]*deb[[:space:]]/ { sub(/^[[:space:]]*/, ""); want[++n] = $0 }
         END { for (i = 1; i <= n; i++) if (!(want[i] in have)) { line = want[i]; sub(/^deb/, "deb-src", line); print line } }')
  # deb822 format: every enabled stanza whose types hold "deb" but not "deb-src".
  local stanzas
  stanzas=$(for f in "$sources_dir"/*.sources; do
      [ -f "$f" ] && [ "$(basename "$f")" != trawl-deb-src.sources ] && { cat "$f"; echo; }
    done |
    awk 'BEGIN { RS = ""; ORS = "\n\n" }
         {
           n = split($0, line, "\n"); types = 0; out = ""
           for (i = 1; i <= n; i++) {
             if (line[i] ~ /^Enabled:[[:space:]]*[Nn]o/) next
             if (line[i] ~ /^Types:/) {
               if (line[i] ~ /deb-src/ || line[i] !~ /[[:space:]]deb([[:space:]]|$)/) next
               line[i] = "Types: deb-src"; types = 1
             }
             out = out (i > 1 ? "\n" : "") line[i]
           }
           if (types) print out
         }')
  found=0
  if [ -n "$one_line" ]; then
    echo "$one_line" | $sudo tee "$sources_dir/trawl-deb-src.list" >/dev/null
    found=1
  fi
  if [ -n "$stanzas" ]; then
    printf '%s\n' "$stanzas" | $sudo tee "$sources_dir/trawl-deb-src.sources" >/dev/null
    found=1
  fi
  return $((1 - found))
}

# The Debian version apt offers for a source package, without fetching anything.
offered_version() {
  apt-get source --print-uris -qq "$1" 2>/dev/null |
    sed -n "s|.*/$1_\([^/']*\)\.dsc'.*|\1|p" | head -n1 | sed 's/%2[bB]/+/g; s/%3[aA]/:/g'
}

if [ -z "$(offered_version curl)" ]; then
  if [ ! -f "$sources_dir/trawl-deb-src.sources" ] && [ ! -f "$sources_dir/trawl-deb-src.list" ]; then
    say "adding deb-src entries for the configured suites"
    add_deb_src || { say "no deb entries to derive deb-src entries from"; exit 1; }
  fi
  [ $apt_updated -eq 1 ] && [ -n "$(offered_version curl)" ] || { apt_get update; apt_updated=1; }
  [ -n "$(offered_version curl)" ] || { say "apt offers no source of curl"; exit 1; }
fi

# --- versions and stamps -------------------------------------------------------------------
stamps=$root/.stamps
built_version() { cat "$stamps/$1" 2>/dev/null || true; }

declare -A want
for p in nghttp2 curl expat libjpeg-turbo cpp-httplib; do
  want[$p]=$(offered_version "$p")
  [ -n "${want[$p]}" ] || { say "apt offers no source of $p"; exit 1; }
done
# curl is built against nghttp2: a new nghttp2 makes a new curl.
want[curl]="${want[curl]} with nghttp2 ${want[nghttp2]}"
want[googletest]=$(dpkg-query -W -f='${Version}' googletest)
want[toolchain]=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)

# A new compiler invalidates every library built with the old one.
if [ "$(built_version toolchain)" != "${want[toolchain]}" ]; then
  rm -rf "$root"
fi
todo=()
for p in nghttp2 curl expat libjpeg-turbo googletest cpp-httplib; do  # in dependency order
  [ "$(built_version "$p")" = "${want[$p]}" ] || todo+=("$p")
done
if [ ${#todo[@]} -eq 0 ]; then
  say "up to date in $root"
  exit 0
fi
mkdir -p "$stamps" "$work" "$deps/logs"
echo "${want[toolchain]}" >"$stamps/toolchain"

# --- building -----------------------------------------------------------------------------
# apt-get source into a fresh folder; prints the unpacked source folder. A source that the
# default suite lists but cannot deliver is taken from the release's own suite.
fetch_source() {
  local name=$1 dir=$work/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  (
    cd "$dir"
    if ! apt-get source -qq "$name" >/dev/null 2>"$deps/logs/$name.fetch"; then
      . /etc/os-release
      rm -rf "${dir:?}"/*
      apt-get source -qq "$name/$VERSION_CODENAME" >/dev/null 2>>"$deps/logs/$name.fetch"
    fi
  ) || { cat "$deps/logs/$name.fetch" >&2; return 1; }
  find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n1
}

cmake_build() {
  local name=$1 src=$2
  shift 2
  local log=$deps/logs/$name.log
  {
    cmake -S "$src" -B "$work/$name-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$root" \
      -DTRAWL_WINDOWS_DEPS="$root" -DBUILD_SHARED_LIBS=OFF "$@" &&
      nice -n 10 cmake --build "$work/$name-build" -j "$jobs" &&
      cmake --install "$work/$name-build"
  } >"$log" 2>&1 || { tail -n 40 "$log" >&2; say "$name failed, see $log"; return 1; }
}

build_nghttp2() {
  local src
  src=$(fetch_source nghttp2)
  # With both clocks found its time source calls a function it then leaves out: the
  # system's tick count is the clock on Windows.
  cmake_build nghttp2 "$src" -DENABLE_LIB_ONLY=ON -DENABLE_STATIC_LIB=ON -DENABLE_SHARED_LIB=OFF \
    -DENABLE_DOC=OFF -DENABLE_EXAMPLES=OFF -DENABLE_FAILMALLOC=OFF -DWITH_LIBXML2=OFF \
    -DWITH_JEMALLOC=OFF -DHAVE_CLOCK_GETTIME=OFF
}

build_curl() {
  local src
  src=$(fetch_source curl)
  # PICKY_COMPILER only adds warning flags, each probed with a compile of its own.
  cmake_build curl "$src" -DPICKY_COMPILER=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON \
    -DUSE_NGHTTP2=ON -DNGHTTP2_INCLUDE_DIR="$root/include" -DNGHTTP2_LIBRARY="$root/lib/libnghttp2.a" \
    -DCMAKE_C_FLAGS=-DNGHTTP2_STATICLIB -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_LIBIDN2=OFF \
    -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DENABLE_UNIX_SOCKETS=OFF \
    -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none
}

build_expat() {
  local src
  src=$(fetch_source expat)
  [ -f "$src/expat/CMakeLists.txt" ] && src=$src/expat
  # The code tests XML_DTD == 1, which a bare #cmakedefine leaves undefined in value.
  sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$src/expat_config.h.cmake"
  cmake_build expat "$src" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF
}

build_libjpeg-turbo() {
  local src
  src=$(fetch_source libjpeg-turbo)
  cmake_build libjpeg-turbo "$src" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=ON -DREQUIRE_SIMD=ON -DWITH_JPEG8=OFF
}

build_googletest() {
  cmake_build googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}

build_cpp-httplib() {
  # Header only when used without its compiled part; the test server needs nothing more.
  local src
  src=$(fetch_source cpp-httplib)
  install -D -m 644 "$src/httplib.h" "$root/include/httplib.h"
}

for p in "${todo[@]}"; do
  say "building $p ${want[$p]}"
  start=$SECONDS
  rm -f "$stamps/$p"
  "build_$p"
  echo "${want[$p]}" >"$stamps/$p"
  rm -rf "$work/$p" "$work/$p-build"
  say "$p done in $((SECONDS - start)) s"
done
say "installed in $root"
