#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, builds and runs every test: the normal build, the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, and a bounded fuzz
# run of the chart input reader.
#   scripts/test.sh            everything
#   FUZZ_SECONDS=600 scripts/test.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/install-deps.sh"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d)}"
chmod 700 "$XDG_RUNTIME_DIR"

echo "== build"
bash "$root/scripts/build.sh" "$root/build" RelWithDebInfo
# Runs ctest in a build folder and adds its test count to the total.
total=0
run_ctest() {
  local dir=$1 log
  shift
  log=$(mktemp)
  (cd "$dir" && ctest "$@") 2>&1 | tee "$log"
  total=$(( total + $(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1) ))
  rm -f "$log"
}

echo "== tests"
run_ctest "$root/build" --output-on-failure -j2 --timeout 600

echo "== sanitizer build"
bash "$root/scripts/build.sh" "$root/build-sanitize" Sanitize
echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
# Leaks inside the system's font and GUI libraries are not ours; the fuzz
# run below checks the input reader for leaks.
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest "$root/build-sanitize" --output-on-failure -j2 --timeout 900 -LE e2e

if [ -x "$root/fuzz/run.sh" ] || [ -f "$root/fuzz/run.sh" ]; then
  echo "== fuzzing the chart input reader"
  bash "$root/fuzz/run.sh" "${FUZZ_SECONDS:-120}"
  total=$(( total + 1 ))
fi

# Every stage above stops the script on a failure.
echo "all: $total passed, 0 failed"
