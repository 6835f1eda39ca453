#!/usr/bin/env bash
# Runs the Windows test suites of BUILD (build-windows by default, made by
# scripts/windows/build.sh) under Wine, each suite one process. A suite passes only when
# it exits with 0 and its GoogleTest XML report exists and counts tests and no failure.
# The install suite packs the build (scripts/windows/package.sh) and checks its installer
# in the Wine prefix: a silent install, the installed catalogue server started from its
# Start-menu entry, the installed program, the installed program run by an ordinary user
# (as root only: it adds a user, TRAWL_WINDOWS_USER, default trawluser, and removes it
# again), a silent uninstall.
# Wine draws windows on X: without a DISPLAY a virtual screen (Xvfb) is started for the
# run. The HTTPS test talks to a Linux TLS server (https-test-server.py) started here
# with a fresh self-signed certificate.
#
#   scripts/windows/test.sh [BUILD] [suite...]    (suites: core io platform images app tools
#                                                  install; default all)
set -euo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$source_root/build-windows}")
shift $(($# > 0 ? 1 : 0))
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(core io platform images app tools install)

source "$source_root/scripts/windows/wine-prefix.sh"
results=$build/test-results
work=$(mktemp -d)
server_pid="" screen_pid="" manager_pid="" made_user=""
cleanup() {
  remove_user
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  [ -n "$manager_pid" ] && kill "$manager_pid" 2>/dev/null
  [ -n "$screen_pid" ] && kill "$screen_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  exec {displayfd}>"$work/display"
  Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  screen_pid=$!
  exec {displayfd}>&-
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$work/display")"
  # Without a window manager Wine waits two seconds for every hidden window to withdraw.
  openbox >"$work/openbox.log" 2>&1 &
  manager_pid=$!
fi
make_wine_prefix

# --- the Linux HTTPS server ----------------------------------------------------------------
for name in cert other; do
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 \
    -subj /CN=localhost -addext subjectAltName=DNS:localhost,IP:127.0.0.1 \
    -keyout "$work/$name-key.pem" -out "$work/$name.pem" 2>/dev/null
done
# Schannel under Wine refuses a certificate within a second or so of its start of validity
# (the second it was made): the io suite failed its HTTPS case whenever it came that soon.
certificates_made=$SECONDS
head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$work/probe.txt"
python3 "$source_root/scripts/windows/https-test-server.py" "$work" >"$work/server.out" 2>&1 </dev/null &
server_pid=$!
for _ in $(seq 100); do
  port=$(sed -n 's/^port \([0-9]*\)$/\1/p' "$work/server.out" 2>/dev/null || true)  # maybe not made yet
  [ -n "$port" ] && break
  sleep 0.1
done
if [ -n "${port:-}" ]; then
  export TRAWL_TEST_HTTPS_URL="https://localhost:$port/probe.txt"
  export TRAWL_TEST_HTTPS_BODY TRAWL_TEST_HTTPS_CA TRAWL_TEST_HTTPS_OTHER_CA
  TRAWL_TEST_HTTPS_BODY=$(cat "$work/probe.txt")
  TRAWL_TEST_HTTPS_CA=$("$wine" winepath -w "$work/cert.pem" 2>/dev/null)
  TRAWL_TEST_HTTPS_OTHER_CA=$("$wine" winepath -w "$work/other.pem" 2>/dev/null)
else
  echo "test: the HTTPS server did not start; its test is skipped"
  cat "$work/server.out"
fi

# --- the installer ------------------------------------------------------------------------
# Where the installer puts things in the prefix, seen from both sides.
install_win='C:\Program Files\Trawl'
install_dir="$WINEPREFIX/drive_c/Program Files/Trawl"
start_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
start_entry="$start_menu/Trawl.lnk"
server_entry="$start_menu/Trawl catalogue server.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Trawl'

# check WHAT COMMAND...: one counted check of the install suite; its output goes to the log.
check() {
  local what=$1
  shift
  checks=$((checks + 1))
  if "$@" >>"$install_log" 2>&1; then
    echo "ok: $what" >>"$install_log"
    return 0
  fi
  check_failures=$((check_failures + 1))
  echo "FAILED: $what" | tee -a "$install_log"
  return 1
}

# uninstall_entry 32|64: the entry's values in that registry view as NAME=VALUE lines.
uninstall_entry() {
  { "$wine" reg query "$uninstall_key" "/reg:$1" 2>/dev/null || true; } | tr -d '\r' |
    sed -n 's/^    \([A-Za-z]*\)    REG_[A-Z_]*    \(.*\)$/\1=\2/p'
}

files_in() { find "$1" -mindepth 1 -maxdepth 1 -printf '%f\n' 2>/dev/null | LC_ALL=C sort | xargs; }

window_shown() { [ -n "$(xdotool search --onlyvisible --pid "$1" ${2:+--name "$2"} 2>/dev/null)" ]; }

# wait_until SECONDS COMMAND...: polls COMMAND every 0.1 s; false when time runs out.
wait_until() {
  local tenths=$(($1 * 10)) t
  shift
  for ((t = 0; t < tenths; t++)); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# Port 8917, where Trawl's addresses look for the catalogue server, is shared with the
# demos: free means that nothing listens there.
port_free() {
  python3 -c 'import socket
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 8917))' 2>/dev/null
}

# The number of pictures the catalogue server on 8917 lists in its sample catalogue.
serves_sample_pictures() {
  local count
  count=$(python3 -c 'import urllib.request
answer = urllib.request.urlopen("http://127.0.0.1:8917/trawl/catalog/sample.xml", timeout=5)
print(answer.read().count(b"<image "))' 2>/dev/null)
  [ "${count:-0}" -eq "$1" ]
}

# The installed server as a user starts it, from its Start-menu entry: without arguments
# it publishes the twelve sample pictures where Trawl looks for them.
installed_server_checks() {
  check "the catalogue server's Start-menu entry" \
    grep -qaF "$install_win\\trawl-catalogue-server.exe" "$server_entry" || return 0
  check "port 8917 is free (waited for up to 5 minutes)" wait_until 300 port_free || return 0
  "$wine" start /unix "$server_entry" >>"$install_log" 2>&1 || true
  check "the server started from its entry serves its sample pictures on 127.0.0.1:8917" \
    wait_until 60 serves_sample_pictures 12 || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  check "the server has stopped" wait_until 30 port_free || true
}

remove_user() {
  [ -n "$made_user" ] || return 0
  wine_user_command "$made_user"
  "${as_user[@]}" /usr/lib/wine/wineserver -k 2>/dev/null || true
  "${as_user[@]}" /usr/lib/wine/wineserver -w 2>/dev/null || true
  userdel -r "$made_user" >/dev/null 2>&1 || true
  made_user=""
}

# The installed program as an ordinary user meets it: a new user with a Wine prefix of
# its own (Wine refuses one its user does not own), installed into as an administrator
# leaves it: the program's folder owned by root with mode 0755, so the user cannot write
# there. The headless demo then drives that trawl.exe as the user, with the catalogue
# server of the same installation; every picture must land in the user's
# Pictures\Trawl folder.
user_checks() {
  local setup=$1 user=${TRAWL_WINDOWS_USER:-trawluser} home installed
  if [ "$(id -u)" -ne 0 ]; then
    echo "test: install: not root: the run by an ordinary user is left out" | tee -a "$install_log"
    return 0
  fi
  # Only a user made here is removed again.
  if getent passwd "$user" >/dev/null; then
    check "the user $user is new (name another with TRAWL_WINDOWS_USER)" false || true
    return 0
  fi
  check "a new user $user" useradd -m -s /bin/bash "$user" || return 0
  made_user=$user
  home=$(getent passwd "$user" | cut -d: -f6)
  check "$user's own Wine prefix" make_wine_prefix "$user" || return 0
  wine_user_command "$user"
  install -o "$user" -m 0644 "$setup" "$home/setup.exe"
  check "the silent install by $user exits with 0" \
    timeout 60 "${as_user[@]}" "$wine" "$home/setup.exe" /S || return 0
  "${as_user[@]}" /usr/lib/wine/wineserver -w
  installed="$home/.wine/drive_c/Program Files/Trawl"
  chown -R root:root "$installed"
  chmod -R u=rwX,go=rX "$installed"
  # shellcheck disable=SC2016  # expanded by the inner shell
  check "the installed folder is root's with mode 0755, and $user cannot write there" \
    "${as_user[@]}" sh -c '[ "$(stat -c "%U %a" "$1")" = "root 755" ] && [ ! -w "$1" ]' \
    sh "$installed" || true
  check "$user runs the installed trawl.exe: every picture is saved and marked in Pictures\\Trawl" \
    env TRAWL_WINDOWS_BUILD_DIR="$build" "$source_root/scripts/demo-headless.sh" \
    --windows-user "$user" "$results/user-demo" || true
  remove_user
}

# A silent install, the installed catalogue server started from the Start menu, the
# installed program started (it must answer --version and, without its server, show the
# connection message), the run by an ordinary user, a silent uninstall through the
# registered command. A picture saved into the program's folder (as a copy whose folder
# is writable does) must outlive the uninstall.
install_checks() {
  local version setup app entry_text name value view
  version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
  setup=$build/package/trawl-$version-setup.exe
  check "packing the build" "$source_root/scripts/windows/package.sh" "$build" || return 0

  # The portable copy runs from wherever it was unpacked.
  local portable=$work/portable
  check "the zip unpacks" python3 -m zipfile -e "$build/package/trawl-$version-windows-x64.zip" \
    "$portable" || true
  check "the zip holds the program, the catalogue server, the license and the readme" \
    test "$(files_in "$portable")" = "LICENSE.txt readme.txt trawl-catalogue-server.exe trawl.exe" || true
  check "the unpacked trawl.exe --version names $version" \
    grep -qF "$version" <(timeout 30 "$wine" "$portable/trawl.exe" --version) || true
  check "the unpacked trawl-catalogue-server.exe --help names the sample catalogue" \
    grep -qF /trawl/catalog/sample.xml <(timeout 30 "$wine" "$portable/trawl-catalogue-server.exe" --help) || true

  # A former run's leftovers would pass the checks.
  rm -rf "$install_dir" "$start_entry" "$server_entry"
  for view in 32 64; do "$wine" reg delete "$uninstall_key" "/reg:$view" /f >/dev/null 2>&1 || true; done
  check "the silent install exits with 0" timeout 60 "$wine" "$setup" /S || return 0
  check "the installed files" test "$(files_in "$install_dir")" = \
    "LICENSE.txt readme.txt trawl-catalogue-server.exe trawl.exe uninstall.exe" || true
  check "the Start-menu entry" grep -qaF "$install_win\\trawl.exe" "$start_entry" || true

  entry_text=$(uninstall_entry 64)
  echo "$entry_text" >>"$install_log"
  local -A entry=() expected=(
    [DisplayName]=Trawl [DisplayVersion]=$version [Publisher]="Trawl developers"
    [DisplayIcon]="$install_win\\trawl.exe,0" [InstallLocation]=$install_win
    [UninstallString]="\"$install_win\\uninstall.exe\""
    [QuietUninstallString]="\"$install_win\\uninstall.exe\" /S"
    [NoModify]=0x1 [NoRepair]=0x1)
  while IFS='=' read -r name value; do [ -n "$name" ] && entry[$name]=$value; done <<<"$entry_text"
  for name in "${!expected[@]}"; do
    check "uninstall entry $name is ${expected[$name]}" test "${entry[$name]:-}" = "${expected[$name]}" || true
  done
  # In KiB; at least the two programs.
  local estimated=${entry[EstimatedSize]:-0} programs
  [[ $estimated =~ ^0x[0-9a-fA-F]+$ ]] || estimated=0
  programs=$(cat "$install_dir"/*.exe 2>/dev/null | wc -c)
  check "uninstall entry EstimatedSize ($estimated) covers the programs" \
    test $((estimated)) -ge $((programs / 1024)) || true
  check "the 32-bit registry view holds no entry" test -z "$(uninstall_entry 32)" || true

  check "the installed trawl.exe --version names $version" \
    grep -qF "$version" <(timeout 30 "$wine" "$install_win\\trawl.exe" --version) || true
  installed_server_checks
  "$wine" "$install_win\\trawl.exe" >>"$install_log" 2>&1 &
  app=$!
  local t=0
  while [ $t -lt 200 ] && kill -0 "$app" 2>/dev/null && ! window_shown "$app" '^No connection$'; do
    sleep 0.1
    t=$((t + 1))
  done
  check "the installed trawl.exe, without its server, shows the connection message" \
    window_shown "$app" '^No connection$' || true
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  wait "$app" 2>/dev/null || true

  user_checks "$setup"

  echo picture >"$install_dir/album_picture.jpg" 2>/dev/null || true
  local quiet=${entry[QuietUninstallString]:-} program arguments
  program=${quiet#\"}
  program=${program%%\"*}
  arguments=${quiet#\"*\"}
  # The uninstaller runs a copy of itself from the temporary folder and returns at once:
  # the wineserver ends only when that copy has.
  # shellcheck disable=SC2086  # the registered arguments, split as Windows would
  check "the silent uninstall exits with 0" timeout 60 "$wine" "$program" $arguments || true
  check "the uninstaller ends" timeout 60 /usr/lib/wine/wineserver -w || true
  check "only the picture is left" test "$(files_in "$install_dir")" = album_picture.jpg || true
  check "the Start-menu entries are gone" test ! -e "$start_entry" -a ! -e "$server_entry" || true
  check "the uninstall entry is gone" test -z "$(uninstall_entry 64)" || true
  rm -rf "$install_dir"
}

install_suite() {
  install_log=$results/install.log
  checks=0 check_failures=0
  local start=$SECONDS
  : >"$install_log"
  if [ ! -f "$build/app/trawl.exe" ]; then
    echo "test: install: $build/app/trawl.exe is missing"
    bad_suites+=(install)
    return
  fi
  install_checks
  echo "test: install: $checks checks, $check_failures failed ($((SECONDS - start)) s)"
  [ "$check_failures" -eq 0 ] || bad_suites+=(install)
  passed=$((passed + checks - check_failures))
  failed=$((failed + check_failures))
}

# --- the suites --------------------------------------------------------------------------
# Each suite takes well under a minute; one that runs this long hangs.
suite_limit=300

# run_suite SUITE EXE XML [ARGUMENT...]: runs one suite with `runner` into its log; exits
# with the suite's code, or with 124 after saving the backtraces of its threads when it
# outlives suite_limit.
run_suite() {
  local suite=$1 exe=$2 xml=$3 pid waited=0
  shift 3
  (cd "$results" && exec "${runner[@]}" "$exe" --gtest_output="xml:$(basename "$xml")" "$@") \
    >"$results/$suite.log" 2>&1 &
  pid=$!
  while kill -0 "$pid" 2>/dev/null && [ "$waited" -lt "$suite_limit" ]; do
    sleep 1
    waited=$((waited + 1))
  done
  if kill -0 "$pid" 2>/dev/null; then
    save_backtraces "$(basename "$exe")" >"$results/$suite-hang.txt" 2>&1 || true
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    return 124
  fi
  wait "$pid"
}

# save_backtraces EXE: every thread's backtrace in the Windows process running EXE.
save_backtraces() {
  local id
  id=$(timeout 60 "$wine" winedbg --command "info process" 2>/dev/null | tr -d '\r' |
    awk -v exe="'$1'" '$NF == exe { print $1; exit }' | tr -d '=')
  [ -n "$id" ] || { echo "no process runs $1"; return 1; }
  timeout 120 "$wine" winedbg --command "bt all" "0x$id" 2>&1 |
    awk -v exe="$1" '/^Backtracing for thread/ { keep = index($0, exe) > 0 } keep' |
    python3 "$source_root/scripts/windows/name-frames.py" "$build/tests/$1"
}

# hung_test LOG: the test that was running when the suite's log ended.
hung_test() {
  local name
  name=$(sed -n 's/^\[ RUN      \] //p' "$1" | tail -n1)
  if [ -n "$name" ] && ! grep -qE "^\[ +(OK|FAILED|SKIPPED) +\] $name " "$1"; then
    echo "$name"
  else
    echo "no test (at the start or the end)"
  fi
}

# gtest_suite NAME EXE [ARGUMENT...]: runs a GoogleTest suite with `runner` and counts it.
# It passes only when it exits with 0 and its XML report exists and counts tests and no
# failure.
gtest_suite() {
  local name=$1 exe=$2
  shift 2
  local xml=$results/$name.xml start=$SECONDS code=0 tests=0 failures=1 errors=0 skips=0 summary
  if [ ! -f "$exe" ]; then
    echo "test: $name: $exe is missing"
    bad_suites+=("$name")
    return
  fi
  run_suite "$name" "$exe" "$xml" "$@" || code=$?
  if [ "$code" -eq 124 ]; then
    echo "test: $name: hung in $(hung_test "$results/$name.log") after $suite_limit s;" \
      "the threads' backtraces are in $results/$name-hang.txt; running it once more"
    rm -f "$xml"
    code=0
    run_suite "$name" "$exe" "$xml" "$@" || code=$?
  fi
  if [ -f "$xml" ]; then
    summary=$(grep -m1 '<testsuites ' "$xml")
    tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$summary")
    failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$summary")
    errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$summary")
    skips=$(grep -c '<skipped' "$xml" || true)
  fi
  echo "test: $name: exit $code, $tests tests, $failures failed, $errors errors, $skips skipped" \
    "($((SECONDS - start)) s)"
  if [ "$code" -ne 0 ] || [ ! -f "$xml" ] || [ "${tests:-0}" -eq 0 ] || [ "$failures" -ne 0 ] ||
    [ "$errors" -ne 0 ]; then
    bad_suites+=("$name")
    grep -E '^\[  FAILED  \]|unhandled exception|Failure$' "$results/$name.log" | head -n 40 || true
    [ -f "$xml" ] || tail -n 20 "$results/$name.log"
  fi
  [ "${tests:-0}" -gt 0 ] && passed=$((passed + tests - ${failures:-0} - ${errors:-0} - skips))
  failed=$((failed + ${failures:-0} + ${errors:-0}))
  skipped=$((skipped + skips))
}

# The io cases that need an ordinary user, run as one (as root only): a new user with a
# Wine prefix of its own, and a folder owned by root that the user may read but not write,
# as an administrator's install leaves the program's folder. The user goes afterwards.
ordinary_user_suite() {
  local user=${TRAWL_WINDOWS_IO_USER:-trawliouser} locked
  if [ "$(id -u)" -ne 0 ] || getent passwd "$user" >/dev/null; then
    echo "test: io-as-user: left out (needs root, and no user $user yet)"
    return
  fi
  useradd -m -s /bin/bash "$user"
  made_user=$user
  if ! make_wine_prefix "$user" >/dev/null; then
    echo "test: io-as-user: no Wine prefix for $user"
    bad_suites+=(io-as-user)
    remove_user
    return
  fi
  locked=$(getent passwd "$user" | cut -d: -f6)/.wine/drive_c/locked
  mkdir -p "$locked"
  chown root:root "$locked"
  chmod 0755 "$locked"
  local -a as_user runner
  wine_user_command "$user"
  runner=("${as_user[@]}" TRAWL_TEST_UNWRITABLE_FOLDER='C:\locked' "$wine")
  gtest_suite io-as-user "$build/tests/trawl_io_tests.exe" --gtest_filter='AsAnOrdinaryUser.*'
  remove_user
}

rm -rf "$results"
mkdir -p "$results"
chmod 0777 "$results"  # the ordinary user's suite writes its report here
passed=0 failed=0 skipped=0 bad_suites=()
runner=("$wine")
for suite in "${suites[@]}"; do
  case $suite in
    install) install_suite ;;
    io)
      certificates_young=$((certificates_made + 3 - SECONDS))
      [ "$certificates_young" -le 0 ] || sleep "$certificates_young"
      gtest_suite io "$build/tests/trawl_io_tests.exe" --gtest_filter='-AsAnOrdinaryUser.*'
      ordinary_user_suite
      ;;
    *) gtest_suite "$suite" "$build/tests/trawl_${suite}_tests.exe" ;;
  esac
done
/usr/lib/wine/wineserver -k 2>/dev/null || true

echo "windows: $passed passed, $failed failed, $skipped skipped"
if [ ${#bad_suites[@]} -gt 0 ]; then
  echo "test: failing suites: ${bad_suites[*]} (logs and reports in $results)"
  exit 1
fi
