#!/bin/bash
# The real hollinctl against its embedded virtual printers on pseudo-terminals: exit codes and output.
set -u
ctl="$1"
fail() { echo "FAIL: $*"; exit 1; }

out=$("$ctl" --simulate --emulation ZPL identify) || fail "identify exit $?"
grep -q "emulation: ZPL" <<<"$out" || fail "identify said: $out"

out=$("$ctl" --simulate --json --port USB set density +2) || fail "density over USB exit $?"
grep -q '"result": "done"' <<<"$out" || fail "density said: $out"

"$ctl" --simulate set power-save power-save 300 >/dev/null 2>&1
[ $? -eq 2 ] || fail "minutes 300 not refused with 2"

out=$(echo 7319 | "$ctl" --simulate --json --secret-file - set bt-pin 2>&1) || fail "bt-pin exit $?"
grep -q 7319 <<<"$out" && fail "the PIN appeared in the output"

"$ctl" --help | grep -q "3 no response" || fail "--help lists no exit codes"
echo "ok"
