#!/usr/bin/env bash
# Re-rendering speed, output size and peak memory, side by side with
# Ghostscript (raster mode) and qpdf (vector mode) on the same inputs.
#
#   bench/rerender.sh [runs]     (default 3 runs of each; the best counts)
#
# Raster mode (QZPDFRasterizedMode=true) against
#   gs -sDEVICE=pdfimage24 -r300
# on a 30-page text document and an image-heavy page, in Letter and A4;
# vector mode (every other page, turned by 180 degrees) against
#   qpdf in.pdf --pages in.pdf 1-z:odd -- --rotate=+180 out.pdf
# on a 2000-page document. Times are wall-clock times of whole runs (the
# filter's include spooling and the PJL job); sizes compare the PDF that the
# filter sends with the tool's output file.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-3}"

./scripts/build build >/dev/null
filter=$PWD/build/qzpdftopjl
mkpdf=$PWD/build/mkpdf
ppd=$PWD/ppd/orvex-vyx.ppd

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/tmp"

# Runs a command runs times, its standard output into the file out; prints
# the best wall time in milliseconds and the largest peak resident size in MB.
measure() {
    local out=$1 best="" peak=0
    shift
    for _ in $(seq "$runs"); do
        local start end kb
        start=$(date +%s%N)
        /usr/bin/time -f %M -o "$work/mem" "$@" >"$out"
        end=$(date +%s%N)
        kb=$(tail -n 1 "$work/mem")
        local t=$(( (end - start) / 1000000 ))
        if [ -z "$best" ] || [ "$t" -lt "$best" ]; then best=$t; fi
        if [ "$kb" -gt "$peak" ]; then peak=$kb; fi
    done
    echo "$best $((peak / 1024))"
}

pdf_part_size() {
    grep -a -o 'FSIZ=[0-9]*' "$work/job.pjl" | head -n 1 | cut -d= -f2
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "n/a"; else printf "%.2f", a / b }'
}

raster_case() {
    local name=$1 input=$2
    read -r gs_ms gs_mb < <(measure /dev/null gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=pdfimage24 -r300 \
        -sOutputFile="$work/gs.pdf" "$input")
    read -r our_ms our_mb < <(measure "$work/job.pjl" env PPD="$ppd" TMPDIR="$work/tmp" \
        "$filter" 1 bench bench.pdf 1 "QZPDFRasterizedMode=true" "$input")
    local gs_size our_size
    gs_size=$(stat -c %s "$work/gs.pdf")
    our_size=$(pdf_part_size)
    printf '%-28s %8d %8d %6s %10d %10d %6s %7d %7d\n' "$name" "$our_ms" "$gs_ms" \
        "$(ratio "$our_ms" "$gs_ms")" "$our_size" "$gs_size" "$(ratio "$our_size" "$gs_size")" \
        "$our_mb" "$gs_mb"
}

vector_case() {
    local name=$1 input=$2 pages=$3
    local options="com.apple.print.PrintSettings.PMCopies..n.=2 Collate=false"
    options+=" com.apple.print.PrintSettings.PMTotalSidesImaged..n.=$pages orientation-requested=6"
    read -r q_ms q_mb < <(measure /dev/null qpdf "$input" --pages "$input" 1-z:odd -- --rotate=+180 "$work/q.pdf")
    read -r our_ms our_mb < <(measure "$work/job.pjl" env PPD="$ppd" TMPDIR="$work/tmp" \
        "$filter" 1 bench bench.pdf 1 "$options" "$input")
    local q_size our_size
    q_size=$(stat -c %s "$work/q.pdf")
    our_size=$(pdf_part_size)
    printf '%-28s %8d %8d %6s %10d %10d %6s %7d %7d\n' "$name" "$our_ms" "$q_ms" \
        "$(ratio "$our_ms" "$q_ms")" "$our_size" "$q_size" "$(ratio "$our_size" "$q_size")" \
        "$our_mb" "$q_mb"
}

"$mkpdf" "$work/text-letter.pdf" --pages 30 --lines 60
"$mkpdf" "$work/text-a4.pdf" --pages 30 --lines 60 --size 595.276 841.89
"$mkpdf" "$work/image-letter.pdf" --image --lines 10
"$mkpdf" "$work/image-a4.pdf" --image --lines 10 --size 595.276 841.89
"$mkpdf" "$work/text-120.pdf" --pages 120 --lines 60
"$mkpdf" "$work/vector-2000.pdf" --pages 2000 --lines 60

printf '%-28s %8s %8s %6s %10s %10s %6s %7s %7s\n' "case" "ms" "ref ms" "time" \
    "bytes" "ref bytes" "size" "MB" "ref MB"
raster_case "raster, text 30 p. Letter" "$work/text-letter.pdf"
raster_case "raster, text 30 p. A4" "$work/text-a4.pdf"
raster_case "raster, text 120 p. Letter" "$work/text-120.pdf"
raster_case "raster, image page Letter" "$work/image-letter.pdf"
raster_case "raster, image page A4" "$work/image-a4.pdf"
vector_case "vector, 2000 p., odd, 180" "$work/vector-2000.pdf" 2000
echo "Reference: gs -sDEVICE=pdfimage24 -r300 (raster), qpdf --pages 1-z:odd --rotate=+180 (vector)."
echo "time and size are ratios of the filter to the reference; MB is the peak resident size."
