#!/usr/bin/env bash
# Shows Trawl at work without a display: starts a virtual screen (Xvfb), the catalogue
# server with its sample pictures and Trawl, then drives Trawl like a user with xdotool:
# dismisses the start-up notice, asks for the sample catalogue, checks all rows from the
# list's popup menu and starts the download with the toolbar's second button. A
# screenshot of the screen is taken at each step.
#
#   scripts/demo-headless.sh [--neutral-home | --installed USER | --windows |
#                             --windows-user USER] [--readme] [OUTPUT_FOLDER]
#
#   (no option)       build/app/trawl, which saves next to itself (a build's folder takes
#                     files)
#   --neutral-home    build/app/trawl as a user sees an installed copy: in a private mount
#                     namespace its own folder is read-only and the home folder is
#                     /home/user, an empty temporary folder; pictures go to
#                     /home/user/Pictures/Trawl/, which the first save makes
#   --installed USER  the installed trawl and trawl-catalogue-server; Trawl runs as USER
#                     with a login's environment; pictures go to ~USER/Pictures/Trawl/
#   --windows         the Windows build's trawl.exe (build-windows/app, made by
#                     scripts/windows/build.sh) under Wine, saving next to itself, and
#                     its trawl-catalogue-server.exe under Wine
#   --windows-user USER  trawl.exe and trawl-catalogue-server.exe installed in C:\Program
#                     Files\Trawl of USER's own Wine prefix (~USER/.wine, made and
#                     installed by the caller, as scripts/windows/test.sh does), both run
#                     as USER; pictures go to C:\users\USER\Pictures\Trawl\
#   --readme          afterwards the filled list and the finished run, cut to the window,
#                     become docs/filled-list.png and docs/finished-run.png (with
#                     --windows: docs/windows-*.png)
#
# OUTPUT_FOLDER (default: BUILD_FOLDER/demo-output) receives step-NN-*.png, the
# downloaded pictures (pictures/), the server's request log and Trawl's output. Exits 0
# only when every row was downloaded: each picture of the catalogue is saved, marked (so
# no longer the served bytes) and a JPEG.
#   TRAWL_BUILD_DIR  the build folder (default build)
#   TRAWL_SERVER_PORT  the server's port (default 8917); it must be the port the build's
#                    service addresses name, since Trawl's addresses are build settings
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SERVER_PORT:-8917}
mode=build
user=""
readme=0
while [ $# -gt 0 ]; do
  case $1 in
    --neutral-home) mode=neutral; shift ;;
    --installed) mode=installed; user=${2:?--installed needs a user name}; shift 2 ;;
    --windows) mode=windows; shift ;;
    --windows-user) mode=windows-user; user=${2:?--windows-user needs a user name}; shift 2 ;;
    --readme) readme=1; shift ;;
    -*) echo "usage: $0 [--neutral-home | --installed USER | --windows | --windows-user USER]" \
      "[--readme] [OUTPUT_FOLDER]" >&2
      exit 2 ;;
    *) break ;;
  esac
done
out=${1:-$build/demo-output}

scripts/install-deps.sh
if [ "$mode" = installed ]; then
  server_program=$(command -v trawl-catalogue-server) || { echo "$0: trawl is not installed" >&2; exit 1; }
  home=$(getent passwd "$user" | cut -d: -f6)
  [ -n "$home" ] || { echo "$0: no user $user" >&2; exit 1; }
elif [ "$mode" = windows ] || [ "$mode" = windows-user ]; then
  windows_build=$(realpath -m "${TRAWL_WINDOWS_BUILD_DIR:-build-windows}")
  if [ "$mode" = windows ]; then
    windows_server=$windows_build/tools/catalogue-server/trawl-catalogue-server.exe
    for f in "$windows_build/app/trawl.exe" "$windows_server"; do
      [ -f "$f" ] || { echo "$0: no $f" >&2; exit 1; }
    done
  else
    home=$(getent passwd "$user" | cut -d: -f6)
    [ -n "$home" ] || { echo "$0: no user $user" >&2; exit 1; }
    installed="$home/.wine/drive_c/Program Files/Trawl"
    [ -f "$installed/trawl.exe" ] || { echo "$0: no $installed/trawl.exe" >&2; exit 1; }
  fi
