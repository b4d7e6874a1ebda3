#!/usr/bin/env bash
# Installs, builds and opens the bundled sample chart.
#   scripts/sample.sh [pie|bar|stacked]
# With no display it runs under Xvfb and saves a screenshot instead.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
kind="${1:-pie}"
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
echo "No display found: running VELDRAPLOT under Xvfb (1920x1080)."
export XDG_RUNTIME_DIR="$(mktemp -d)"
xvfb-run -a -s "-screen 0 1920x1080x24" bash -c '
  "$1" "$2" & pid=$!
  for i in $(seq 1 100); do
    xdotool search --name "^Charts$" >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  import -window root "$3"
  kill $pid
' _ "$bin/veldraplot" "$settings" "$shot"
echo "Screenshot of the sample chart saved to: $shot"
