#!/usr/bin/env bash
# A published picture site end to end, as its users meet it: the catalogue server exports
# the sample pictures and 1,000 more as plain files, nginx serves them over HTTPS with
# HTTP/2 under a throw-away certificate authority on 127.0.0.1, scripts/site-build.sh
# builds Trawl for that site, and the site build is driven on a virtual screen with real
# X input: the start-up notice, the query, Check > All rows, Sizes > All rows, a download
# that is stopped part way, and a second one that finishes. Every picture must land
# marked: a JPEG, and no longer the served bytes. With --windows, the Windows site build
# (cross-built with the libraries of scripts/windows/build.sh's build-windows) is driven
# instead, under Wine, through the query, Check > All rows and a download.
#
#   scripts/site-e2e.sh --trust-system-store [--windows] [OUTPUT_FOLDER]
#
# A site build is the real program, which trusts what the system trusts: the authority
# is added to the system's trust store for the run (as root) and removed again. CI runs
# it so; on a machine of your own, mind that it changes the trust store for a while.
# OUTPUT_FOLDER (default build/site-e2e) receives screenshots, nginx's logs and Trawl's
# output.
#   TRAWL_SITE_PORT  nginx's port (default 8943)
set -euo pipefail
cd "$(dirname "$0")/.."

[ "${1:-}" = --trust-system-store ] || {
  sed -n '12,19s/^# \{0,1\}//p' "$0" >&2
  exit 2
}
shift
windows=""
[ "${1:-}" = --windows ] && { windows=yes; shift; }
[ "$(id -u)" = 0 ] || { echo "site-e2e: the trust store is changed as root" >&2; exit 2; }
build=${TRAWL_BUILD_DIR:-build}
port=${TRAWL_SITE_PORT:-8943}
out=$(realpath -m "${1:-$build/site-e2e${windows:+-windows}}")
url=https://127.0.0.1:$port
extra_entries=1000
anchor=/usr/local/share/ca-certificates/trawl-site-e2e.crt

scripts/install-deps.sh nginx openssl ca-certificates
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target trawl-catalogue-server -j "$(nproc)" >/dev/null
server=$build/tools/catalogue-server/trawl-catalogue-server
mkdir -p "$out"
rm -f "$out"/step-*.png
source scripts/lib/virtual-screen.sh
source scripts/lib/site-addresses.sh
untrust() {
  rm -f "$anchor"
  update-ca-certificates --fresh >/dev/null 2>&1 || true
}
trap 'untrust; cleanup' EXIT

# 1. The site's addresses and its build.
site_addresses "$url" e2e
site_build=$build/site-e2e-build
if [ -n "$windows" ]; then
  [ -d build-windows/deps ] || fail "no Windows libraries: run scripts/windows/build.sh first"
  scripts/site-build.sh --base-url "$url" --name e2e --out "$site_build" | tee "$out/site-build.log"
else
  scripts/site-build.sh --base-url "$url" --name e2e --no-windows --out "$site_build" |
    tee "$out/site-build.log"
fi

# 2. The pictures: the samples, and 1,000 more in ten albums, exported as a site where
# nginx's workers, which run as a user of their own, can reach it.
chmod 755 "$work"
"$server" --export "$work/samples" --base-url "$url" >/dev/null
mkdir -p "$work/pictures"
mapfile -t samples < <(find "$work/samples/trawl/pictures" -name '*.jpg' | sort)
cp "${samples[@]}" "$work/pictures/"
for ((i = 0; i < extra_entries; i++)); do
  album=$work/pictures/album-$((i % 10))
  mkdir -p "$album"
  cp "${samples[i % ${#samples[@]}]}" "$album/picture-$(printf %04d "$i").jpg"
done
"$server" --folder "$work/pictures" --export "$work/site" --base-url "$url" \
  --catalogue-path "$site_catalogue_path" | tee "$out/export.log"

# 3. nginx with the README's server block, over HTTPS with HTTP/2, and the authority
# trusted by the system.
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
  -subj "/CN=Trawl site test authority" -keyout "$work/ca.key" -out "$work/ca.pem" 2>/dev/null
openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=127.0.0.1 \
  -keyout "$work/site.key" -out "$work/site.csr" 2>/dev/null
printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' \
  >"$work/site.ext"
openssl x509 -req -in "$work/site.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
  -CAcreateserial -days 2 -extfile "$work/site.ext" -out "$work/site.pem" 2>/dev/null
sed -e "s#listen 443 ssl http2;#listen 127.0.0.1:$port ssl http2;#" -e '/listen \[::\]:443/d' \
  -e 's#server_name pictures.example.org;#server_name 127.0.0.1;#' \
  -e "s#/etc/ssl/certs/pictures.example.org.pem#$work/site.pem#" \
  -e "s#/etc/ssl/private/pictures.example.org.key#$work/site.key#" \
  -e "s#/srv/trawl-site#$work/site#" data/nginx/trawl-site.conf >"$work/site.conf"
mkdir -p "$work/nginx"
cat >"$work/nginx.conf" <<EOF
pid $work/nginx.pid;
error_log $out/nginx-error.log;
events {}
http {
  access_log $out/nginx-access.log;
  client_body_temp_path $work/nginx; proxy_temp_path $work/nginx;
  fastcgi_temp_path $work/nginx; uwsgi_temp_path $work/nginx; scgi_temp_path $work/nginx;
  include $work/site.conf;
}
EOF
: >"$out/nginx-access.log"
nginx -p "$work/nginx" -c "$work/nginx.conf" -g 'daemon off;' &
pids+=($!)
cp "$work/ca.pem" "$anchor"
update-ca-certificates >/dev/null 2>&1
wait_for 10 "nginx" curl -sf -o /dev/null "$site_connectivity_first"
[ "$(curl -s -o /dev/null -w '%{http_version}' "$url/")" = 2 ] || fail "nginx does not answer with HTTP/2"