else
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$build" --target trawl-catalogue-server trawl -j "$(nproc)"
fi

mkdir -p "$out/pictures"
out=$(cd "$out" && pwd)
rm -f "$out"/step-*.png
source scripts/lib/virtual-screen.sh
app_alive() { kill -0 "$app_pid" 2>/dev/null || fail "Trawl has ended (see $out/trawl.log)"; }

# 1. The virtual screen. 2. The catalogue server with the sample pictures.
start_virtual_screen
if [[ $mode == windows* ]]; then
  # Wine's windows get their frames and the keyboard focus from a window manager.
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  build_saved=$build build=$windows_build
  source scripts/windows/wine-prefix.sh
  build=$build_saved
  if [ "$mode" = windows ]; then
    make_wine_prefix
    server_program=("$wine" "$windows_server")
  else
    wine_user_command "$user"
    server_program=("${as_user[@]}" "$wine" 'C:\Program Files\Trawl\trawl-catalogue-server.exe')
  fi
fi
start_catalogue_server

# Where Trawl runs and saves (`shown` is the folder as Trawl names it).
case $mode in
  build)
    program=("$build/app/trawl")
    saved=$(cd "$build/app" && pwd)
    shown=$saved/
    ;;
  neutral)
    mkdir -p "$work/home/user"
    app_dir=$(cd "$build/app" && pwd)
    userns=()
    [ "$(id -u)" -eq 0 ] || userns=(--map-root-user)
    # shellcheck disable=SC2016  # expanded by the inner shell
    program=(unshare "${userns[@]}" --mount sh -c 'mount --bind "$1" /home &&
      mount --bind "$2" "$2" && mount -o remount,bind,ro "$2" &&
      exec env -u XDG_CONFIG_HOME HOME=/home/user "$2/trawl"' neutral-home "$work/home" "$app_dir")
    saved=$work/home/user/Pictures/Trawl
    shown=/home/user/Pictures/Trawl/
    ;;
  windows)
    # A copy in C:\Trawl of the prefix, so that the pictures and screenshots show a
    # Windows folder rather than this machine's.
    saved=$WINEPREFIX/drive_c/Trawl
    mkdir -p "$saved"
    cp "$windows_build/app/trawl.exe" "$saved/"
    program=("$wine" "$saved/trawl.exe")
    shown='C:\Trawl\'
    ;;
  windows-user)
    program=("${as_user[@]}" "$wine" 'C:\Program Files\Trawl\trawl.exe')
    saved=$home/.wine/drive_c/users/$user/Pictures/Trawl
    shown="C:\\users\\$user\\Pictures\\Trawl\\"
    ;;
  installed)
    program=(runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user"
      PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" QT_QPA_PLATFORM=xcb trawl)
    saved=$home/Pictures/Trawl
    shown=$saved/
    ;;
esac

# What the run must produce: one file per catalogue entry, named album_file, which is
# not the served picture any more once it has been marked.
catalogue=$(http GET /trawl/catalog/sample.xml)
mapfile -t sources < <(awk -F'"' '/<album title=/ { album = $2 }
  /<group kind="pictures">/ { pictures = 1 } /<\/group>/ { pictures = 0 }
  pictures && /<image src=/ { print album "\t" $2 }' <<<"$catalogue")
[ ${#sources[@]} -gt 0 ] || fail "the sample catalogue lists no pictures"
declare -A served
for source in "${sources[@]}"; do
  album=${source%%$'\t'*} address=${source#*$'\t'}
  name="${album}_${address##*/}"
  served[$name]=$(http HEAD "/${address#*://*/}" | tr -d '\r' | awk -F': ' 'tolower($1) == "content-length" { print $2 }')
  [ -n "${served[$name]}" ] || fail "no size for $address"
  rm -f "${saved:?}/$name"  # older copies prove nothing
done
[ -e "$saved" ] && made_by_trawl=0 || made_by_trawl=1

# 3. Trawl, and its start-up notice.
"${program[@]}" >"$out/trawl.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
first_window() { app_alive; notice=$(named_window '^Before you start$'); [ -n "$notice" ]; }
wait_for 20 "the start-up notice" first_window
sleep 0.5
shoot notice
xdotool key Return
main_window() {
  app_alive
  main=$(named_window '^Trawl' | grep -vx "$notice" | head -n1)
  [ -n "$main" ]
}
wait_for 20 "the main window" main_window
sleep 0.5
shoot main-window
echo "main window: $(xdotool getwindowname "$main")"
# The download folder is made by the first save, not by starting.
[ "$made_by_trawl" = 0 ] || [ ! -e "$saved" ] || fail "$shown was made before anything was saved"

# The window with a 10-pixel margin, for the README.
shoot_window() {  # shoot_window FILE
  [ "$readme" = 1 ] || return 0
  # The window with the frame a window manager put around it, if any.
  local frame=$main up info x y width height
  for _ in 1 2 3 4; do
    up=$(xwininfo -tree -id "$frame" | awk '/Parent window id/ { print }')
    [[ $up == *"(the root window)"* || -z $up ]] && break
    frame=$(awk '{ print $4 }' <<<"$up")
  done
  info=$(xwininfo -id "$frame")
  x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
  width=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
  height=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
  import -window root -crop "$((width + 20))x$((height + 20))+$((x - 10))+$((y - 10))" +repage "$1"
}

# 4. The query, typed into the search field, which has the focus.
xdotool type --delay 20 "http://127.0.0.1:$port/trawl/catalog/sample.xml"
shoot query
xdotool key Return
wait_for 20 "the catalogue request" grep -q '"GET /trawl/catalog/sample.xml" 200' "$out/server.log"
sleep 1
shoot list
shoot_window "$work/filled-list.png"

# 5. Popup menu of the list, first submenu, second item: check all rows.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 2)) click 3
sleep 0.7
shoot popup-menu
xdotool key Down Right
sleep 0.5
shoot check-submenu
xdotool key Down Return
sleep 0.7
shoot all-checked

# 6. The second toolbar button starts the download. The toolbar's buttons are about
# 23 pixels apart from the window's left edge.
xdotool mousemove --window "$main" 33 12 click 1
sleep 0.5
shoot downloading

# 7. The run ends when every picture is saved and marked.
all_marked() {
  app_alive
  local name size
  for name in "${!served[@]}"; do
    [ -s "$saved/$name" ] || return 1
    size=$(stat -c %s "$saved/$name")
    [ "$size" != "${served[$name]}" ] || return 1
  done
}
# A run whose pictures were all fetched but not saved has failed: say so before the limit.
fetched_since=""
run_finished() {
  all_marked && return 0
  [ "$(grep -c '"GET /trawl/pictures/' "$out/server.log")" -ge "${#served[@]}" ] || return 1
  fetched_since=${fetched_since:-$SECONDS}
  [ $((SECONDS - fetched_since)) -lt 30 ] ||
    fail "every picture was fetched, but not every one was saved and marked in $shown"
  return 1
}
wait_for 300 "the download run" run_finished
sleep 1
shoot finished
shoot_window "$work/finished-run.png"

# 8. The results.
status=0
for name in "${!served[@]}"; do
  file="$saved/$name"
  if [ "$(identify -format '%m' "$file" 2>/dev/null)" != JPEG ]; then
    echo "not a JPEG picture: $name" >&2
    status=1
  fi
  if [ -n "$user" ] && [ "$(stat -c %U "$file")" != "$user" ]; then
    echo "not $user's file: $file" >&2
    status=1
  fi
  cp "$file" "$out/pictures/"
done
if [ "$readme" = 1 ] && [ "$status" = 0 ]; then
  prefix=""
  [ "$mode" = windows ] && prefix=windows-
  for shot in filled-list finished-run; do cp "$work/$shot.png" "docs/$prefix$shot.png"; done
  echo "docs/${prefix}filled-list.png and docs/${prefix}finished-run.png renewed"
fi
echo "${#served[@]} pictures downloaded and marked into $shown; screenshots and pictures in $out"
exit "$status"
