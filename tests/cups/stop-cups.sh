#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Stops the print server that start-cups.sh started in RUN_DIR, by the
# process ids it recorded there.
#   stop-cups.sh RUN_DIR
run="${1:?usage: stop-cups.sh RUN_DIR}"
for file in "$run/cupsd.pid" "$run/listener.pid"; do
  [ -f "$file" ] || continue
  pid="$(cat "$file")"
  kill "$pid" 2>/dev/null && timeout 5 tail --pid="$pid" -f /dev/null
  kill -9 "$pid" 2>/dev/null
  rm -f "$file"
done
exit 0
