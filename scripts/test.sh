#!/usr/bin/env bash
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
echo "== tests"
(cd "$root/build" && ctest --output-on-failure -j2 --timeout 600)

echo "== sanitizer build"
bash "$root/scripts/build.sh" "$root/build-sanitize" Sanitize
echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
# Leaks inside the system's font and GUI libraries are not ours; the fuzz
# run below checks the input reader for leaks.
(cd "$root/build-sanitize" && \
  ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --output-on-failure -j2 --timeout 900 -LE e2e)

if [ -x "$root/fuzz/run.sh" ] || [ -f "$root/fuzz/run.sh" ]; then
  echo "== fuzzing the chart input reader"
  bash "$root/fuzz/run.sh" "${FUZZ_SECONDS:-120}"
fi