# What the run must produce: one file per entry, named album_file.
catalogue_address=$url$site_catalogue_path/sample.xml
declare -A served
while IFS=$'\t' read -r album address; do
  served["${album}_${address##*/}"]=$work/site${address#"$url"}
done < <(curl -sf "$catalogue_address" | awk -F'"' '/<album title=/ { album = $2 }
  /<group kind="pictures">/ { pictures = 1 } /<\/group>/ { pictures = 0 }
  pictures && /<image src=/ { print album "\t" $2 }')
entries=${#served[@]}
[ "$entries" = $((${#samples[@]} + extra_entries)) ] || fail "the catalogue lists $entries entries"
# 4. The site build on a virtual screen.
start_virtual_screen
if [ -n "$windows" ]; then
  # Wine's windows get their frames and the keyboard focus from a window manager; Wine's
  # own certificate store takes the system's authorities.
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
  build=$(realpath build-windows)
  source scripts/windows/wine-prefix.sh
  make_wine_prefix
  saved=$WINEPREFIX/drive_c/TrawlSite
  rm -rf "$saved"
  mkdir -p "$saved"
  python3 -m zipfile -e "$(echo "$site_build"/windows/package/trawl-e2e-*-windows-x64.zip)" "$saved"
  program=("$wine" "$saved/trawl.exe")
  protocol=HTTP/1.1  # curl's Schannel offers no ALPN under Wine
else
  program=("$site_build/linux/app/trawl")
  saved=$(cd "$site_build/linux/app" && pwd)
  rm -f "$saved"/*.jpg
  protocol=HTTP/2.0
fi
"${program[@]}" >"$out/trawl.log" 2>&1 &
app_pid=$!
pids+=("$app_pid")
app_alive() { kill -0 "$app_pid" 2>/dev/null || fail "Trawl has ended (see $out/trawl.log)"; }
notice_shown() { app_alive; notice=$(named_window '^Before you start$'); [ -n "$notice" ]; }
wait_for 60 "the start-up notice" notice_shown
sleep 0.5
xdotool key Return
main_shown() { app_alive; main=$(named_window '^Trawl' | grep -vx "$notice" | head -n1); [ -n "$main" ]; }
wait_for 20 "the main window" main_shown
sleep 0.5
shoot started

xdotool type --delay 10 "$catalogue_address"
xdotool key Return
wait_for 20 "the catalogue" grep -q "GET $site_catalogue_path/sample.xml $protocol\" 200" "$out/nginx-access.log"
sleep 1
shoot listed

# The list's popup menu: Checks > All rows, then Sizes > All rows and its answer.
eval "$(xdotool getwindowgeometry --shell "$main")"
popup() {  # popup SUBMENU ITEM, both counted from 0 (a submenu opens on its first item)
  xdotool mousemove --window "$main" $((WIDTH / 2)) $((HEIGHT / 2)) click 3
  sleep 0.7
  for ((i = 0; i <= $1; i++)); do xdotool key Down; done
  xdotool key Right
  sleep 0.4
  for ((i = 0; i < $2; i++)); do xdotool key Down; done
  xdotool key Return
}
popup 0 1
sleep 0.5
shoot all-checked
landed() { find "$saved" -maxdepth 1 -name '*.jpg' | wc -l; }
# Linux only (Wine's runs are slow enough without it): Sizes > All rows, and a download
# stopped part way.
if [ -z "$windows" ]; then
  popup 1 2
  total_shown() { app_alive; [ -n "$(named_window '^Total size$')" ]; }
  wait_for 60 "the size total" total_shown
  heads=$(grep -c '"HEAD /trawl/pictures/' "$out/nginx-access.log" || true)
  [ "$heads" -ge "$entries" ] || fail "the size total asked for $heads sizes of $entries"
  sleep 0.5
  shoot size-total
  xdotool key Return

  # A download, stopped part way: the toolbar's second button starts it, the third stops it.
  xdotool mousemove --window "$main" 33 12 click 1
  some_landed() { app_alive; [ "$(landed)" -ge 50 ]; }
  wait_for 60 "the first pictures" some_landed
  xdotool mousemove --window "$main" 56 12 click 1
  sleep 2
  stopped_at=$(grep -c '"GET /trawl/pictures/' "$out/nginx-access.log")
  sleep 2
  [ "$(grep -c '"GET /trawl/pictures/' "$out/nginx-access.log")" = "$stopped_at" ] ||
    fail "the download went on after the stop"
  [ "$stopped_at" -lt "$entries" ] || fail "the run ended before the stop"
  shoot stopped
  echo "stopped after $stopped_at of $entries pictures"
fi

# The download to its end (after a stop the row it cut short is queued again).
xdotool mousemove --window "$main" 33 12 click 1
all_marked() {
  app_alive
  local name
  for name in "${!served[@]}"; do
    [ -s "$saved/$name" ] || return 1
  done
}
wait_for 600 "every picture" all_marked
sleep 1
shoot finished

status=0
for name in "${!served[@]}"; do
  if [ "$(identify -format '%m' "$saved/$name" 2>/dev/null)" != JPEG ]; then
    echo "not a JPEG picture: $name" >&2
    status=1
  elif cmp -s "$saved/$name" "${served[$name]}"; then
    echo "not marked: $name" >&2
    status=1
  fi
done
protocols=$(awk '{ print $8 }' "$out/nginx-access.log" | tr -d '"' | sort -u | tr '\n' ' ')
echo "site-e2e: $entries pictures from $url, over ${protocols% }, landed marked in $saved"
exit "$status"
