#!/usr/bin/env bash
# Installs what is missing, builds Trawl and its catalogue server, starts the server with
# the built-in sample pictures on 127.0.0.1:8917 and then Trawl. Closing Trawl stops the
# server. Try the query http://127.0.0.1:8917/trawl/catalog/sample.xml or "900 1".
#   TRAWL_BUILD_DIR    the build folder (default build)
#   TRAWL_SERVER_PORT  the server's port (default 8917); it must be the port the build's
#                      service addresses name, since Trawl's addresses are build settings
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: there is no display here (DISPLAY and WAYLAND_DISPLAY are empty)," >&2
  echo "and Trawl is a desktop program. To see it work without a display, run" >&2
  echo "scripts/demo-headless.sh: it drives Trawl on a virtual screen and takes screenshots." >&2
  exit 1
fi

scripts/install-deps.sh
build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SERVER_PORT:-8917}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target trawl-catalogue-server trawl -j "$(nproc)"

server_out="$build/catalogue-server.out"
server_log="$build/catalogue-server.log"
"$build/tools/catalogue-server/trawl-catalogue-server" --port "$port" >"$server_out" 2>"$server_log" &
server_pid=$!
stop_server() {
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# The server prints its first line once it accepts connections.
for _ in $(seq 100); do
  grep -q '^listening on ' "$server_out" 2>/dev/null && break
  if ! kill -0 "$server_pid" 2>/dev/null; then
    echo "run.sh: the catalogue server did not start:" >&2
    cat "$server_log" >&2
    echo "(is another catalogue server already running on port $port?)" >&2
    exit 1
  fi
  sleep 0.1
done
if ! grep -q '^listening on ' "$server_out"; then
  echo "run.sh: the catalogue server did not answer within 10 seconds" >&2
  exit 1
fi
echo "Catalogue server: $(head -n1 "$server_out") (requests logged in $server_log)"

# A build's folder takes files, so Trawl saves next to itself; otherwise it would use the
# Trawl folder of the pictures folder.
folder="$(cd "$build/app" && pwd)/"
if [ ! -w "$folder" ]; then
  pictures=$(xdg-user-dir PICTURES 2>/dev/null || echo "$HOME/Pictures")
  folder="$pictures/Trawl/"
fi

"$build/app/trawl" &
trawl_pid=$!
stop_all() {
  kill "$trawl_pid" 2>/dev/null || true
  stop_server
}
trap stop_all EXIT
# Trawl is up once it shows a window (its start-up notice); without an X display to ask,
# a moment's wait stands in.
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  timeout 20 xdotool search --sync --onlyvisible --pid "$trawl_pid" >/dev/null 2>&1 || true
else
  sleep 2
fi
if kill -0 "$trawl_pid" 2>/dev/null; then
  echo "In Trawl's search field type http://127.0.0.1:$port/trawl/catalog/sample.xml (or: 900 1) and press Return."
  echo "Pictures will be saved in $folder (shown right of the folder button, which changes it)."
fi
wait "$trawl_pid"
