# Shared by the scripts that run Windows programs under Wine: the environment and a prefix
# of our own under the build folder, made once, without crash dialogs (a crashing program
# would wait for a click), with Wine's own fonts where Windows programs look for them.
# Source it after setting `build`; it defines `wine` and `make_wine_prefix`, and for runs as
# an ordinary user `ordinary_user_prefix` and `as_ordinary_user`.
# shellcheck shell=bash
wine=/usr/lib/wine/wine64
export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
# Shortcuts made in the prefix (the installer's Start-menu entry) stay there, without menu
# entries on the desktop of whoever runs the scripts.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEARCH=win64

make_wine_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  echo "wine: making the prefix $WINEPREFIX"
  local start=$SECONDS
  "$wine" wineboot -i >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  /usr/lib/wine/wineserver -w
  echo "wine: prefix ready in $((SECONDS - start)) s"
}

# ordinary_user_command USER PREFIX: sets `command` to what runs a Windows program (or a
# Wine tool) as USER in PREFIX, with this environment's display and Wine settings only.
ordinary_user_command() {
  local home
  home=$(getent passwd "$1" | cut -d: -f6)
  command=(runuser -u "$1" -- env -i HOME="$home" USER="$1" LOGNAME="$1" PATH=/usr/bin:/bin
    LANG=C.UTF-8 DISPLAY="${DISPLAY:-}" WINEPREFIX="$2" WINEDEBUG="$WINEDEBUG"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES" WINEARCH="$WINEARCH")
}

# as_ordinary_user USER PREFIX [NAME=VALUE...] COMMAND...: runs it that way.
as_ordinary_user() {
  local -a command
  ordinary_user_command "$1" "$2"
  shift 2
  "${command[@]}" "$@"
}

# ordinary_user_prefix USER: makes USER when missing, and a prefix of its own under its
# home (Wine refuses a prefix its user does not own), made once; prints the prefix.
ordinary_user_prefix() {
  local user=$1 home prefix
  id "$user" >/dev/null 2>&1 || useradd -m -s /bin/bash "$user" || return 1
  home=$(getent passwd "$user" | cut -d: -f6)
  prefix=$home/wine-prefix
  if [ ! -f "$prefix/system.reg" ]; then
    as_ordinary_user "$user" "$prefix" "$wine" wineboot -i >/dev/null 2>&1
    as_ordinary_user "$user" "$prefix" /usr/lib/wine/wineserver -w
    as_ordinary_user "$user" "$prefix" "$wine" reg add 'HKCU\Software\Wine\WineDbg' \
      /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  fi
  [ -f "$prefix/system.reg" ] && echo "$prefix"
}
