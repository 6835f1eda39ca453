# Shared by the scripts that run Windows programs under Wine: the environment and a prefix
# of our own under the build folder, made once, without crash dialogs (a crashing program
# would wait for a click), with Wine's own fonts where Windows programs look for them.
# Source it after setting `build`; it defines `wine`, `make_wine_prefix` and
# `wine_user_command`.
# shellcheck shell=bash
wine=/usr/lib/wine/wine64
export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
# Shortcuts made in the prefix (the installer's Start-menu entry) stay there, without menu
# entries on the desktop of whoever runs the scripts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

# wine_user_command USER: sets the array `as_user` to the command prefix that runs a
# command as the ordinary USER with these settings and a login's environment, but with a
# prefix of USER's own, ~USER/.wine: Wine refuses a prefix its user does not own.
wine_user_command() {
  local home
  home=$(getent passwd "$1" | cut -d: -f6)
  as_user=(runuser -u "$1" -- env -i HOME="$home" USER="$1" LOGNAME="$1"
    PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DISPLAY="${DISPLAY:-}"
    WINEPREFIX="$home/.wine" WINEDEBUG="$WINEDEBUG" WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
    WINEARCH="$WINEARCH")
}

# make_wine_prefix [USER]: our prefix, or with USER that user's own (as USER).
make_wine_prefix() {
  local as_user=() prefix=$WINEPREFIX
  if [ -n "${1:-}" ]; then
    wine_user_command "$1"
    prefix=$(getent passwd "$1" | cut -d: -f6)/.wine
  fi
  [ -f "$prefix/system.reg" ] && return 0
  echo "wine: making the prefix $prefix"
  local start=$SECONDS
  "${as_user[@]}" "$wine" wineboot -i >/dev/null 2>&1
  "${as_user[@]}" /usr/lib/wine/wineserver -w
  "${as_user[@]}" "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "${as_user[@]}" mkdir -p "$prefix/drive_c/windows/Fonts"
  "${as_user[@]}" cp -n /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
  "${as_user[@]}" /usr/lib/wine/wineserver -w
  echo "wine: prefix ready in $((SECONDS - start)) s"
}
