#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark with one command and writes the figures into
# bench/README.md. Usage: bench/run.sh [ROUNDS]   (default 15 rounds)
# BUILD_DIR (default build-bench) and WORK_DIR (default a temporary folder)
# may be set in the environment. BEFORE=COMMIT also builds that commit (in
# build-bench-before) and runs it beside this tree, for a before/after table.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${BUILD_DIR:-$root/build-bench}
rounds=${1:-15}

need=()
command -v gnuplot >/dev/null || need+=(gnuplot-nox)
[ -x /usr/bin/time ] || need+=(time)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v cmake >/dev/null || need+=(cmake)
command -v ninja >/dev/null || need+=(ninja-build)
command -v valgrind >/dev/null || need+=(valgrind)
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq "${need[@]}"
fi

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target veldraplot veldraplot-render

compare=()
if [ -n "${BEFORE:-}" ]; then
    old=$root/build-bench-before
    rm -rf "$old/src"
    mkdir -p "$old/src"
    git -C "$root" archive "$BEFORE" | tar -x -C "$old/src"
    cmake -S "$old/src" -B "$old/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$old/build" -j2 --target veldraplot veldraplot-render
    compare=(--before "$old/build" --before-name "commit $(git -C "$root" rev-parse --short "$BEFORE")")
fi

work=${WORK_DIR:-$(mktemp -d /tmp/veldraplot-bench.XXXXXX)}
python3 "$here/bench.py" "$build" "$work" --rounds "$rounds" "${compare[@]}" \
    --json "$work/results.json" --readme "$here/README.md"
echo "pictures and raw figures: $work"
