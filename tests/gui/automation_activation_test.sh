#!/usr/bin/env bash
# The real program started by D-Bus activation on a private session bus:
#  1. an ordinary start of HOLLIN writes the activation file into $XDG_DATA_HOME/dbus-1/services;
#  2. on a bus of its own (dbus-run-session), "gdbus call ... Attach" makes the bus daemon start
#     "HOLLIN -Automation", which answers; gdbus leaves the bus at once, and since the main window is
#     still shown, the program lives on.
#
#   automation_activation_test.sh HOLLIN
# Every wait is bounded; the programs started here are ended on the way out.
set -euo pipefail

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# waitFor TENTHS COMMAND...: runs COMMAND every tenth of a second until it succeeds, at most TENTHS times.
waitFor() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

gone() {
  ! kill -0 "$1" 2>/dev/null
}

# The process id of the owner of Hollin.Application, or nothing.
ownerPid() {
  local reply
  reply=$(gdbus call --session --timeout 5 --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID Hollin.Application 2>/dev/null) || return 0
  sed -E 's/^\(uint32 ([0-9]+),\)$/\1/' <<<"$reply"
}

# Ends the program the bus daemon started, however far the test came, and lets the daemon collect it.
endActivated() {
  local pid
  pid=$(ownerPid)
  [[ "$pid" =~ ^[0-9]+$ ]] || return 0
  kill "$pid" 2>/dev/null || true
  waitFor 50 gone "$pid" || echo "the activated program $pid did not end" >&2
}

busCall() {
  gdbus call --session --timeout 30 "$@"
}

# On the private bus: activation, Attach, and a program that outlives its departed client.
onBus() {
  local hollin=$1 reply pid
  trap endActivated EXIT
  reply=$(busCall --dest Hollin.Application --object-path /Hollin/Application \
    --method Hollin.Application.Attach) || fail "Attach through activation"
  [ "$reply" = "()" ] || fail "Attach answered '$reply'"

  pid=$(ownerPid)
  [[ "$pid" =~ ^[0-9]+$ ]] || fail "Hollin.Application has no owner"
  [ "$(tr '\0' ' ' <"/proc/$pid/cmdline")" = "$hollin -Automation " ] ||
    fail "the bus started '$(tr '\0' ' ' <"/proc/$pid/cmdline")'"

  # gdbus has left: its proxy is gone, the shown window keeps the program; these calls are served
  # after the program saw the client go.
  reply=$(busCall --dest Hollin.Application --object-path /Hollin/Application \
    --method org.freedesktop.DBus.Properties.Get Hollin.Application ClassId) || fail "ClassId"
  [ "$reply" = "(<'{45CB1BFF-78CE-4B47-89CD-E0CD7B68C5E9}'>,)" ] || fail "ClassId is $reply"
  sleep 0.5
  kill -0 "$pid" 2>/dev/null || fail "the program ended when its client left a shown window"
  reply=$(busCall --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.NameHasOwner Hollin.Application)
  [ "$reply" = "(true,)" ] || fail "Hollin.Application lost its owner"
  echo "PASS: activation started $hollin -Automation (pid $pid), Attach answered, the program lives on"
}

if [ "${1:-}" = "--on-bus" ]; then
  onBus "$2"
  exit 0
fi

[ $# -eq 1 ] || fail "usage: $0 HOLLIN"
hollin=$(realpath "$1")
work=$(mktemp -d)
ordinary=
cleanup() {
  if [ -n "$ordinary" ]; then kill "$ordinary" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

export HOME=$work/home XDG_DATA_HOME=$work/data XDG_RUNTIME_DIR=$work/run
export QT_QPA_PLATFORM=offscreen HOLLIN_USB=$work/no-usb-printer
for n in 1 2 3 4 5 6 7 8 9; do export "HOLLIN_COM$n=$work/no-port-$n"; done
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS

service=$XDG_DATA_HOME/dbus-1/services/Hollin.Application.service
"$hollin" &
ordinary=$!
waitFor 100 test -s "$service" || fail "an ordinary start wrote no $service"
kill "$ordinary"
wait "$ordinary" 2>/dev/null || true
ordinary=
[ "$(cat "$service")" = "$(printf '[D-BUS Service]\nName=Hollin.Application\nExec=%s -Automation' "$hollin")" ] ||
  fail "activation file: $(cat "$service")"

dbus-run-session -- bash "$0" --on-bus "$hollin"
