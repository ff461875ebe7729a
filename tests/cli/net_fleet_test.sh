#!/bin/bash
# A fleet over real sockets: hollin-printer-sim --net 1000 --text 24 answers one search and hollinctl
# net search lists all 1024, sorted by IP; net apply writes a few of them side by side.
# Runs only inside a private network namespace (ctest starts it under `unshare -rn` with lo up).
set -u
ctl="$1"
printer_sim="$2"
fail() { echo "FAIL: $*"; exit 1; }
[ "$(ip -o link show | awk -F': ' '{print $2}')" = lo ] || fail "run only in a private network namespace"

dir=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; wait 2>/dev/null; rm -rf "$dir"' EXIT
"$printer_sim" --net 1000 --text 24 --broadcast 127.255.255.255 >"$dir/sim.out" 2>"$dir/sim.err" &
sim=$!
for _ in $(seq 200); do grep -q '^ready$' "$dir/sim.out" 2>/dev/null && break; sleep 0.05; done
grep -q '^ready$' "$dir/sim.out" || fail "the simulator did not get ready"
export HOLLIN_BROADCAST=127.255.255.255

"$ctl" net search --csv >"$dir/all.csv" || fail "net search exit $?"
[ "$(wc -l <"$dir/all.csv")" -eq 1025 ] || fail "$(($(wc -l <"$dir/all.csv") - 1)) printers listed, not 1024"
[ "$(grep -c ',binary,' "$dir/all.csv")" -eq 1000 ] || fail "binary printers: $(grep -c ',binary,' "$dir/all.csv")"
[ "$(grep -c ',text,' "$dir/all.csv")" -eq 24 ] || fail "text printers: $(grep -c ',text,' "$dir/all.csv")"
cut -d, -f3 "$dir/all.csv" | tail -n +2 | sort -c -t. -k1,1n -k2,2n -k3,3n -k4,4n || fail "not sorted by IP"
sed -n 2p "$dir/all.csv" | grep -q '^00:30:F9:00:00:01,binary,127.0.0.2,' || fail "first row: $(sed -n 2p "$dir/all.csv")"

cat >"$dir/fleet.json" <<'JSON'
{"ssid": "Depot", "channel": 11,
 "addresses": {"00:30:F9:00:00:01": {"ip": "10.1.0.1", "netmask": "255.255.0.0"},
               "00:30:F9:00:03:E8": {"ip": "10.1.3.232", "netmask": "255.255.0.0"}}}
JSON
out=$("$ctl" net apply "$dir/fleet.json" --mac 00:30:F9:00:00:01 --mac 00:30:F9:00:03:E8 \
      --mac 00:30:F9:00:04:00 --jobs 3) || fail "net apply exit $?: $out"
grep -q '^3 printer(s): 3 done$' <<<"$out" || fail "net apply said: $out"
out=$("$ctl" --json net search) || fail "net search exit $?"
[ "$(grep -c '"ssid": "Depot"' <<<"$out")" -eq 3 ] || fail "printers holding the profile: $(grep -c Depot <<<"$out")"
echo ok
