#!/usr/bin/env bash
# Pictures of the desktop program for review, under a virtual display: the main window with
# the sample test card, the codec options dialog with its preview (alone and on the whole
# screen), the area selection, the About box, the interface options, the progress dialog of a
# 24-megapixel save, the list dialog, the folder selection and the batch progress window.
# Usage: scripts/screenshots.sh [output folder]   (default build/screenshots)
# BUILD_DIR names the CMake build folder to use (default build).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
out="${1:-$root/build/screenshots}"

if [ ! -f "$build/CMakeCache.txt" ]; then
  generator=()
  command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
  cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target tq1-screenshots tq1-list-screenshots tq1_sample

mkdir -p "$out"
# Settings and a kept list of their own, so that the pictures never depend on (or change) the
# user's.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
for tour in "$build/ui/tq1-screenshots" "$build/ui/lists/tq1-list-screenshots"; do
  XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$config/data" \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$tour" "$out" "$build/sample/testcard.bmp"
done
