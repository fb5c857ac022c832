#!/usr/bin/env bash
# Checks that two tq1 programs write the same bytes: every photo of the shared set encoded at
# several parameter sets, and every such file decoded. Used before and after work on how the
# codec does its work, which must never change a file.
#   scripts/compare_outputs.sh OLD_TQ1 NEW_TQ1 [--large]
# --large adds a 6000 x 4000 enlargement of one photo (needs build/bench/tq1_large_photo).
set -euo pipefail
old=$1 new=$2
root=$(cd "$(dirname "$0")/.." && pwd)
data=${TQ1_TESTDATA:-$root/../shared/testdata}
[ -d "$data/kodak" ] || { echo "the shared test images were not found (TQ1_TESTDATA)" >&2; exit 1; }
work=$(mktemp -d -p "$(test -d /dev/shm && echo /dev/shm || echo /tmp)")
trap 'rm -rf "$work"' EXIT
inputs=("$data"/kodak/*.png)
if [ "${3:-}" = --large ]; then
  "$root/build/bench/tq1_large_photo" "$data/kodak/kodim01.png" "$work/large.bmp" 6000 4000
  inputs+=("$work/large.bmp")
fi
sets=("-t 0" "-t 10 -s 30" "-t 25 -b 5" "-t 5 -b 6,7,5 -s 10" "-t 50 -s 150" "-b 0" "-t 3 -s 9")
files=0 differ=0
for input in "${inputs[@]}"; do
  name=$(basename "${input%.*}")
  for i in "${!sets[@]}"; do
    # A refusal (too many tokens for the format, say) must be the same refusal.
    # shellcheck disable=SC2086
    old_said=$("$old" encode "$input" -o "$work/old.tq1" ${sets[$i]} 2>&1 >/dev/null) || true
    # shellcheck disable=SC2086
    new_said=$("$new" encode "$input" -o "$work/new.tq1" ${sets[$i]} 2>&1 >/dev/null) || true
    if [ ! -f "$work/old.tq1" ]; then
      files=$((files + 1))
      [ ! -f "$work/new.tq1" ] && [ "$old_said" = "$new_said" ] ||
        { echo "refusal differs: $name ${sets[$i]}"; differ=$((differ + 1)); }
      rm -f "$work"/*.tq1
      continue
    fi
    "$old" decode "$work/old.tq1" -o "$work/old.bmp" >/dev/null
    "$new" decode "$work/old.tq1" -o "$work/new.bmp" >/dev/null
    files=$((files + 2))
    cmp -s "$work/old.tq1" "$work/new.tq1" || { echo "encode differs: $name ${sets[$i]}"; differ=$((differ + 1)); }
    cmp -s "$work/old.bmp" "$work/new.bmp" || { echo "decode differs: $name ${sets[$i]}"; differ=$((differ + 1)); }
    rm -f "$work"/*.tq1 "$work"/*.bmp.tmp* "$work/old.bmp" "$work/new.bmp"
  done
done
echo "$((files - differ)) of $files outputs identical"
[ "$differ" -eq 0 ]
