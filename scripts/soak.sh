#!/usr/bin/env bash
# Soaks the real Trawl: on a virtual screen under a window manager, driven with real X
# input, it downloads a catalogue of ENTRIES pictures from trawl-fault-server, which
# fails about a fifth of the fetches in mixed ways (404, reset, truncated body, pause, slow
# drip, slow HEAD). Every N entries (N = min(1000, ENTRIES/4)) the run is stopped and
# started again. Afterwards:
#  1. each entry has a saved file exactly when the server's last GET of it sent a whole
#     picture (a stopped entry is fetched again, so the last GET decides);
#  2. every saved file is a whole JPEG that decodes and carries the red mark;
#  3. nothing else is left in the download folder (no temporary .trawl-*.part);
#  4. Trawl's resident memory at the end is within 10% of that after the first N entries;
#  5. Trawl has as many threads as it had idle before the run.
# Prints one summary line; exits non-zero when any check fails.
#
#   scripts/soak.sh [ENTRIES] [OUTPUT_FOLDER]   (defaults: 1000, BUILD_FOLDER/soak)
#   TRAWL_BUILD_DIR    the build folder (default build)
#   TRAWL_SERVER_PORT  the server's port (default 8917), the one the build's addresses name
#   TRAWL_SOAK_SEED    the seed of the server's fault draws (default 1)
#   TRAWL_SOAK_FAULT_RATE  the share of fetches that meet a fault (default 0.2)
set -euo pipefail
cd "$(dirname "$0")/.."

entries=${1:-1000}
build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SERVER_PORT:-8917}
seed=${TRAWL_SOAK_SEED:-1}
rate=${TRAWL_SOAK_FAULT_RATE:-0.2}
out=${2:-$build/soak}
if ! [[ $entries =~ ^[1-9][0-9]{0,4}$ ]] || [ "$entries" -lt 4 ]; then
  echo "usage: $0 [ENTRIES (4 to 99999)] [OUTPUT_FOLDER]" >&2
  exit 2
fi
every=$((entries / 4 < 1000 ? entries / 4 : 1000))

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target trawl-fault-server trawl -j "$(nproc)" >/dev/null

mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -f "$out"/step-*.png
source scripts/lib/virtual-screen.sh
log=$out/server.log
folder=$build/app  # a build's Trawl saves next to itself
rm -f "$folder"/Soak_* "$folder"/.trawl-*.part
listing() { find "$folder" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort; }
listing >"$work/folder-before"

start_virtual_screen
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

"$build/tools/fault-server/trawl-fault-server" --port "$port" --entries "$entries" --seed "$seed" \
  --fault-rate "$rate" --log "$log" --pictures-folder "$work/served" \
  >"$work/server.out" 2>"$out/server.err" &
pids+=($!)
wait_for 10 "the fault server (see $out/server.err)" grep -qs '^listening on ' "$work/server.out"

