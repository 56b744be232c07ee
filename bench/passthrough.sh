#!/usr/bin/env bash
# Pass-through speed: the filter on a big PDF that needs no page edits,
# against `cat in.pdf > out.pdf` on the same file, side by side.
#   bench/passthrough.sh [PDF] [RUNS]
# Without PDF, a 200 MB PDF is made with build/mkpdf. Two filter runs are
# timed: with the PDF named on the command line (spooled by a link when it
# is on the temporary folder's file system) and on standard input (spooled
# by a copy). Prints the median wall times and their ratios to cat (the
# target is at most 2.5).
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
elapsed() { echo "$2 - $1" | bc -l; }

mkdir -p "$work/tmp"
export PPD=ppd/orvex-vyx.ppd TMPDIR="$work/tmp"
cat_times=() file_times=() stdin_times=()
for _ in $(seq "$runs"); do
  t0=$EPOCHREALTIME; cat "$input" > "$work/out.pdf"; t1=$EPOCHREALTIME
  cat_times+=("$(elapsed "$t0" "$t1")"); rm -f "$work/out.pdf"

  t0=$EPOCHREALTIME; ./build/qzpdftopjl 1 bench bench.pdf 1 "" "$input" > "$work/out.pjl"; t1=$EPOCHREALTIME
  file_times+=("$(elapsed "$t0" "$t1")"); rm -f "$work/out.pjl"

  t0=$EPOCHREALTIME; ./build/qzpdftopjl 1 bench bench.pdf 1 "" < "$input" > "$work/out.pjl"; t1=$EPOCHREALTIME
  stdin_times+=("$(elapsed "$t0" "$t1")"); rm -f "$work/out.pjl"
done
c=$(printf '%s\n' "${cat_times[@]}" | median)
f=$(printf '%s\n' "${file_times[@]}" | median)
s=$(printf '%s\n' "${stdin_times[@]}" | median)
printf 'cat:                 median %.3f s\n' "$c"
printf 'filter, file:        median %.3f s  ratio %.2f (target <= 2.5)\n' "$f" "$(echo "$f / $c" | bc -l)"
printf 'filter, stdin:       median %.3f s  ratio %.2f (target <= 2.5)\n' "$s" "$(echo "$s / $c" | bc -l)"
