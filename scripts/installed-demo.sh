#!/usr/bin/env bash
# The installed package as a new user meets it. Makes the .deb (scripts/package-check.sh),
# installs it with apt, adds an ordinary user and runs the headless demo with the
# installed trawl as that user: every marked picture must land in ~USER/Pictures/Trawl/,
# which the first save makes. Screenshots and pictures go to BUILD_FOLDER/installed-demo/.
#
#   scripts/installed-demo.sh [--checked] [--keep]
#   --checked        take the package scripts/package-check.sh has just made and judged
#   TRAWL_DEMO_USER  the user to add (default user, so the folder reads
#                    /home/user/Pictures/Trawl/); it must not exist yet
#
# This changes the machine (a package, a user): run it as root where that is wanted, as
# CI does. At the end the user and the package go again, unless --keep or the package
# was installed before.
set -euo pipefail
cd "$(dirname "$0")/.."

keep=0
checked=0
for option in "$@"; do
  case $option in
    --keep) keep=1 ;;
    --checked) checked=1 ;;
    *) echo "usage: $0 [--checked] [--keep]" >&2; exit 2 ;;
  esac
done
build=${TRAWL_BUILD_DIR:-build}
user=${TRAWL_DEMO_USER:-user}
[ "$(id -u)" -eq 0 ] || { echo "installed-demo: run as root (it installs a package and adds a user)" >&2; exit 1; }
if getent passwd "$user" >/dev/null; then
  echo "installed-demo: user $user exists already; name a new one with TRAWL_DEMO_USER" >&2
  exit 1
fi

[ "$checked" = 1 ] || scripts/package-check.sh
deb=$(cd "$build/package" && echo "$PWD"/trawl_*.deb)
dpkg-query -W -f='${Status}' trawl 2>/dev/null | grep -q 'install ok installed' && had_trawl=1 || had_trawl=0

undo() {
  [ "$keep" = 1 ] && return
  userdel -r "$user" 2>/dev/null || true
  [ "$had_trawl" = 1 ] || apt-get remove -y -qq -o DPkg::Lock::Timeout=300 trawl >/dev/null || true
}
trap undo EXIT

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  -o DPkg::Lock::Timeout=300 "$deb" >/dev/null
echo "installed: $(dpkg-query -W -f='${Package} ${Version}' trawl), $(command -v trawl)"
useradd -m -s /bin/bash "$user"
echo "user: $user, home $(getent passwd "$user" | cut -d: -f6)"
scripts/demo-headless.sh --installed "$user" "$build/installed-demo"
ls -l "$(getent passwd "$user" | cut -d: -f6)/Pictures/Trawl/"
