#!/usr/bin/env bash
# Prints the time from process start to the end of the start-up sequence, and the peak
# memory, over several starts of the program offscreen (after one installation pass).
# Usage: scripts/bench-startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
bin=build/bin
[ -x "$bin/k52bench_startup" ] || { echo "build first: bash scripts/build.sh" >&2; exit 1; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$bin/k52bench_startup" "$bin/minglyc.dll" "$bin/dhcpqec.dll" "$dir/"
sed -i '/^[[:space:]]*FirRun[[:space:]]*=/d' "$dir/minglyc.dll"
export QT_QPA_PLATFORM=offscreen
"$dir/k52bench_startup" >/dev/null 2>&1 || true   # installation pass
for i in $(seq 1 "$runs"); do
  K52_BENCH_T0=$(date +%s%N) "$dir/k52bench_startup" 2>/dev/null
done | tee "$dir/results"
awk -F'[ =]' '{ms[NR]=$2; mem[NR]=$4} END {
  n=asort(ms); asort(mem);
  printf "runs=%d startup_ms median=%.1f min=%.1f max=%.1f  peak_rss_mb median=%.1f max=%.1f\n",
         n, ms[int((n+1)/2)], ms[1], ms[n], mem[int((n+1)/2)], mem[n] }' "$dir/results"
