#!/usr/bin/env bash
# Trawl side by side with the tools its libraries come with (curl, xmlwf, djpeg/cjpeg)
# and ImageMagick, on the same inputs over loopback.
#
#   bench/compare.sh [--quick] [--runs N] [--build DIR] [--profile]
#
# Builds the job programs (RelWithDebInfo; build-compare/ unless --build names another
# folder), makes the inputs in a scratch folder, serves them with nginx on 127.0.0.1
# (plain HTTP, and HTTPS with HTTP/2 under a throw-away CA that only this benchmark
# trusts: Trawl through its test setter, curl through --cacert), writes once to most of
# the free memory (bench/support/memory_warmup.cpp: on a virtual machine the first write
# to a page can cost far more than later ones; where the machine hands freed pages back to
# its host, it is asked to wait a minute meanwhile), measures each job's
# Trawl side and its yardstick alternately, and prints one table of medians. Trawl's
# times are the job inside a running program (bench/*_job.cpp); a yardstick's time is
# its whole command. Peak memory is the peak resident size of the process (for a
# yardstick pipeline: of its largest process). --quick: smaller inputs, 3 runs (CI).
# --profile: afterwards, records the Trawl side of the three jobs with the worst ratios
# under perf (whole program, set-up included) and prints where their time goes; the
# recordings stay in DIR/compare-profiles/. Everything it starts is stopped when it ends.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
runs=""
build="build-compare"
profile=0
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1 ;;
    --runs) runs=$2; shift ;;
    --build) build=$2; shift ;;
    --profile) profile=1 ;;
    *) echo "usage: $0 [--quick] [--runs N] [--build DIR] [--profile]" >&2; exit 2 ;;
  esac
  shift
done

if [ "$quick" = 1 ]; then
  runs=${runs:-3} heads=200 body_mib=50 photo_size=3000x2000 pictures=40
  list_entries=20000 stall_run=20 huge_entries=0
else
  runs=${runs:-5} heads=1000 body_mib=200 photo_size=6000x4000 pictures=200
  list_entries=100000 stall_run=50 huge_entries=1000000
fi

tools=(nginx-light libjpeg-turbo-progs expat time curl openssl)
[ "$profile" = 1 ] && tools+=(linux-perf)
scripts/install-deps.sh "${tools[@]}"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$build" --target compare_jobs -j "$(nproc)" >/dev/null
jobs_dir=$(realpath "$build/bench")
c++ -O2 -o "$jobs_dir/memory_warmup" bench/support/memory_warmup.cpp
mark_tool=$(realpath "$build/tools/mark-picture/trawl-mark-picture")

