#!/usr/bin/env bash
# Installs the Debian packages Trawl needs to build, test and run, and any further
# packages named as arguments (the benchmark names its tools so). Safe to run again:
# packages that are already present are left alone.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  clang libclang-rt-14-dev llvm
  qt6-base-dev libxcb1-dev libcurl4-openssl-dev libexpat1-dev libjpeg62-turbo-dev libjemalloc-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev libssl-dev
  fonts-dejavu-core
  xvfb xdotool x11-apps x11-utils x11-xserver-utils imagemagick openbox wmctrl
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
