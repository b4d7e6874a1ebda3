#!/usr/bin/env bash
# Stops the private print server that start-cups.sh started in RUN_DIR, by
# the process ids it recorded there.
#
#   stop-cups.sh RUN_DIR
set -uo pipefail

run="${1:?usage: stop-cups.sh RUN_DIR}"
for name in cupsd listener; do
  file="$run/$name.pid"
  [ -f "$file" ] || continue
  pid="$(cat "$file")"
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null
  fi
  rm -f "$file"
done
exit 0
