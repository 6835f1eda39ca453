#!/usr/bin/env bash
# Drives the real Trawl on a virtual screen, under a window manager, through faults that
# only real input shows:
#  - closing the main window while a picture is being marked, TRIES times: Trawl must end
#    with exit code 0 every time, and every saved file must be a whole JPEG;
#  - an Escape whose release is lost with the message box that took it: the next size
#    total must still run and report;
#  - Escape held to cancel a size total (its header requests take 100 ms each, from
#    trawl-fault-server): the message that reports the cancel must open only once the key
#    is let go, and the held key's repeats must not close it.
#
#   scripts/x11-faults.sh [TRIES] [OUTPUT_FOLDER]   (defaults: 20, BUILD_FOLDER/x11-faults)
#   TRAWL_BUILD_DIR, TRAWL_SERVER_PORT as for scripts/demo-headless.sh
set -euo pipefail
cd "$(dirname "$0")/.."

tries=${1:-20}
build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SERVER_PORT:-8917}
out=${2:-$build/x11-faults}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target trawl-catalogue-server trawl-fault-server trawl -j "$(nproc)" >/dev/null

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/step-*.png
source scripts/lib/virtual-screen.sh

start_virtual_screen

# Pictures large enough that marking one takes a noticeable while.
mkdir -p "$work/Big"
for i in 1 2 3; do
  convert -size 5000x4000 "gradient:navy-teal" -quality 92 "$work/Big/big-$i.jpg"
done
start_catalogue_server --folder "$work/Big"
catalogue_pid=${pids[-1]}
saved_files() { ls "$build/app"/Big_big-*.jpg 2>/dev/null || true; }

app_alive() { kill -0 "$app_pid" 2>/dev/null || fail "Trawl has ended (see $out/trawl.log)"; }
other_window() {  # other_window KNOWN...: a visible window of Trawl's that is none of these
  local window known
  app_alive
  for window in $(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null); do
    for known in "$@"; do [ "$window" = "$known" ] && continue 2; done
    echo "$window"
    return 0
  done
  return 1
}
found_other() { other_window "$@" >/dev/null; }

# start_trawl [CATALOGUE [SERVER_LOG]]: starts Trawl, answers the notice and asks for the
# catalogue (default the sample); sets app_pid and main.
start_trawl() {
  local catalogue=${1:-/trawl/catalog/sample.xml} server_log=${2:-$out/server.log}
  "$build/app/trawl" >>"$out/trawl.log" 2>&1 &
  app_pid=$!
  wait_for 20 "the start-up notice" found_other
  local notice
  notice=$(other_window)
  xdotool key Return
  wait_for 20 "the main window" found_other "$notice"
  main=$(other_window "$notice")
  sleep 0.5
  local requests
  requests=$(grep -c "GET $catalogue" "$server_log" || true)
  xdotool type --delay 5 "http://127.0.0.1:$port$catalogue"
  xdotool key Return
  catalogue_asked() { [ "$(grep -c "GET $catalogue" "$server_log")" -gt "$requests" ]; }
  wait_for 20 "the catalogue request" catalogue_asked
  sleep 0.5
}
# Opens the list's popup menu and picks item ITEM of submenu SUBMENU (both from 1).
popup_choose() {
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 2)) click 3
  sleep 0.5
  for ((i = 0; i < $1; i++)); do xdotool key Down; done
  xdotool key Right
  sleep 0.3
  for ((i = 1; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
  sleep 0.5
}
# Closes the main window through the window manager; sets `code` to Trawl's exit code.
close_trawl() {
  wmctrl -i -c "$main"
  for ((t = 0; t < 100; t++)); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$app_pid" 2>/dev/null && fail "Trawl did not end within 10 s of the close"
  code=0
  wait "$app_pid" || code=$?
}
whole_jpeg() { [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = ffd9 ] && [ "$(head -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = ffd8 ]; }

# 1. A size total after an Escape that closed a message box held open for a while. With
# no window manager the focus does not pass to the main window, so the release is lost.
start_trawl
popup_choose 2 3  # Sizes > All rows
wait_for 20 "the first total's message" found_other "$main"
sleep 4
xdotool mousemove 1000 590  # off the main window: focus must not follow the pointer there
xdotool keydown Escape; sleep 0.3; xdotool keyup Escape  # let go after the box has gone
sleep 0.5
shoot first-total-closed
popup_choose 2 3
wait_for 20 "the second total's message" found_other "$main"
shoot second-total
xdotool key Return
sleep 0.5
kill "$app_pid"
wait "$app_pid" 2>/dev/null || true
echo "a lost Escape release: the next total ran"

# The window manager closes windows as a user does.
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# 2. Closing during the mark.
crashes=0
for ((try = 1; try <= tries; try++)); do
  rm -f "$build/app"/Big_big-*.jpg "$build/app"/.trawl-*.part
  start_trawl
  popup_choose 1 2  # Checks > All rows
  xdotool mousemove --window "$main" 33 12 click 1
  first_file() { app_alive; [ -n "$(saved_files)" ]; }
  wait_for 60 "the first saved file" first_file
  # Spread the closes over the load, the mark and the save of the picture.
  sleep "$(awk -v try="$try" 'BEGIN { print (try % 5) * 0.1 }')"
  close_trawl
  [ "$code" = 0 ] || { crashes=$((crashes + 1)); echo "try $try: exit code $code" >&2; }
  for file in $(saved_files); do
    whole_jpeg "$file" || fail "try $try: $file is not a whole JPEG"
  done
  leftovers=$(ls -A "$build/app" | grep -c '^\.trawl-' || true)
  [ "$leftovers" = 0 ] || echo "try $try: $leftovers temporary file(s) left" >&2
done
rm -f "$build/app"/Big_big-*.jpg
echo "closing during a mark: $tries tries, $crashes ended other than with exit code 0"
[ "$crashes" = 0 ] || fail "Trawl did not end cleanly on every close"

# 3. Escape held to cancel a size total. Where the keyboard can be read, the cancel message
# waits for the real release: opened under the held key, the X server's repeats of it
# would close the message before it could be read.
kill "$catalogue_pid"
wait "$catalogue_pid" 2>/dev/null || true
"$build/tools/fault-server/trawl-fault-server" --port "$port" --entries 20 --fault-rate 0 \
  --head-delay-ms 100 --log "$out/fault-server.log" >"$work/fault-server.out" 2>&1 &
pids+=($!)
wait_for 10 "the fault server" grep -qs '^listening on ' "$work/fault-server.out"
xset r on
start_trawl /trawl/catalog/soak.xml "$out/fault-server.log"
popup_choose 2 3  # Sizes > All rows: 20 header requests of 100 ms
sleep 0.3
xdotool keydown Escape
for ((t = 0; t < 8; t++)); do  # held for 0.8 s
  sleep 0.1
  found_other "$main" && { xdotool keyup Escape; fail "the cancel message opened while Escape was held"; }
done
xdotool keyup Escape
wait_for 10 "the cancel message" found_other "$main"
sleep 1
found_other "$main" || fail "the cancel message closed by itself"
shoot cancel-message-after-held-escape
xdotool key Return
close_trawl
[ "$code" = 0 ] || fail "Trawl ended with exit code $code"
echo "Escape held to cancel a total: the message opened after the release and stayed"
