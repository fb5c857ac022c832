#!/usr/bin/env bash
# Speed benchmarks: the codec benchmarks (Google Benchmark), then whole-process conversions of
# twelve photos and of a 24-megapixel one with tq1 against cjpeg/djpeg at quality 75 (run in
# pairs, see bench_pairs.py), and a batch with 2 workers against 1. Needs the shared test
# images (TQ1_TESTDATA or ../shared/testdata).
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

work=$(mktemp -d -p "$(test -d /dev/shm && echo /dev/shm || echo /tmp)")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bmp"
# The photos as 24-bit bitmaps: a lossless round trip through tq1 (tolerance 0, 8 bits).
for png in "$data"/kodak/kodim*.png; do
  name=$(basename "$png" .png)
  "$tool" encode "$png" -o "$work/$name.tq1"
  "$tool" decode "$work/$name.tq1" -o "$work/bmp/$name.bmp"
  rm "$work/$name.tq1"
done
count=$(ls "$work/bmp" | wc -l)
# The first twelve photos, and the first one enlarged to 6000 x 4000 (24 megapixels).
mkdir -p "$work/twelve"
ls "$work"/bmp/*.bmp | head -n 12 | xargs -I{} cp {} "$work/twelve/"
"$build/bench/tq1_large_photo" "$data/kodak/kodim01.png" "$work/large.bmp" 6000 4000

# Whole processes, each paired with libjpeg-turbo's in the same rounds; outputs on tmpfs.
# BEFORE=path/to/older/tq1 adds an older program to the same rounds.
echo
python3 "$root/scripts/bench_pairs.py" --tool "$tool" --photos "$work/twelve" \
  --large "$work/large.bmp" --work "$work/pairs" --rounds "${ROUNDS:-7}" ${BEFORE:+--before "$BEFORE"}

# Best of three runs of a command, in seconds.
best_of_three() {
  local best=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s.%N)
    "$@"
    end=$(date +%s.%N)
    best=$(awk -v s="$start" -v e="$end" -v b="$best" 'BEGIN { t = e - s; if (b == "" || t < b) b = t; printf "%.4f", b }')
  done
  echo "$best"
}

echo
if "$tool" batch --help >/dev/null 2>&1 && [ -n "$("$tool" --help | grep -c batch)" ]; then
  echo "== Batch of $count photos (encode, tolerance 10, smoothing 30): 2 workers against 1"
  run_batch() { rm -f "$work"/bmp/*.tq1; "$tool" batch --dir "$work/bmp/" -t 10 -s 30 --overwrite -q -j "$1" >/dev/null; }
  one=$(best_of_three run_batch 1)
  two=$(best_of_three run_batch 2)
  awk -v a="$one" -v b="$two" 'BEGIN { printf "jobs 1: %.3f s, jobs 2: %.3f s, speed-up %.2f\n", a, b, a / b }'
fi
