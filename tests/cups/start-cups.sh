#!/usr/bin/env bash
# Starts a private print server for the print tests: a cupsd of its own,
# listening only on a unix socket in RUN_DIR, with two raw queues that send
# their jobs to a loopback listener saving each job to RUN_DIR/spool.
#
#   start-cups.sh RUN_DIR [PORT1 PORT2]
#
# The listener saves each job as RUN_DIR/spool/<number>-<queue>.prn. Builds
# that may run their tests at the same time pass ports of their own.
#
# Prints the line "export CUPS_SERVER=RUN_DIR/cups.sock". Without root or
# without cupsd it starts nothing and exits 0: the tests then skip the cases
# that need the server. stop-cups.sh RUN_DIR stops it again.
set -euo pipefail

run="${1:?usage: start-cups.sh RUN_DIR [PORT1 PORT2]}"
port1="${2:-9101}"
port2="${3:-9102}"
here="$(cd "$(dirname "$0")" && pwd)"
cupsd_bin="$(command -v cupsd || echo /usr/sbin/cupsd)"
lpadmin_bin="$(command -v lpadmin || echo /usr/sbin/lpadmin)"

# A server left over from an earlier run in the same folder goes first.
bash "$here/stop-cups.sh" "$run" >/dev/null 2>&1 || true

if [ "$(id -u)" != 0 ] || [ ! -x "$cupsd_bin" ] || [ ! -x "$lpadmin_bin" ]; then
  echo "start-cups: needs root, cupsd and lpadmin; no print server started" >&2
  exit 0
fi

rm -rf "$run"
mkdir -p "$run/conf" "$run/spool" "$run/requests" "$run/cache" "$run/state" "$run/tmp" "$run/log"
# The server drops to user lp for its backends: they must reach the queue
# files below this folder.
chmod 755 "$run" "$run/conf"
chmod 1777 "$run/tmp"
sock="$run/cups.sock"

cat >"$run/conf/cups-files.conf" <<CONF
User lp
Group lp
SystemGroup root
ServerRoot $run/conf
RequestRoot $run/requests
CacheDir $run/cache
StateDir $run/state
TempDir $run/tmp
AccessLog $run/log/access_log
ErrorLog $run/log/error_log
PageLog $run/log/page_log
CONF

cat >"$run/conf/cupsd.conf" <<CONF
LogLevel warn
Listen $sock
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
    Allow all
  </Limit>
</Policy>
CONF

python3 "$here/listener.py" "$run/spool" "Office_Laser=$port1" "Plotter_Room_2=$port2" >"$run/log/listener.log" 2>&1 &
echo $! >"$run/listener.pid"

"$cupsd_bin" -f -c "$run/conf/cupsd.conf" -s "$run/conf/cups-files.conf" >"$run/log/cupsd.out" 2>&1 &
echo $! >"$run/cupsd.pid"

export CUPS_SERVER="$sock"
for _ in $(seq 1 100); do
  [ -S "$sock" ] && lpstat -r >/dev/null 2>&1 && break
  sleep 0.1
done
if ! [ -S "$sock" ]; then
  echo "start-cups: cupsd did not start; see $run/log" >&2
  cat "$run/log/error_log" "$run/log/cupsd.out" >&2 2>/dev/null || true
  exit 1
fi

if ! kill -0 "$(cat "$run/listener.pid")" 2>/dev/null; then
  echo "start-cups: the listener did not start (ports $port1, $port2 in use?)" >&2
  cat "$run/log/listener.log" >&2
  bash "$here/stop-cups.sh" "$run"
  exit 1
fi

# Raw queues on A4 paper, so that page sizes are the same on every machine.
"$lpadmin_bin" -p Office_Laser -E -v "socket://127.0.0.1:$port1" -o media=iso_a4_210x297mm
"$lpadmin_bin" -p Plotter_Room_2 -E -v "socket://127.0.0.1:$port2" -o media=iso_a4_210x297mm
"$lpadmin_bin" -d Office_Laser

echo "export CUPS_SERVER=$sock"
