#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds fuzz_input and fuzzes the chart input for the given seconds (default
# 120). Fails on any crash, leak, sanitizer report or timeout. New inputs go
# to a scratch corpus; the seeds in tests/corpus stay as they are.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
cmake -S "$root" -B "$build" -G Ninja -DVELDRA_INPUT_ONLY=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target fuzz_input -j2
mkdir -p "$build/fuzz-corpus" "$build/fuzz-artifacts"
log="$build/fuzz.log"
status=0
"$build/fuzz/fuzz_input" -max_total_time="${1:-120}" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/" \
  "$build/fuzz-corpus" "$root/tests/corpus" >"$log" 2>&1 || status=$?
echo "fuzz_input: $(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1) executions"
if [ "$status" -ne 0 ] || grep -q "ERROR: \|runtime error:" "$log"; then
  echo "fuzz_input found a problem (exit status $status); see $log" >&2
  tail -n 40 "$log" >&2
  exit 1
fi
