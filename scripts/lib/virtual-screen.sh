# Shared by the scripts that drive the real Trawl on a virtual screen: a clean-up trap for
# everything started, polling with a time limit, screenshots, the virtual screen itself
# and the bundled catalogue server. Source it after setting `build`, `port` and `out`.
# shellcheck shell=bash disable=SC2317

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

script_name=$(basename "$0")
steps=0
shoot() {  # shoot NAME: a screenshot of the virtual screen
  steps=$((steps + 1))
  import -window root "$out/$(printf 'step-%02d-%s.png' "$steps" "$1")" 2>/dev/null || true
}
fail() {
  echo "$script_name: $*" >&2
  [ -n "${DISPLAY:-}" ] && shoot failure
  exit 1
}
# wait_for SECONDS WHAT COMMAND...: polls COMMAND every 0.1 s.
wait_for() {
  local tenths=$(($1 * 10)) what=$2
  shift 2
  for ((t = 0; t < tenths; t++)); do
    "$@" && return 0
    sleep 0.1
  done
  fail "gave up waiting for $what"
}

# A plain HTTP/1.0 exchange over bash's /dev/tcp, so the scripts need no HTTP client.
http() {  # http METHOD PATH
  local sock
  exec {sock}<>"/dev/tcp/127.0.0.1/$port"
  printf '%s %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$1" "$2" >&"$sock"
  cat <&"$sock"
  exec {sock}>&-
}

# start_virtual_screen: Xvfb on a free display number, which it reports; exports DISPLAY.
start_virtual_screen() {
  exec {displayfd}>"$work/display"
  Xvfb -displayfd "$displayfd" -screen 0 1024x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  exec {displayfd}>&-
  wait_for 10 "the virtual screen" test -s "$work/display"
  DISPLAY=":$(head -n1 "$work/display")"
  export DISPLAY
  unset WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb
  echo "virtual screen $DISPLAY"
}

# start_catalogue_server [ARGS...]: the bundled server on $port, its log in $out; the
# build's unless `server_program` (a command, an array for one with arguments) names
# another. A Windows server under Wine may take a while to start.
start_catalogue_server() {
  local program=("$build/tools/catalogue-server/trawl-catalogue-server")
  [ -z "${server_program+set}" ] || program=("${server_program[@]}")
  "${program[@]}" --port "$port" "$@" >"$work/server.out" 2>"$out/server.log" &
  pids+=($!)
  wait_for 30 "the catalogue server (see $out/server.log)" grep -qs '^listening on ' "$work/server.out"
}

visible_windows() { xdotool search --onlyvisible --name '.*' 2>/dev/null || true; }
named_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true; }
