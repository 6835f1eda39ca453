#!/usr/bin/env bash
# Runs the Windows test suites of BUILD (build-windows by default, made by
# scripts/windows/build.sh) under Wine, each suite one process. A suite passes only when
# it exits with 0 and its GoogleTest XML report exists and counts tests and no failure.
# Wine draws windows on X: without a DISPLAY a virtual screen (Xvfb) is started for the
# run. The HTTPS test talks to a Linux TLS server (https-test-server.py) started here
# with a fresh self-signed certificate.
#
#   scripts/windows/test.sh [BUILD] [suite...]    (suites: core io platform images; default all)
set -euo pipefail
source_root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$source_root/build-windows}")
shift $(($# > 0 ? 1 : 0))
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(core io platform images)

source "$source_root/scripts/windows/wine-prefix.sh"
results=$build/test-results
work=$(mktemp -d)
server_pid="" screen_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
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
fi
make_wine_prefix

# --- the Linux HTTPS server ----------------------------------------------------------------
for name in cert other; do
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 \
    -subj /CN=localhost -addext subjectAltName=DNS:localhost,IP:127.0.0.1 \
    -keyout "$work/$name-key.pem" -out "$work/$name.pem" 2>/dev/null
done
head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n' >"$work/probe.txt"
python3 "$source_root/scripts/windows/https-test-server.py" "$work" >"$work/server.out" 2>&1 </dev/null &
server_pid=$!
for _ in $(seq 100); do
  port=$(sed -n 's/^port \([0-9]*\)$/\1/p' "$work/server.out")
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

# --- the suites --------------------------------------------------------------------------
rm -rf "$results"
mkdir -p "$results"
passed=0 failed=0 skipped=0 bad_suites=()
for suite in "${suites[@]}"; do
  exe=$build/tests/trawl_${suite}_tests.exe
  xml=$results/$suite.xml
  if [ ! -f "$exe" ]; then
    echo "test: $suite: $exe is missing"
    bad_suites+=("$suite")
    continue
  fi
  start=$SECONDS
  code=0
  (cd "$results" && timeout 900 "$wine" "$exe" --gtest_output="xml:$(basename "$xml")" \
    >"$results/$suite.log" 2>&1) || code=$?
  tests=0 failures=1 errors=0 skips=0
  if [ -f "$xml" ]; then
    summary=$(grep -m1 '<testsuites ' "$xml")
    tests=$(sed -n 's/.* tests="\([0-9]*\)".*/\1/p' <<<"$summary")
    failures=$(sed -n 's/.* failures="\([0-9]*\)".*/\1/p' <<<"$summary")
    errors=$(sed -n 's/.* errors="\([0-9]*\)".*/\1/p' <<<"$summary")
    skips=$(grep -c '<skipped' "$xml" || true)
  fi
  echo "test: $suite: exit $code, $tests tests, $failures failed, $errors errors, $skips skipped" \
    "($((SECONDS - start)) s)"
  if [ "$code" -ne 0 ] || [ ! -f "$xml" ] || [ "${tests:-0}" -eq 0 ] || [ "$failures" -ne 0 ] ||
    [ "$errors" -ne 0 ]; then
    bad_suites+=("$suite")
    grep -E '^\[  FAILED  \]|unhandled exception|Failure$' "$results/$suite.log" | head -n 40 || true
    [ -f "$xml" ] || tail -n 20 "$results/$suite.log"
  fi
  passed=$((passed + ${tests:-0} - ${failures:-0} - ${errors:-0} - skips))
  failed=$((failed + ${failures:-0} + ${errors:-0}))
  skipped=$((skipped + skips))
done
/usr/lib/wine/wineserver -k 2>/dev/null || true

echo "windows: $passed passed, $failed failed, $skipped skipped"
if [ ${#bad_suites[@]} -gt 0 ]; then
  echo "test: failing suites: ${bad_suites[*]} (logs and reports in $results)"
  exit 1
fi
