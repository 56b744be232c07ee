#!/usr/bin/env bash
# Layout speed: a number-up=2 job through the filter (which runs the
# platform's pdftopdf as its chained filter) against pdftopdf alone on the
# same job, side by side in each round.
#   bench/chain.sh [PDF] [RUNS]
# Without PDF, a 2000-page PDF is made with build/mkpdf. Prints the median
# wall times and the median of the per-round ratios (the target is at most
# 1.3).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/qzpdftopjl ] && [ -x build/mkpdf ] || ./scripts/build build >/dev/null

pdftopdf="${CUPS_SERVERBIN:-/usr/lib/cups}/filter/pdftopdf"
[ -x "$pdftopdf" ] || { echo "chain.sh: $pdftopdf not found (cups-filters)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
input="${1:-}"
runs="${2:-5}"
if [ -z "$input" ]; then
  input="$work/pages.pdf"
  ./build/mkpdf "$input" --pages 2000 --lines 20
fi
echo "input: $input ($(stat -c %s "$input") bytes), number-up=2, $runs rounds"

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }

# Wall time of one command in seconds; its output goes to $work/out.
timed() {
  local t0 t1
  t0=$EPOCHREALTIME
  PPD=ppd/orvex-vyx.ppd TMPDIR="$work/tmp" "$@" 1 bench bench.pdf 1 number-up=2 "$input" \
    > "$work/out" 2>/dev/null
  t1=$EPOCHREALTIME
  rm -f "$work/out"
  echo "$t1 - $t0" | bc -l
}

mkdir -p "$work/tmp"
alone_times=() filter_times=() ratios=()
for i in $(seq "$runs"); do
  # Alternate the order so that neither side always runs on a warm cache.
  if (( i % 2 )); then
    a=$(timed "$pdftopdf"); f=$(timed ./build/qzpdftopjl)
  else
    f=$(timed ./build/qzpdftopjl); a=$(timed "$pdftopdf")
  fi
  alone_times+=("$a") filter_times+=("$f")
  ratios+=("$(echo "$f / $a" | bc -l)")
done
printf 'pdftopdf alone: median %.3f s\nfilter:         median %.3f s\nratio:          median %.3f (target <= 1.3)\n' \
  "$(printf '%s\n' "${alone_times[@]}" | median)" \
  "$(printf '%s\n' "${filter_times[@]}" | median)" \
  "$(printf '%s\n' "${ratios[@]}" | median)"