work=$(mktemp -d /tmp/trawl-compare.XXXXXX)
nginx_pid=""
# Some virtual machines hand freed memory back to their host at once (free page
# reporting); the next first write to such a page then costs a fault in the host as well,
# several times a normal one, and falls on whichever side got the page. Where the machine
# lets its delay be set, freed pages stay for a minute while this runs; the old value
# comes back at the end.
reporting_delay=/sys/module/page_reporting/parameters/min_free_ms
old_reporting_delay=""
hold_freed_pages() {
  [ -w "$reporting_delay" ] || return 0
  old_reporting_delay=$(cat "$reporting_delay")
  echo 60000 >"$reporting_delay"
  echo "freed pages stay with this machine for a minute while measuring" >&2
}
cleanup() {
  [ -z "$old_reporting_delay" ] || echo "$old_reporting_delay" >"$reporting_delay"
  if [ -n "$nginx_pid" ]; then
    kill -QUIT "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
# nginx's workers run as nobody when it is started as root.
chmod 755 "$work"
www=$work/www
mkdir -p "$www/small" "$www/pictures" "$work/tls" "$work/nginx" "$work/results"
# Qt wants a runtime folder of the user's own.
export XDG_RUNTIME_DIR=$work/xdg
mkdir -m 700 "$XDG_RUNTIME_DIR"

seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# --- the throw-away CA and the server's certificate for 127.0.0.1 -----------------------

make_certificates() {
  local tls=$work/tls
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 \
    -subj "/CN=Trawl benchmark CA" -keyout "$tls/ca.key" -out "$tls/ca.pem" 2>/dev/null
  openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj "/CN=127.0.0.1" \
    -keyout "$tls/server.key" -out "$tls/server.csr" 2>/dev/null
  printf 'subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\n' >"$tls/server.ext"
  openssl x509 -req -in "$tls/server.csr" -CA "$tls/ca.pem" -CAkey "$tls/ca.key" -set_serial 1 \
    -days 2 -extfile "$tls/server.ext" -out "$tls/server.pem" 2>/dev/null
  chmod 644 "$tls"/*
  ca=$tls/ca.pem
}

# --- inputs -------------------------------------------------------------------------------

# Small text files of 1000 to 4999 bytes.
make_small_files() {
  awk -v dir="$www/small" -v count="$heads" 'BEGIN {
    for (i = 1; i <= count; i++) {
      file = sprintf("%s/%04d.txt", dir, i)
      size = 1000 + (i * 7919) % 4000
      line = sprintf("%0" size "d", 0)
      printf "%s", line > file
      close(file)
    }
  }'
  small_total=$(cat "$www"/small/*.txt | wc -c)
}

# Smooth colour fields with grain: compresses like a photograph. The run's pictures are
# tiles of it, about 20 KB each.
make_pictures() {
  local width=${photo_size%x*} height=${photo_size#*x}
  /usr/bin/convert -size "$((width / 4))x$((height / 4))" plasma:fractal -resize "${photo_size}!" \
    -attenuate 0.3 +noise Gaussian -quality 90 "$work/photo.jpg"
  /usr/bin/convert "$work/photo.jpg" -resize '6000x3000!' -crop 20x10@ +repage -quality 86 \
    "$www/pictures/pic-%03d.jpg"
}

# A catalogue of `entries` entries in albums of 1000; the last `real` entries name the run's
# pictures over HTTPS, the others pictures nobody fetches.
write_catalogue() {
  local file=$1 entries=$2 real=$3
  awk -v entries="$entries" -v real="$real" -v base="https://127.0.0.1:$https_port" 'BEGIN {
    print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    print "<catalogue>"
    for (i = 1; i <= entries; i++) {
      if ((i - 1) % 1000 == 0) {
        if (i > 1) print "</group><group kind=\"notes\"><entry><image src=\"x\"/></entry></group></section>"
        printf "<album title=\"Album %d\"/>\n<section><group kind=\"pictures\">\n", (i - 1) / 1000 + 1
      }
      k = i - (entries - real) - 1
      if (k >= 0) src = sprintf("%s/pictures/pic-%03d.jpg", base, k)
      else src = sprintf("%s/trawl/pictures/album-%04d/picture-%06d.jpg", base, (i - 1) / 1000 + 1, i)
      printf "<entry><image src=\"%s\"/></entry>\n", src
    }
    print "</group></section>"
    print "</catalogue>"
  }' >"$file"
}

make_inputs() {
  make_small_files
  head -c "$((body_mib * 1048576))" /dev/urandom >"$www/body.bin"
  make_pictures
  write_catalogue "$www/list.xml" "$list_entries" "$stall_run"
  write_catalogue "$www/run.xml" "$pictures" "$pictures"
  [ "$huge_entries" = 0 ] || write_catalogue "$www/huge.xml" "$huge_entries" 0
  local scheme port
  for scheme in http https; do
    port=$http_port
    [ "$scheme" = https ] && port=$https_port
    : >"$work/heads-$scheme.txt"
    echo head >"$work/heads-$scheme.cfg"
    for file in "$www"/small/*.txt; do
      echo "$scheme://127.0.0.1:$port/small/${file##*/}" >>"$work/heads-$scheme.txt"
      echo "url = \"$scheme://127.0.0.1:$port/small/${file##*/}\"" >>"$work/heads-$scheme.cfg"
    done
  done
  chmod -R a+rX "$www"
}

# --- the server -----------------------------------------------------------------------------

