# Shared by the scripts that run Windows programs under Wine: the environment and a prefix
# of our own under the build folder, made once, without crash dialogs (a crashing program
# would wait for a click), with Wine's own fonts where Windows programs look for them.
# Source it after setting `build`; it defines `wine` and `make_wine_prefix`.
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
