#!/bin/bash
# The real hollinctl against its embedded virtual printers on pseudo-terminals: exit codes and output.
set -u
ctl="$1"
printer_sim="$2"
fail() { echo "FAIL: $*"; exit 1; }

out=$("$ctl" --simulate --emulation ZPL identify) || fail "identify exit $?"
grep -q "emulation: ZPL" <<<"$out" || fail "identify said: $out"

out=$("$ctl" --simulate --json --port USB set density +2) || fail "density over USB exit $?"
grep -q '"result": "done"' <<<"$out" || fail "density said: $out"

"$ctl" --simulate set power-save power-save 300 >/dev/null 2>&1
[ $? -eq 2 ] || fail "minutes 300 not refused with 2"

out=$(echo 7319 | "$ctl" --simulate --json --secret-file - set bt-pin 2>&1) || fail "bt-pin exit $?"
grep -q 7319 <<<"$out" && fail "the PIN appeared in the output"

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$ctl" --simulate --with-secrets profile save "$dir/p.json" >/dev/null || fail "profile save exit $?"
[ "$(stat -c %a "$dir/p.json")" = 600 ] || fail "the profile is not mode 0600"
grep -q '"wifi-secrets"' "$dir/p.json" || fail "no secrets with --with-secrets"
out=$("$ctl" --simulate --all-found --json profile apply "$dir/p.json" 2>&1) || fail "profile apply exit $?: $out"
[ "$(grep -c '"result": "done"' <<<"$out")" -eq 2 ] || fail "profile apply said: $out"
grep -q hollin-module-phrase <<<"$out" && fail "a key appeared in the output"

# A font and a profile to hollin-printer-sim on a pseudo-terminal, as COM1; its state on exit.
sim=
trap '[ -n "$sim" ] && kill $sim 2>/dev/null; rm -rf "$dir"' EXIT
"$printer_sim" --emulation ZPL --state "$dir/state.json" >"$dir/pty" 2>/dev/null &
sim=$!
for _ in $(seq 50); do [ -s "$dir/pty" ] && break; sleep 0.1; done
[ -s "$dir/pty" ] || fail "hollin-printer-sim named no pseudo-terminal"
export HOLLIN_COM1=$(head -1 "$dir/pty")
head -c 300 /dev/urandom >"$dir/Dock.ttf"
"$ctl" --id 4 font download "$dir/Dock.ttf" >/dev/null || fail "font download exit $?"
cat >"$dir/sim.json" <<'JSON'
{"hollinctl-profile": 1, "bluetooth": {"bt-name": "Dock-Sim"}, "settings": {"density": "+2"}}
JSON
"$ctl" profile apply "$dir/sim.json" >/dev/null || fail "profile apply to hollin-printer-sim exit $?"
kill -TERM $sim
wait $sim
sim=
grep -q '"Dock"' "$dir/state.json" || fail "the font is not in the printer's state"
grep -q '"Dock-Sim"' "$dir/state.json" || fail "the profile's Bluetooth name is not in the printer's state"
grep -q '"density":4' "$dir/state.json" || fail "the profile's density is not in the printer's state"

"$ctl" --help | grep -q "3 no response" || fail "--help lists no exit codes"
echo "ok"
