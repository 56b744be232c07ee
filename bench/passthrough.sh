#!/usr/bin/env bash
# Pass-through speed: the filter on a big PDF that needs no page edits,
# against `cat in.pdf > out.pdf` on the same file, side by side.
#   bench/passthrough.sh [PDF] [RUNS]
# Without PDF, a 200 MB PDF is made with build/mkpdf. Prints the median
# wall times and their ratio (the target is at most 2.5).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/qzpdftopjl ] && [ -x build/mkpdf ] || ./scripts/build build >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="${1:-}"
runs="${2:-5}"
if [ -z "$input" ]; then
  input="$work/big.pdf"
  ./build/mkpdf "$input" --pages 20 --blob 200
fi
echo "input: $input ($(stat -c %s "$input") bytes), $runs runs each"

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

mkdir -p "$work/tmp"
cat_times=() filter_times=()
for _ in $(seq "$runs"); do
  t0=$EPOCHREALTIME; cat "$input" > "$work/out.pdf"; t1=$EPOCHREALTIME
  cat_times+=("$(echo "$t1 - $t0" | bc -l)")
  rm -f "$work/out.pdf"
  t0=$EPOCHREALTIME
  PPD=ppd/orvex-vyx.ppd TMPDIR="$work/tmp" ./build/qzpdftopjl 1 bench bench.pdf 1 "" "$input" > "$work/out.pjl"
  t1=$EPOCHREALTIME
  filter_times+=("$(echo "$t1 - $t0" | bc -l)")
  rm -f "$work/out.pjl"
done
cat_median=$(printf '%s\n' "${cat_times[@]}" | median)
filter_median=$(printf '%s\n' "${filter_times[@]}" | median)
printf 'cat:    median %.3f s\nfilter: median %.3f s\nratio:  %.2f (target <= 2.5)\n' \
  "$cat_median" "$filter_median" "$(echo "$filter_median / $cat_median" | bc -l)"
