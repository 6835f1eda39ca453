#!/usr/bin/env bash
# Shows Trawl at work without a display: starts a virtual screen (Xvfb), the catalogue
# server with its sample pictures and build/app/trawl, then drives Trawl like a user
# with xdotool: dismisses the start-up notice, asks for the sample catalogue, checks all
# rows from the list's popup menu and starts the download with the toolbar's second
# button. A screenshot of the screen is taken at each step.
#
#   scripts/demo-headless.sh [OUTPUT_FOLDER]      (default: BUILD_FOLDER/demo-output)
#
# OUTPUT_FOLDER receives step-NN-*.png, the downloaded pictures (pictures/), the server's
# request log and Trawl's output. Exits 0 only when every row was downloaded: each
# picture of the catalogue is saved, marked (so no longer the served bytes) and a JPEG.
#   TRAWL_BUILD_DIR  the build folder (default build)
#   TRAWL_SERVER_PORT  the server's port (default 8917); it must be the port the build's
#                    service addresses name, since Trawl's addresses are build settings
set -euo pipefail
cd "$(dirname "$0")/.."

build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SERVER_PORT:-8917}
out=${1:-$build/demo-output}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target trawl-catalogue-server trawl -j "$(nproc)"

mkdir -p "$out/pictures"
out=$(cd "$out" && pwd)
rm -f "$out"/step-*.png
source scripts/lib/virtual-screen.sh
app_alive() { kill -0 "$app_pid" 2>/dev/null || fail "Trawl has ended (see $out/trawl.log)"; }

# 1. The virtual screen. 2. The catalogue server with the sample pictures.
start_virtual_screen
start_catalogue_server

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
  rm -f "$build/app/$name"  # Trawl saves next to itself; older copies prove nothing
done

# 3. Trawl, and its start-up notice.
"$build/app/trawl" >"$out/trawl.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
first_window() { app_alive; notice=$(visible_windows | head -n1); [ -n "$notice" ]; }
wait_for 20 "the start-up notice" first_window
sleep 0.5
shoot notice
xdotool key Return
main_window() {
  app_alive
  main=$(visible_windows | grep -vx "$notice" | head -n1)
  [ -n "$main" ]
}
wait_for 20 "the main window" main_window
sleep 0.5
shoot main-window
echo "main window: $(xdotool getwindowname "$main")"

# 4. The query, typed into the search field, which has the focus.
xdotool type --delay 20 "http://127.0.0.1:$port/trawl/catalog/sample.xml"
shoot query
xdotool key Return
wait_for 20 "the catalogue request" grep -q '"GET /trawl/catalog/sample.xml" 200' "$out/server.log"
sleep 1
shoot list

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
    [ -s "$build/app/$name" ] || return 1
    size=$(stat -c %s "$build/app/$name")
    [ "$size" != "${served[$name]}" ] || return 1
  done
}
wait_for 300 "the download run" all_marked
sleep 1
shoot finished

# 8. The results.
status=0
for name in "${!served[@]}"; do
  file="$build/app/$name"
  if [ "$(identify -format '%m' "$file" 2>/dev/null)" != JPEG ]; then
    echo "not a JPEG picture: $name" >&2
    status=1
  fi
  cp "$file" "$out/pictures/"
done
echo "${#served[@]} pictures downloaded and marked; screenshots and pictures in $out"
exit "$status"
