#!/usr/bin/env bash
# Pictures of the desktop program for review: the main window with the sample test card, the
# codec options dialog with its preview (alone and on the whole screen), the area selection,
# the About box, the interface options and the progress dialog of a 24-megapixel save.
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
cmake --build "$build" --target tq1-screenshots tq1_sample

mkdir -p "$out"
# A settings file of its own, so that the pictures never depend on (or change) the user's.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
XDG_CONFIG_HOME="$config" XDG_DATA_HOME="$config/data" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/ui/tq1-screenshots" "$out" "$build/sample/testcard.bmp"
