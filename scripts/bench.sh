#!/usr/bin/env bash
# Speed benchmarks: the codec benchmarks (Google Benchmark), then whole-process conversions of
# the photo set with tq1 against cjpeg/djpeg at quality 75, and a batch with 2 workers against
# 1. Needs the shared test images (TQ1_TESTDATA or ../shared/testdata).
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/.." && pwd)
data=${TQ1_TESTDATA:-$root/../shared/testdata}
tool="$build/cli/tq1"
if [ ! -d "$data/kodak" ]; then
  echo "The shared test images were not found (set TQ1_TESTDATA); nothing to measure." >&2
  exit 0
fi
if ! command -v cjpeg >/dev/null || ! command -v djpeg >/dev/null; then
  TQ1_WITH_EXTRAS=1 bash "$root/scripts/install-deps.sh"
fi

echo "== Codec benchmarks"
"$build/bench/tq1_codec_bench" --benchmark_min_time=0.5
echo "== Thumbnails of a 24-megapixel file"
"$build/bench/tq1_thumbnail_bench"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bmp" "$work/tq1" "$work/enc" "$work/jpg" "$work/jpeg" "$work/out"
# The photos as 24-bit bitmaps: a lossless round trip through tq1 (tolerance 0, 8 bits).
for png in "$data"/kodak/kodim*.png; do
  name=$(basename "$png" .png)
  "$tool" encode "$png" -o "$work/tq1/$name.tq1"
  "$tool" decode "$work/tq1/$name.tq1" -o "$work/bmp/$name.bmp"
done
count=$(ls "$work/bmp" | wc -l)
megapixels=$(awk -v n="$count" 'BEGIN { printf "%.3f", n * 768 * 512 / 1e6 }')

# Best of three runs of a command over every photo, in seconds. Each run writes new files:
# the output folders are emptied first, outside the timing (replacing an existing file costs
# tq1 a wait for the disk that new files skip, and the other tools never wait).
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    rm -f "$work"/out/* "$work"/jpg/* "$work"/enc/*
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.4f", b }')
  done
  echo "$best"
}
tq1_encode() { for f in "$work"/bmp/*.bmp; do "$tool" encode "$f" -o "$work/enc/$(basename "$f" .bmp).tq1" -t 10 -s 30; done; }
tq1_decode() { for f in "$work"/tq1/*.tq1; do "$tool" decode "$f" -o "$work/out/$(basename "$f" .tq1).bmp"; done; }
jpeg_encode() { for f in "$work"/bmp/*.bmp; do cjpeg -quality 75 -outfile "$work/jpg/$(basename "$f" .bmp).jpg" "$f"; done; }
jpeg_decode() { for f in "$work"/jpeg/*.jpg; do djpeg -bmp -outfile "$work/out/$(basename "$f" .jpg).bmp" "$f"; done; }

echo
echo "== Whole process on $count photos ($megapixels MP), tq1 at tolerance 10, smoothing 30; JPEG at quality 75"
te=$(best_of_three tq1_encode)
rm -f "$work"/tq1/* && cp "$work"/enc/*.tq1 "$work/tq1/"   # the decoders read what was encoded
je=$(best_of_three jpeg_encode)
cp "$work"/jpg/*.jpg "$work/jpeg/"
td=$(best_of_three tq1_decode)
jd=$(best_of_three jpeg_decode)
tq1_bytes=$(cat "$work"/tq1/*.tq1 | wc -c)
jpg_bytes=$(cat "$work"/jpeg/*.jpg | wc -c)
awk -v mp="$megapixels" -v te="$te" -v je="$je" -v td="$td" -v jd="$jd" -v tb="$tq1_bytes" -v jb="$jpg_bytes" 'BEGIN {
  printf "encode: tq1 %.1f MP/s, cjpeg %.1f MP/s, ratio %.2f (target >= 0.50)\n", mp / te, mp / je, je / te
  printf "decode: tq1 %.1f MP/s, djpeg %.1f MP/s, ratio %.2f (target >= 1.00)\n", mp / td, mp / jd, jd / td
  printf "size:   tq1 %.2f bits per pixel, JPEG %.2f bits per pixel\n", tb * 8 / (mp * 1e6), jb * 8 / (mp * 1e6)
}'

echo
if "$tool" batch --help >/dev/null 2>&1 && [ -n "$("$tool" --help | grep -c batch)" ]; then
  echo "== Batch of $count photos (encode, tolerance 10, smoothing 30): 2 workers against 1"
  run_batch() { rm -f "$work"/bmp/*.tq1; "$tool" batch --dir "$work/bmp/" -t 10 -s 30 --overwrite -q -j "$1" >/dev/null; }
  one=$(best_of_three run_batch 1)
  two=$(best_of_three run_batch 2)
  awk -v a="$one" -v b="$two" 'BEGIN { printf "jobs 1: %.3f s, jobs 2: %.3f s, speed-up %.2f\n", a, b, a / b }'
fi