# Red pixels, as a share of the middle half of each picture: the mark crosses the centre.
# Decoded at an eighth of the size (every coefficient is still read, so a broken file
# still fails): the mark's strokes are wider than a block, and it is many times faster.
red_shares() {  # red_shares FILE...: "NAME SHARE" lines; fails when a file does not decode
  convert -limit thread 1 -regard-warnings -define jpeg:size=80x60 "$@" \
    -gravity center -crop 50%x50%+0+0 +repage -fuzz 30% -fill black +opaque red \
    -fill white -opaque red -scale '1x1!' -format '%f %[fx:r]\n' info:
}
red_shares "$work"/served/*.jpg | awk '$2 > 0 { bad = 1 } END { exit bad }' ||
  fail "the served pictures have red in them: a mark could not be told"

# Trawl's figures from /proc.
app_alive() { kill -0 "$app_pid" 2>/dev/null || fail "Trawl has ended (see $out/trawl.log)"; }
threads() { local tasks=("/proc/$app_pid/task"/*); echo "${#tasks[@]}"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$app_pid/status"; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$app_pid/stat"; }
requests() { wc -l <"$log"; }
# The server's log: "SEQ MS METHOD PATH OUTCOME", with " begun" after the outcome as a
# slow answer starts and " client-gone" when the client left before its end.
picture_gets() {
  awk '$3 == "GET" && $4 ~ /^\/trawl\/pictures\// && $6 != "begun" { n++ }
    END { print n + 0 }' "$log"
}
all_fetched() {  # every entry has had a GET answered
  [ "$(awk '$3 == "GET" && $4 ~ /^\/trawl\/pictures\// && $6 != "begun" { seen[$4] = 1 }
    END { print length(seen) }' "$log")" = "$entries" ]
}
# A slow answer (pause, drip, slow HEAD) has begun and not yet ended.
answer_under_way() {
  tail -n 4 "$log" | awk '$6 == "begun" { open[$1] = 1 } $6 != "begun" { delete open[$1] }
    END { exit !length(open) }'
}

# Quiet: neither Trawl's CPU time nor the server's log has moved for WINDOW tenths of a
# second (and, with a thread count, Trawl has that many threads). Call it repeatedly.
seen=""
still=0
quiet() {  # quiet WINDOW [THREADS]
  app_alive
  local now
  now="$(cpu_ticks) $(requests)"
  [ -z "${2:-}" ] || [ "$(threads)" = "$2" ] || now="$now busy"
  if [ "$now" = "$seen" ] && [[ $now != *busy ]]; then still=$((still + 1)); else still=0; fi
  seen=$now
  [ "$still" -ge "$1" ]
}
settle() {  # settle WHAT [THREADS]
  seen="" still=0
  wait_for 30 "$1" quiet 5 "${2:-}"
}

window_shown() { app_alive; [ -n "$(named_window "$1")" ]; }  # window_shown TITLE
# Trawl shows more than COUNT windows (a popup menu is a window of its own).
more_windows() {  # more_windows COUNT
  app_alive
  [ "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)" -gt "$1" ]
}

# Trawl, its start-up notice, and the query.
"$build/app/trawl" >"$out/trawl.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
wait_for 20 "the start-up notice" window_shown '^Before you start$'
xdotool key Return
wait_for 20 "the main window" window_shown '^Trawl'
main=$(named_window '^Trawl')
settle "Trawl to settle after start"
xdotool type --delay 5 "http://127.0.0.1:$port/trawl/catalog/soak.xml"
xdotool key Return
wait_for 20 "the catalogue request" grep -q ' catalogue$' "$log"
settle "the list to fill"
idle_threads=$(threads)

# Popup menu of the list, first submenu, second item: check all rows.
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 2)) click 3
wait_for 10 "the popup menu" more_windows 1
xdotool key Down Right
wait_for 10 "the Check submenu" more_windows 2
xdotool key Down Return
settle "the rows to be checked"
shoot checked

# The toolbar's buttons are about 23 pixels apart: download is the second, stop the third.
press() { xdotool mousemove --window "$main" "$1" 12 click 1; }
press_download() {
  local before tries
  for ((tries = 0; tries < 10; tries++)); do
    before=$(requests)
    press 33
    # Right after a stop the button may not take a press yet; a new request tells it did.
    for ((t = 0; t < 30; t++)); do
      [ "$(requests)" -gt "$before" ] && return 0
      app_alive
      sleep 0.1
    done
    # A stop that came as the last entry ended leaves nothing to fetch.
    all_fetched && return 0
  done
  fail "the download button started no fetch"
}
press_stop() {
  local tries
  for ((tries = 0; tries < 5; tries++)); do
    press 56
    # Stopped: no worker thread and no request for half a second.
    seen="" still=0
    for ((t = 0; t < 50; t++)); do
      quiet 5 "$idle_threads" && return 0
      sleep 0.1
    done
  done
  fail "the run did not stop"
}

started=$(date +%s.%N)
press_download
stops=0
first_rss=""
next_stop=$every
limit=$((SECONDS + 120 + entries / 10))
seen="" still=0
while :; do
  ((SECONDS < limit)) || fail "the run did not end in time"
  gets=$(picture_gets)
  if [ "$next_stop" -lt "$entries" ] && [ "$gets" -ge "$next_stop" ]; then
    # Preferably in the middle of a slow answer, so that the stop cuts a transfer.
    for ((t = 0; t < 50; t++)); do
      answer_under_way && break
      sleep 0.1
    done
    gets=$(picture_gets)
    press_stop
    # Taken while stopped, as the last one is after the run: no transfer's memory in it.
    [ -n "$first_rss" ] || first_rss=$(rss_kib)
    stopped_at=$(requests)
    press_download
    stops=$((stops + 1))
    echo "stop $stops after $gets fetches: last request" \
      "$(sed -n "${stopped_at}p" "$log" | cut -d' ' -f3-), first after it" \
      "$(sed -n "$((stopped_at + 1))p" "$log" | cut -d' ' -f3-)"
    next_stop=$((next_stop + every))
    seen="" still=0
  fi
  # The end: every entry fetched, and neither Trawl nor the server busy for half a second;
  # or nothing at all for three seconds (the checks below tell what was left out).
  if quiet 5 "$idle_threads"; then
    all_fetched && break
    [ "$still" -lt 30 ] || break
  fi
  sleep 0.1
done
elapsed=$(awk -v s="$started" -v e="$(date +%s.%N)" 'BEGIN { printf "%.1f", e - s - 0.5 }')
[ -n "$first_rss" ] || first_rss=$(rss_kib)
end_rss=$(rss_kib)
end_threads=$(threads)
shoot finished

# 1. Each entry's file against the server's last GET of it.
problems=0
problem() { echo "$script_name: $*" >&2; problems=$((problems + 1)); }
listing >"$work/folder-after"
sort -n "$log" | awk -v entries="$entries" -v listing="$work/folder-after" '
  $6 == "begun" { next }
  $3 == "GET" && $4 ~ /^\/trawl\/pictures\// {
    name = $4; sub(/.*\//, "", name)
    last[name] = $5; gone[name] = ($6 == "client-gone"); count[$5]++
  }
  $3 == "HEAD" && $5 == "slow-head" { slow++ }
  END {
    while ((getline file < listing) > 0) present[file] = 1
    for (i = 1; i <= entries; i++) {
      name = sprintf("soak-%05d.jpg", i)
      if (!(name in last)) { print "never fetched: " name; continue }
      whole = last[name] ~ /^(whole|pause-then-whole|drip-then-whole)$/
      saved = ("Soak_" name) in present
      if (whole && gone[name]) print "last fetch abandoned and not repeated: " name
      else if (whole && !saved) print "sent whole (" last[name] ") but not saved: " name
      else if (!whole && saved) print "sent " last[name] " but saved: " name
      final[last[name]]++
    }
    summary = ""
    split("whole pause-then-whole drip-then-whole 404 reset truncated closed", kinds, " ")
    for (k = 1; k in kinds; k++)
      if (final[kinds[k]] + count[kinds[k]] > 0)
        summary = summary sprintf(" %s %d/%d", kinds[k], final[kinds[k]] + 0, count[kinds[k]] + 0)
    print "SUMMARY" summary ", slow-head " slow + 0
  }' >"$work/judged"
outcomes=$(sed -n 's/^SUMMARY //p' "$work/judged")
while read -r line; do problem "$line"; done < <(grep -v '^SUMMARY ' "$work/judged" || true)

# 2. Saved files: whole, decodable, marked.
mapfile -t saved < <(grep '^Soak_' "$work/folder-after" || true)
if [ ${#saved[@]} -gt 0 ]; then
  # Whole: starts FF D8, ends FF D9.
  (cd "$folder" && perl -e 'for my $f (@ARGV) {
      open my $h, "<:raw", $f or do { print "$f\n"; next };
      local $/; my $b = <$h>;
      print "$f\n" unless substr($b, 0, 2) eq "\xFF\xD8" && substr($b, -2) eq "\xFF\xD9" }' \
      "${saved[@]}") >"$work/cut"
  while read -r name; do problem "not a whole JPEG: $name"; done <"$work/cut"
  # Decoded in batches; a batch that fails is decoded again file by file to name the culprit.
  : >"$work/red"
  for ((i = 0; i < ${#saved[@]}; i += 400)); do
    batch=("${saved[@]:i:400}")
    if (cd "$folder" && red_shares "${batch[@]}") >"$work/shares" 2>/dev/null; then
      cat "$work/shares" >>"$work/red"
    else
      for name in "${batch[@]}"; do
        if (cd "$folder" && red_shares "$name") >"$work/shares" 2>/dev/null; then
          cat "$work/shares" >>"$work/red"
        else
          problem "does not decode: $name"
        fi
      done
    fi
  done
  # A mark through the centre leaves a few per cent of it clearly red (the pictures are
  # large enough for that, see tools/fault-server/soak_set.cpp); 1% is the least.
  while read -r name share; do problem "not marked (red share $share): $name"; done \
    < <(awk '$2 < 0.01' "$work/red")
fi

# 3. Nothing in the folder but the saved pictures.
while read -r name; do
  [[ $name == Soak_soak-[0-9][0-9][0-9][0-9][0-9].jpg ]] ||
    problem "left in the download folder: $name"
done < <(comm -13 "$work/folder-before" "$work/folder-after")

# 4. Memory, 5. threads.
awk -v a="$first_rss" -v b="$end_rss" 'BEGIN { exit !(b <= a * 1.1 && b >= a * 0.9) }' ||
  problem "resident memory went from $first_rss KiB after $every entries to $end_rss KiB"
[ "$end_threads" = "$idle_threads" ] ||
  problem "Trawl has $end_threads threads after the run, $idle_threads before it"

echo "soak: $entries entries in $elapsed s, $stops stops; saved ${#saved[@]}; last/all GETs by" \
  "outcome:$outcomes; RSS $first_rss KiB after $every, $end_rss KiB at the end;" \
  "threads $idle_threads idle, $end_threads at the end; $problems problems"
[ "$problems" = 0 ] || exit 1
rm -f "$folder"/Soak_*  # kept for a look when a check failed
