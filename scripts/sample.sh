#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs, builds and opens the bundled sample chart.
#   scripts/sample.sh [pie|bar|stacked]
# With no display it runs under Xvfb and saves a screenshot instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-pie}"
if [ ! -f "$root/examples/$kind/~VGRAPH.TMP" ]; then
  echo "usage: scripts/sample.sh [pie|bar|stacked]" >&2
  exit 2
fi
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build"

bin="$root/build/app"
# The host writes the chart definition into the program's own folder.
cp "$root/examples/$kind/~VGRAPH.TMP" "$bin/~VGRAPH.TMP"
settings="$root/examples/settings.ini"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$bin/veldraplot" "$settings"
fi

shot="$root/out/sample-$kind.png"
mkdir -p "$root/out"
rm -f "$shot"
echo "No display found: running VELDRAPLOT under Xvfb (1920x1080)."
XDG_RUNTIME_DIR="$(mktemp -d)"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
xvfb-run -a -s "-screen 0 1920x1080x24 -nolisten tcp" bash -c '
  set -u
  "$1" "$2" & pid=$!
  win=""
  for i in $(seq 1 200); do
    win=$(xdotool search --onlyvisible --name "^Charts\$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$win" ]; then
    echo "VELDRAPLOT did not show its window." >&2
    kill $pid 2>/dev/null
    wait $pid
    exit 1
  fi
  # Wait until the picture stops changing (at most about 5 s).
  prev=""
  for i in $(seq 1 25); do
    sleep 0.2
    now=$(import -window root -depth 8 rgb:- | md5sum)
    [ "$now" = "$prev" ] && break
    prev=$now
  done
  import -window root "$3"
  kill $pid
  wait $pid 2>/dev/null || true
' _ "$bin/veldraplot" "$settings" "$shot"
[ -s "$shot" ] || { echo "No screenshot was taken." >&2; exit 1; }
echo "Screenshot of the sample chart saved to: $shot"
