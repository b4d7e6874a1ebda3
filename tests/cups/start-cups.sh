#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts a private print server for the print tests: a cupsd of its own on a
# unix socket in RUN_DIR, with two raw A4 queues whose jobs a loopback
# listener saves as RUN_DIR/spool/<number>-<queue>.prn. Builds that test at
# the same time pass ports of their own. Without root or cupsd it starts
# nothing and exits 0 (the tests then skip); stop-cups.sh RUN_DIR stops it.
#
#   start-cups.sh RUN_DIR [PORT1 PORT2]
set -euo pipefail
run="${1:?usage: start-cups.sh RUN_DIR [PORT1 PORT2]}"
port1="${2:-9101}"
port2="${3:-9102}"
here="$(cd "$(dirname "$0")" && pwd)"
export PATH="$PATH:/usr/sbin"
bash "$here/stop-cups.sh" "$run"
if [ "$(id -u)" != 0 ] || ! { command -v cupsd && command -v lpadmin; } >/dev/null; then
  echo "start-cups: needs root, cupsd and lpadmin; no print server started" >&2
  exit 0
fi

rm -rf "$run"
mkdir -p "$run"/{conf,spool,requests,cache,state,tmp,log}
# The server drops to user lp for its backends: they must reach these folders.
chmod 755 "$run" "$run/conf"
chmod 1777 "$run/tmp"
sock="$run/cups.sock"
printf 'User lp\nGroup lp\nSystemGroup root\nServerRoot %s/conf\nRequestRoot %s/requests
CacheDir %s/cache\nStateDir %s/state\nTempDir %s/tmp\nErrorLog %s/log/error_log
AccessLog %s/log/access_log\nPageLog %s/log/page_log\n' "$run" "$run" "$run" "$run" "$run" "$run" "$run" "$run" >"$run/conf/cups-files.conf"
printf 'LogLevel warn\nListen %s\nBrowsing No\nWebInterface No\nDefaultAuthType None
<Location />\n  Allow all\n</Location>\n<Policy default>\n  <Limit All>\n    Allow all
  </Limit>\n</Policy>\n' "$sock" >"$run/conf/cupsd.conf"

python3 "$here/listener.py" "$run/spool" "Office_Laser=$port1" "Plotter_Room_2=$port2" \
  >"$run/log/listener.log" 2>&1 &
echo $! >"$run/listener.pid"
cupsd -f -c "$run/conf/cupsd.conf" -s "$run/conf/cups-files.conf" >"$run/log/cupsd.out" 2>&1 &
echo $! >"$run/cupsd.pid"

export CUPS_SERVER="$sock"
for _ in $(seq 1 100); do
  [ -S "$sock" ] && lpstat -r >/dev/null 2>&1 && break
  sleep 0.1
done
if ! [ -S "$sock" ] || ! kill -0 "$(cat "$run/listener.pid")" 2>/dev/null; then
  echo "start-cups: cupsd or the listener (ports $port1, $port2 in use?) did not start" >&2
  cat "$run"/log/* >&2
  bash "$here/stop-cups.sh" "$run"
  exit 1
fi
lpadmin -p Office_Laser -E -v "socket://127.0.0.1:$port1" -o media=iso_a4_210x297mm
lpadmin -p Plotter_Room_2 -E -v "socket://127.0.0.1:$port2" -o media=iso_a4_210x297mm
lpadmin -d Office_Laser
echo "export CUPS_SERVER=$sock"
