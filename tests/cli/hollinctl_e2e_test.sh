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

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$ctl" --simulate --with-secrets profile save "$dir/p.json" >/dev/null || fail "profile save exit $?"
[ "$(stat -c %a "$dir/p.json")" = 600 ] || fail "the profile is not mode 0600"
grep -q '"wifi-secrets"' "$dir/p.json" || fail "no secrets with --with-secrets"
out=$("$ctl" --simulate --all-found --json profile apply "$dir/p.json" 2>&1) || fail "profile apply exit $?: $out"
[ "$(grep -c '"result": "done"' <<<"$out")" -eq 2 ] || fail "profile apply said: $out"
grep -q hollin-module-phrase <<<"$out" && fail "a key appeared in the output"

"$ctl" --help | grep -q "3 no response" || fail "--help lists no exit codes"
echo "ok"
