#!/usr/bin/env bash
# The main job of `make run`: the desktop app on the project's sample image when a display is
# available, otherwise a round trip of the sample through the command line.
set -euo pipefail
build=${1:-build}
sample="$build/sample/testcard.bmp"
app="$build/ui/tq1-desktop"
tool="$build/cli/tq1"

if [ ! -f "$sample" ]; then
  echo "error: the sample image $sample was not built" >&2
  exit 1
fi

if [ -x "$app" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$app" "$sample"
fi

if [ -x "$app" ]; then
  echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): running the command-line round trip instead."
  echo "To see the desktop app, run: $app $sample"
  echo
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Sample: $sample ($(stat -c %s "$sample") bytes)"
for params in "-t 0" "-t 10 -s 30" "-t 25 -b 5"; do
  # shellcheck disable=SC2086
  "$tool" encode "$sample" -o "$work/sample.tq1" $params -v
  "$tool" decode "$work/sample.tq1" -o "$work/sample.bmp" -v
done
echo
"$tool" info "$work/sample.tq1"
