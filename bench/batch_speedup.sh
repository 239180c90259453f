#!/usr/bin/env bash
# Times `brimlow batch` over 10,000 variations of the default case on 1 and on
# 2 threads and prints both wall times and the speed-up. The cases sweep the
# breach location (40 values), the aperture (10) and the upstream pressure
# (25) of the default line; every other key keeps its default.
#
# Usage: bench/batch_speedup.sh [path to brimlow] (default build-bench/tools/brimlow)
set -euo pipefail
cd "$(dirname "$0")/.."
brimlow=${1:-build-bench/tools/brimlow}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cases="$work/cases.csv"
{
  echo "name,breach_location_m,aperture,upstream_pressure_Pa"
  for x in $(seq 2000 2400 95600); do
    for a in 0.2 0.28 0.36 0.44 0.52 0.6 0.68 0.76 0.84 1; do
      for p in $(seq 2000000 300000 9200000); do
        echo "x${x} a${a} p${p},$x,$a,$p"
      done
    done
  done
} >"$cases"
echo "cases: $(($(wc -l <"$cases") - 1))"

seconds() { # the wall time of a batch run on $1 threads
  local start end
  start=$(date +%s.%N)
  "$brimlow" batch "$cases" --jobs "$1" --out "$work/out-$1.csv" 2>/dev/null || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
one=$(seconds 1)
two=$(seconds 2)
cmp -s "$work/out-1.csv" "$work/out-2.csv" && same=yes || same=no
printf '1 thread: %.2f s\n2 threads: %.2f s\nspeed-up: %.2f\nsame rows on 1 and 2 threads: %s\n' \
  "$one" "$two" "$(awk -v a="$one" -v b="$two" 'BEGIN { print a / b }')" "$same"
grep -c ',failed,' "$work/out-1.csv" | sed 's/^/failed cases: /' || true
