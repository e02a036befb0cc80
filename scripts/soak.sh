#!/usr/bin/env bash
# Soak test of the transfers: N randomized, fault-injected reads and writes (default 1000)
# against k52sim --fast, split over two processes with different seeds. Each transfer must
# either succeed with the program's image equal to the simulated radio's memory, or fail
# with the image untouched, within its time limit and without crashing. Prints the counts;
# exits non-zero on any violation. Not part of the default test run.
#
#   scripts/soak.sh [N] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000}
seed=${2:-$RANDOM}
bash scripts/build.sh >/dev/null
soak=build/tests/k52soak
sim=build/bin/k52sim

half=$(( (n + 1) / 2 ))
rest=$(( n - half ))
echo "soak: $n transfers (seeds $seed and $((seed + 1000003)))"
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
"$soak" --sim "$sim" --count "$half" --seed "$seed" > "$log/a.out" 2> "$log/a.err" & a=$!
if [ "$rest" -gt 0 ]; then
  "$soak" --sim "$sim" --count "$rest" --seed $((seed + 1000003)) > "$log/b.out" 2> "$log/b.err" & b=$!
fi
status=0
wait "$a" || status=$?
if [ "$rest" -gt 0 ]; then wait "$b" || status=$?; fi
cat "$log"/*.err >&2 || true

# Sum the two count lines.
cat "$log"/*.out | awk '
  { for (i = 1; i <= NF; i++) { split($i, kv, "="); if (kv[1] == "longest_ms" || kv[1] == "seconds") { if (kv[2] + 0 > m[kv[1]]) m[kv[1]] = kv[2] } else s[kv[1]] += kv[2] } }
  END {
    printf "transfers %d: reads ok %d, reads failed %d, writes ok %d, writes failed %d\n", s["transfers"], s["reads_ok"], s["reads_failed"], s["writes_ok"], s["writes_failed"]
    printf "faults injected %d (+ %d hang-ups), violations %d, longest transfer %.1f s, wall %.0f s\n", s["faults"], s["hangups"], s["violations"], m["longest_ms"] / 1000, m["seconds"]
  }'
if [ "$status" -ne 0 ]; then echo "soak: FAILED (status $status)" >&2; fi
exit "$status"
