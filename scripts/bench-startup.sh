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
summary() {  # column name -> "median min max"
  awk -F'[ =]' -v key="$1" '{for (i = 1; i < NF; i++) if ($i == key) print $(i + 1)}' "$dir/results" | sort -n |
    awk '{v[NR] = $1} END {printf "median=%.1f min=%.1f max=%.1f", v[int((NR + 1) / 2)], v[1], v[NR]}'
}
echo "runs=$runs startup_ms $(summary startup_ms)  peak_rss_mb $(summary peak_rss_mb)"
