#!/bin/bash
# hollinctl net search over real sockets against hollin-printer-sim, both keyed by HOLLIN_NETCFG_KEY.
# Runs only inside a private network namespace (ctest starts it under `unshare -rn` with lo up).
set -u
ctl="$1"
printer_sim="$2"
fail() { echo "FAIL: $*"; exit 1; }
[ "$(ip -o link show | awk -F': ' '{print $2}')" = lo ] || fail "run only in a private network namespace"

site=00112233445566778899AABBCCDD
dir=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
HOLLIN_NETCFG_KEY=$site "$printer_sim" --net 2 --text 1 --broadcast 127.255.255.255 \
    --first-address 127.0.0.2 >"$dir/sim.out" 2>"$dir/sim.err" &
sim=$!
for _ in $(seq 100); do grep -q '^ready$' "$dir/sim.out" 2>/dev/null && break; sleep 0.05; done
grep -q '^ready$' "$dir/sim.out" || fail "the simulator did not get ready"

export HOLLIN_BROADCAST=127.255.255.255
# Keyed the same way: both binary printers and the text one, each once, with its protocol.
out=$(HOLLIN_NETCFG_KEY=$site "$ctl" --json net search) || fail "net search exit $?: $out"
[ "$(grep -c '"protocol": "binary"' <<<"$out")" -eq 2 ] || fail "keyed search said: $out"
[ "$(grep -c '"protocol": "text"' <<<"$out")" -eq 1 ] || fail "keyed search said: $out"
[ "$(grep -c '"mac": "00:30:F9:00:00:0[123]"' <<<"$out")" -eq 3 ] || fail "keyed search said: $out"

# The built-in key cannot read the site's printers: only the text one is found.
out=$(env -u HOLLIN_NETCFG_KEY "$ctl" --json net search) || fail "unkeyed net search exit $?: $out"
[ "$(grep -c '"protocol"' <<<"$out")" -eq 1 ] || fail "unkeyed search said: $out"
grep -q '"protocol": "text"' <<<"$out" || fail "unkeyed search said: $out"

# A malformed key is reported without being shown.
err=$(HOLLIN_NETCFG_KEY=not-a-key-0123 "$ctl" --json net search 2>&1 >/dev/null)
grep -q "HOLLIN_NETCFG_KEY is not 28 hexadecimal digits" <<<"$err" || fail "malformed key said: $err"
grep -q "not-a-key-0123" <<<"$err" && fail "the malformed key was echoed: $err"
grep -q "$site" "$dir/sim.out" "$dir/sim.err" && fail "the simulator printed the key"
echo ok
