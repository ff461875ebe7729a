#!/usr/bin/env bash
# A private CUPS server for the tests labelled "cupsd":
#   cupsd_fixture.sh start DIR   writes its configuration under DIR, starts `cupsd -f` listening only on
#                                DIR/cups.sock (no TCP port) and waits until it answers
#   cupsd_fixture.sh stop DIR    stops it (also when a test left it stopped) and removes DIR
# ServerBin is DIR/bin: the daemon helpers are the system's, the backends "serial" and "socket" are
# stand-ins that print nothing, so no queue ever reaches a device.
set -euo pipefail
action=${1:?start or stop}
dir=${2:?folder}

stop() {
  if [ -f "$dir/cupsd.pid" ]; then
    pid=$(cat "$dir/cupsd.pid")
    kill -CONT "$pid" 2>/dev/null || true
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  fi
  rm -rf "$dir"
}

if [ "$action" = stop ]; then stop; exit 0; fi

cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
[ -x "$cupsd" ] || { echo "cupsd_fixture: no cupsd (Debian package cups-daemon)" >&2; exit 1; }
stop  # what an earlier run left behind
mkdir -p "$dir"/{conf,cache,state,spool,log,tmp,bin/backend}
chmod 755 "$dir"  # the socket is reached by other users too (the refusal test)
ln -s /usr/lib/cups/daemon "$dir/bin/daemon"
ln -s /usr/lib/cups/notifier "$dir/bin/notifier"
for backend in serial socket; do
  printf '#!/bin/sh\n# stand-in backend: takes the job, prints nothing\ncat >/dev/null\nexit 0\n' >"$dir/bin/backend/$backend"
  chmod 755 "$dir/bin/backend/$backend"
done
group=$(id -gn)
cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
CacheDir $dir/cache
StateDir $dir/state
RequestRoot $dir/spool
TempDir $dir/tmp
ServerBin $dir/bin
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
Printcap $dir/printcap
SystemGroup $group
FileDevice No
CONF
cat >"$dir/conf/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel debug
Browsing Off
WebInterface No
DefaultAuthType Basic
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit CUPS-Add-Modify-Printer CUPS-Delete-Printer CUPS-Add-Modify-Class CUPS-Delete-Class>
    AuthType Default
    Require user @SYSTEM
    Order deny,allow
  </Limit>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
"$cupsd" -t -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" >"$dir/log/check" 2>&1 \
  || { cat "$dir/log/check" >&2; exit 1; }
# Its own session, its output to a file: ctest does not wait for it, and it outlives this script.
setsid "$cupsd" -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
  </dev/null >"$dir/log/stdout" 2>&1 &
echo $! >"$dir/cupsd.pid"
for _ in $(seq 100); do
  if [ -S "$dir/cups.sock" ] && grep -q 'Listening to' "$dir/log/error_log" 2>/dev/null; then
    echo "cupsd_fixture: cupsd $(cat "$dir/cupsd.pid") on $dir/cups.sock"
    exit 0
  fi
  kill -0 "$(cat "$dir/cupsd.pid")" 2>/dev/null || break
  sleep 0.1
done
echo "cupsd_fixture: cupsd did not start" >&2
cat "$dir/log/stdout" "$dir/log/error_log" >&2 2>/dev/null || true
stop
exit 1