write_nginx_config() {
  local n=$work/nginx
  cat >"$n/nginx.conf" <<EOF
worker_processes 1;
daemon off;
pid $n/nginx.pid;
error_log $n/error.log warn;
events { worker_connections 1024; }
http {
  access_log off;
  client_body_temp_path $n/body;
  proxy_temp_path $n/proxy;
  fastcgi_temp_path $n/fastcgi;
  uwsgi_temp_path $n/uwsgi;
  scgi_temp_path $n/scgi;
  types { application/xml xml; image/jpeg jpg; text/plain txt; }
  default_type application/octet-stream;
  sendfile on;
  keepalive_requests 100000;
  root $www;
  server { listen 127.0.0.1:$http_port; }
  server {
    listen 127.0.0.1:$https_port ssl http2;
    ssl_certificate $work/tls/server.pem;
    ssl_certificate_key $work/tls/server.key;
  }
}
EOF
}

port_is_free() { ! (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

pick_ports() {
  http_port=$((20000 + RANDOM % 20000))
  https_port=$((http_port + 1))
  port_is_free "$http_port" && port_is_free "$https_port"
}

# Two free ports (they are also written into the inputs), then nginx on them.
start_nginx() {
  for _ in 1 2 3 4 5; do
    pick_ports || continue
    [ -n "${inputs_made:-}" ] || { make_inputs; inputs_made=1; }
    write_nginx_config
    nginx -p "$work/nginx/" -e "$work/nginx/error.log" -c "$work/nginx/nginx.conf" &
    nginx_pid=$!
    for _ in $(seq 50); do
      if curl -sf -o /dev/null "http://127.0.0.1:$http_port/small/0001.txt" &&
        curl -sf -o /dev/null --cacert "$ca" "https://127.0.0.1:$https_port/small/0001.txt"; then
        return 0
      fi
      kill -0 "$nginx_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -QUIT "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
    # The inputs name the ports: make them again for the next pair.
    inputs_made=""
  done
  echo "nginx did not start:" >&2
  cat "$work/nginx/error.log" >&2
  exit 1
}

# --- measuring ------------------------------------------------------------------------------

# run_trawl JOB COMMAND: the job program prints its own line (job_clock.h).
run_trawl() {
  local line
  line=$(bash -c "$2") || { echo "the Trawl side of '$1' failed: $2" >&2; exit 1; }
  echo "$line" >>"$work/results/$1.trawl"
}

# run_yardstick JOB COMMAND: the whole command, timed here, its peak from time(1).
run_yardstick() {
  local start end
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/peak" bash -c "$2" ||
    { echo "the yardstick of '$1' failed: $2" >&2; exit 1; }
  end=$EPOCHREALTIME
  echo "seconds=$(seconds_between "$start" "$end") peak_kib=$(tail -n1 "$work/peak")" \
    >>"$work/results/$1.yard"
}

# run_yardstick_job JOB COMMAND: a yardstick that is a job program itself.
run_yardstick_job() {
  local line
  line=$(bash -c "$2") || { echo "the yardstick of '$1' failed: $2" >&2; exit 1; }
  echo "$line" >>"$work/results/$1.yard"
}

# The values of field NAME (name=value) over the lines of FILE, in order.
values() { sed -n "s/.*\<$2=\([^ ]*\).*/\1/p" "$1" | sort -g; }

# The median of field NAME over the lines of FILE.
median() {
  values "$1" "$2" |
    awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
minimum() { values "$1" "$2" | head -n1; }
maximum() { values "$1" "$2" | tail -n1; }

# Each job: a Trawl command and a yardstick command (none for the stall probe), and with
# "job" a yardstick that measures itself from inside as the Trawl side does. Run i puts
# the Trawl side first when i is odd and second when it is even.
job_names=()
declare -A trawl_cmd yard_cmd yard_kind
define_job() { job_names+=("$1"); trawl_cmd[$1]=$2; yard_cmd[$1]=$3; yard_kind[$1]=${4:-}; }

define_jobs() {
  local j=$jobs_dir http=http://127.0.0.1:$http_port https=https://127.0.0.1:$https_port
  local font
  font=$(fc-match -f '%{file}' 'DejaVu Sans:bold')
  define_job heads-https \
    "$j/header_total_job $work/heads-https.txt $small_total $ca" \
    "curl -sS --cacert $ca -K $work/heads-https.cfg >/dev/null"
  define_job heads-http \
    "$j/header_total_job $work/heads-http.txt $small_total" \
    "curl -sS -K $work/heads-http.cfg >/dev/null"
  define_job body \
    "$j/body_fetch_job $http/body.bin $((body_mib * 1048576))" \
    "curl -sS -o /dev/null $http/body.bin"
  define_job picture-cjpeg \
    "$j/picture_mark_job $work/photo.jpg $work/marked-trawl.jpg 1" \
    "djpeg $work/photo.jpg | cjpeg -quality 10 >$work/marked-cjpeg.jpg 2>/dev/null"
  define_job picture-magick \
    "$j/picture_mark_job $work/photo.jpg $work/marked-trawl.jpg 1" \
    "/usr/bin/convert $work/photo.jpg -font $font -pointsize 216 -fill red -gravity center \
       -annotate 315x315+0+0 TRAWL -quality 10 $work/marked-magick.jpg"
  define_job catalogue \
    "$j/catalogue_list_job $http/list.xml $list_entries" \
    "curl -sS $http/list.xml | xmlwf | { ! grep .; }"
  define_job run \
    "d=\$(mktemp -d $work/run-trawl.XXXX) && $j/picture_run_job $https/run.xml \$d/ $ca" \
    "d=\$(mktemp -d $work/run-curl.XXXX) && \
       curl -sS --cacert $ca --remote-name-all --output-dir \$d -K $work/run.cfg && \
       for f in \$d/*.jpg; do $mark_tool \$f \$f TRAWL >/dev/null || exit 1; done"
  define_job run-limit \
    "d=\$(mktemp -d $work/run-trawl.XXXX) && $j/picture_run_job $https/run.xml \$d/ $ca" \
    "d=\$(mktemp -d $work/run-limit.XXXX) && $j/run_limit_job $work/run-addresses.txt \$d/ $ca" job
  define_job stall \
    "d=\$(mktemp -d $work/stall.XXXX) && $j/ui_stall_job $http/list.xml \$d/ $stall_run $ca" ""
  local i
  : >"$work/run.cfg"
  : >"$work/run-addresses.txt"
  for ((i = 0; i < pictures; i++)); do
    printf 'url = "%s/pictures/pic-%03d.jpg"\n' "$https" "$i" >>"$work/run.cfg"
    printf '%s/pictures/pic-%03d.jpg\n' "$https" "$i" >>"$work/run-addresses.txt"
  done
}

measure_yardstick() {
  if [ "${yard_kind[$1]}" = job ]; then
    run_yardstick_job "$1" "${yard_cmd[$1]}"
  else
    run_yardstick "$1" "${yard_cmd[$1]}"
  fi
}

measure() {
  local run job
  for ((run = 1; run <= runs; run++)); do
    echo "run $run of $runs" >&2
    for job in "${job_names[@]}"; do
      if [ -z "${yard_cmd[$job]}" ]; then
        run_trawl "$job" "${trawl_cmd[$job]}"
      elif ((run % 2)); then
        run_trawl "$job" "${trawl_cmd[$job]}"
        measure_yardstick "$job"
      else
        measure_yardstick "$job"
        run_trawl "$job" "${trawl_cmd[$job]}"
      fi
    done
    measure_big_lists
  done
}

# --- big lists ----------------------------------------------------------------------------

# Every list command on the list of the catalogue job, inside a running program
# (bench/big_list_job.cpp): each run's lines go to big-N-COMMAND.trawl. The list of a
# million entries is measured once, in the first run.
big_commands=(fill select-all check-selected uncheck-all check-all invert-all requeue-failed
  reset-all size-total-start download-start clear close)
measure_big_list() {
  local entries=$1 address=$2 d out
  d=$(mktemp -d "$work/big.XXXX")
  out=$("$jobs_dir/big_list_job" "$address" "$entries" "$d/") ||
    { echo "the big list job failed on $entries entries" >&2; exit 1; }
  rm -rf "$d"
  echo "$out" | sed -n "s/^command=\([^ ]*\) \(.*\)/\1 \2/p" | while read -r name rest; do
    echo "$rest" >>"$work/results/big-$entries-$name.trawl"
  done
  echo "$out" | grep '^seconds=' >>"$work/results/big-$entries-memory.trawl"
}

measure_big_lists() {
  measure_big_list "$list_entries" "http://127.0.0.1:$http_port/list.xml"
  if [ "$huge_entries" != 0 ] && [ ! -f "$work/results/big-$huge_entries-memory.trawl" ]; then
    measure_big_list "$huge_entries" "http://127.0.0.1:$http_port/huge.xml"
  fi
}

# The commands that show the run's control state hold it for a deliberate 100 ms, which
# is not the list's cost.
declare -A big_pause=([download-start]=0.1 [clear]=0.1)
big_goal_seconds=0.1 big_row_goal_bytes=300 big_peak_goal_kib=$((80 * 1024)) huge_stall_goal=2

print_big_row() { printf '| %-44s | %-26s | %-20s | %-5s |\n' "$@"; }

print_big_lists() {
  local r=$work/results n=$list_entries name t pause net memory
  echo
  echo "Big lists: every list command on $n rows, inside a running program"
  echo
  print_big_row "command" "Trawl" "goal" "holds"
  print_big_row "---" "---" "---" "---"
  for name in "${big_commands[@]}"; do
    t=$(median "$r/big-$n-$name.trawl" seconds)
    if [ "$name" = fill ]; then
      local ratio
      ratio=$(awk -v a="$t" -v b="$(median "$r/catalogue.yard" seconds)" 'BEGIN { printf "%.2f", a / b }')
      print_big_row "fill ($ratio x curl | xmlwf)" "$(spread "$r/big-$n-$name.trawl")" \
        "<= 2x curl | xmlwf" "$(holds "$ratio" 2)"
      continue
    fi
    pause=${big_pause[$name]:-0}
    net=$(awk -v t="$t" -v p="$pause" 'BEGIN { print t - p }')
    if [ "$pause" = 0 ]; then
      print_big_row "$name" "$(spread "$r/big-$n-$name.trawl")" "<= $(secs "$big_goal_seconds")" \
        "$(holds "$net" "$big_goal_seconds")"
    else
      print_big_row "$name, less its 100 ms pause" "$(secs "$net") ($(secs "$t") in all)" \
        "<= $(secs "$big_goal_seconds")" "$(holds "$net" "$big_goal_seconds")"
    fi
  done
  memory=$r/big-$n-memory.trawl
  local per_row peak
  per_row=$(awk -v k="$(median "$memory" resident_growth_kib)" -v n="$n" 'BEGIN { printf "%.0f", k * 1024 / n }')
  peak=$(median "$memory" peak_kib)
  print_big_row "resident size after the fill, per row" "$per_row bytes" \
    "<= $big_row_goal_bytes bytes" "$(holds "$per_row" "$big_row_goal_bytes")"
  print_big_row "peak of the fill" "$(mib "$peak")" \
    "<= $(mib "$big_peak_goal_kib")" "$(holds "$peak" "$big_peak_goal_kib")"
  [ "$huge_entries" != 0 ] || return 0
  local h=$huge_entries fill clear
  memory=$r/big-$h-memory.trawl
  fill=$(median "$r/big-$h-fill.trawl" seconds)
  clear=$(awk -v t="$(median "$r/big-$h-clear.trawl" seconds)" 'BEGIN { print t - 0.1 }')
  print_big_row "$h rows: fill (the window waits)" "$(secs "$fill")" \
    "<= $huge_stall_goal s" "$(holds "$fill" "$huge_stall_goal")"
  print_big_row "$h rows: clear, less the 100 ms pause" "$(secs "$clear")" \
    "<= $huge_stall_goal s" "$(holds "$clear" "$huge_stall_goal")"
  print_big_row "$h rows: resident size after the fill" \
    "$(mib "$(median "$memory" resident_growth_kib)")" "-" "-"
  print_big_row "$h rows: peak of the fill" "$(mib "$(median "$memory" peak_kib)")" "-" "-"
  echo
  echo "Medians of $runs runs (the $h-row list: one run), with their spread."
}

# --- the table ------------------------------------------------------------------------------

declare -A title yardstick goal_ratio
title=([heads-https]="$heads header requests, HTTPS (HTTP/2)"
  [heads-http]="$heads header requests, HTTP"
  [body]="fetch a $body_mib MiB body into memory"
  [picture-cjpeg]="decode, mark, save a ${photo_size} JPEG"
  [picture-magick]="decode, mark, save a ${photo_size} JPEG"
  [catalogue]="fetch, parse, list $list_entries entries"
  [run]="download run of $pictures pictures, HTTPS"
  [run-limit]="the same, less its 100 ms pauses"
  [stall]="longest UI stall, $stall_run-entry run")
yardstick=([heads-https]="curl -K, HEAD" [heads-http]="curl -K, HEAD" [body]="curl -o /dev/null"
  [picture-cjpeg]="djpeg | cjpeg -q 10" [picture-magick]="ImageMagick -annotate"
  [catalogue]="curl | xmlwf" [run]="curl -K + mark tool" [stall]="-"
  [run-limit]="one process, no list")
goal_ratio=([heads-https]=2 [heads-http]=1.5 [body]=1.3 [picture-cjpeg]=1.1
  [picture-magick]=0.5 [catalogue]=2 [run]=1.5 [run-limit]=1.5)
stall_goal_ms=20
body_growth_goal_kib=$((body_mib * 1024 + 4096))

mib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }
secs() { awk -v s="$1" 'BEGIN { if (s < 1) printf "%.1f ms", s * 1000; else printf "%.2f s", s }'; }
holds() { awk -v a="$1" -v b="$2" 'BEGIN { print (a <= b) ? "yes" : "NO" }'; }
# The median of FILE's seconds with their spread: "1.21 s (1.10-1.40)".
spread() {
  local m
  m=$(median "$1" seconds)
  echo "$(secs "$m") ($(awk -v a="$(minimum "$1" seconds)" -v b="$(maximum "$1" seconds)" \
    -v m="$m" 'BEGIN { if (m < 1) printf "%.1f-%.1f", a * 1000, b * 1000; else printf "%.2f-%.2f", a, b }'))"
}

print_row() {
  printf '| %-38s | %-26s | %-9s | %-21s | %-26s | %-9s | %-6s | %-17s | %-5s |\n' "$@"
}

print_table() {
  local job r=$work/results t y ratio verdict goal trawl_time
  print_row "job" "Trawl" "peak" "yardstick" "time" "peak" "ratio" "goal" "holds"
  print_row "---" "---" "---" "---" "---" "---" "---" "---" "---"
  for job in "${job_names[@]}"; do
    t=$(median "$r/$job.trawl" seconds)
    if [ "$job" = stall ]; then
      local stall
      stall=$(median "$r/$job.trawl" stall_ms)
      print_row "${title[$job]}" "$(awk -v m="$stall" 'BEGIN { printf "%.1f ms", m }')" \
        "$(mib "$(median "$r/$job.trawl" peak_kib)")" "-" "-" "-" "-" "<= $stall_goal_ms ms" \
        "$(holds "$stall" "$stall_goal_ms")"
      continue
    fi
    y=$(median "$r/$job.yard" seconds)
    # Against the limit, the run's two deliberate 100 ms pauses are no cost to be cut.
    local paused=0
    [ "$job" = run-limit ] && paused=0.2
    ratio=$(awk -v a="$t" -v b="$y" -v p="$paused" 'BEGIN { printf "%.2f", (a - p) / b }')
    verdict=$(holds "$ratio" "${goal_ratio[$job]}")
    goal="<= ${goal_ratio[$job]}x"
    trawl_time=$(spread "$r/$job.trawl")
    if [ "$job" = run ] || [ "$job" = run-limit ]; then
      trawl_time="$trawl_time, $(awk -v n="$pictures" -v s="$t" 'BEGIN { printf "%.1f/s", n / s }')"
    fi
    if [ "$job" = body ]; then
      goal="$goal, +<=4 MiB"
      [ "$(holds "$(median "$r/$job.trawl" growth_kib)" "$body_growth_goal_kib")" = yes ] || verdict=NO
    fi
    print_row "${title[$job]}" "$trawl_time" "$(mib "$(median "$r/$job.trawl" peak_kib)")" \
      "${yardstick[$job]}" "$(spread "$r/$job.yard")" "$(mib "$(median "$r/$job.yard" peak_kib)")" \
      "${ratio}x" "$goal" "$verdict"
  done
  echo
  local one='BEGIN { printf "%.1f", m }'
  echo "Medians of $runs alternated runs. Body: Trawl's peak grew by" \
    "$(mib "$(median "$r/body.trawl" growth_kib)") during the fetch (goal: the body + 4 MiB)." \
    "Run: $(awk -v n="$pictures" -v s="$(median "$r/run.yard" seconds)" \
      'BEGIN { printf "%.1f", n / s }') entries/s for the yardstick." \
    "Stall: the gaps that hold the deliberate 100 ms pauses were" \
    "$(awk -v m="$(median "$r/stall.trawl" start_ms)" "$one") ms at the start and" \
    "$(awk -v m="$(median "$r/stall.trawl" end_ms)" "$one") ms at the end;" \
    "the longest gap between them was $(awk -v m="$(median "$r/stall.trawl" between_ms)" "$one") ms late." \
    "Against the in-process limit the run's ratio leaves out its two deliberate 100 ms pauses" \
    "(start and end), which the limit has no part of; with them it is" \
    "$(awk -v t="$(median "$r/run-limit.trawl" seconds)" -v y="$(median "$r/run-limit.yard" seconds)" \
      'BEGIN { printf "%.2fx", t / y }')."
}

# --- profiles ------------------------------------------------------------------------------

# The jobs with the three highest ratios, worst first.
worst_jobs() {
  local job
  for job in "${job_names[@]}"; do
    [ -n "${yard_cmd[$job]}" ] || continue
    echo "$(median "$work/results/$job.trawl" seconds) $(median "$work/results/$job.yard" seconds) $job"
  done | awk '{ print $1 / $2, $3 }' | sort -gr | head -n 3 | cut -d' ' -f2
}

# The first `count` lines of a perf report that name a symbol or a library.
perf_summary() {
  local data=$1 count=$2
  shift 2
  perf report -i "$data" --stdio -g none "$@" 2>/dev/null |
    awk -v count="$count" '!/^#/ && NF {
      sub(/[ -]+$/, "")  # columns perf cannot fill here
      if ($NF !~ /^0x[0-9a-f]+$/ && n++ < count) print
    }'
}

profile_worst() {
  local job out=$build/compare-profiles
  mkdir -p "$out"
  for job in $(worst_jobs); do
    perf record -q -e cpu-clock -F 1000 --call-graph dwarf -o "$out/$job.data" \
      -- bash -c "${trawl_cmd[$job]}" >/dev/null
    {
      echo "Profile of ${title[$job]} ($job), CPU samples of the whole program"
      echo "By library (self):"
      perf_summary "$out/$job.data" 8 --no-children --sort dso
      echo "By function (self):"
      perf_summary "$out/$job.data" 12 --no-children --sort dso,symbol
      echo "By function (with callees; unnamed library internals left out):"
      perf_summary "$out/$job.data" 20 --children --sort symbol --percent-limit 5
    } >"$out/$job.txt"
    echo
    cat "$out/$job.txt"
  done
}

make_certificates
start_nginx
define_jobs
hold_freed_pages
"$jobs_dir/memory_warmup" >&2
measure
print_table
print_big_lists
[ "$profile" = 0 ] || profile_worst
