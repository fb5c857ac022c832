#!/usr/bin/env bash
# Installs the build tree into a temporary prefix and uses it the way a desktop does: the
# desktop files validate, the MIME database built from the prefix knows .tq1 files by name and
# by content, the programs run from there, the thumbnailer entry's own command makes
# thumbnails, and a Qt program that knows nothing of the format reads and writes it through
# the installed plugin.
# Usage: InstalledTreeTest.sh BUILD_DIR PROBE SAMPLE.bmp APP_ID     Exit 77: a tool is missing.
set -euo pipefail

build="$1" probe="$2" sample="$3" id="$4"

for tool in desktop-file-validate appstreamcli update-mime-database; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix with space"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log"

# Everything lands under the prefix, nothing outside it.
outside=$(grep -v -F "$prefix/" "$build/install_manifest.txt" || true)
check "every installed file is under the prefix" test -z "$outside"

for file in bin/tq1 bin/tq1-desktop bin/tq1-thumbnailer libexec/tq1/tq1-qt share/tq1/tqmenu.htm \
    "share/applications/$id.desktop" "share/mime/packages/$id.xml" \
    "share/metainfo/$id.metainfo.xml" "share/thumbnailers/$id.thumbnailer" \
    "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/scalable/mimetypes/image-x-tq1.svg"; do
  check "installed $file" test -s "$prefix/$file"
done
for size in 16 22 24 32 48 64 128 256; do
  for icon in "apps/$id" mimetypes/image-x-tq1; do
    png="$prefix/share/icons/hicolor/${size}x${size}/$icon.png"
    check "icon $icon at $size pixels" grep -q "${size} x ${size}" <<<"$(file "$png")"
  done
done
plugin=$(find "$prefix" -path '*/qt6/plugins/imageformats/*.so' | head -n 1)
check "the image plugin is in a qt6/plugins/imageformats folder" test -n "$plugin"
plugins="$(dirname "$(dirname "${plugin:-/x/y}")")"

check "the desktop entry validates" desktop-file-validate "$prefix/share/applications/$id.desktop"
check "the AppStream data validates" appstreamcli validate --no-net --explain \
  "$prefix/share/metainfo/$id.metainfo.xml"
grep -q "^Exec=tq1-desktop %f$" "$prefix/share/applications/$id.desktop" ||
  fail "the desktop entry opens files with tq1-desktop %f"

# The MIME database of the prefix alone.
update-mime-database "$prefix/share/mime"
check "the glob is in the database" grep -q '^50:image/x-tq1:\*\.tq1$' "$prefix/share/mime/globs2"
check "the magic is in the database" grep -aq '^\[50:image/x-tq1\]' "$prefix/share/mime/magic"
mimeOf() {
  XDG_DATA_DIRS="$prefix/share" XDG_DATA_HOME="$work/no-data" QT_QPA_PLATFORM=offscreen \
    "$probe" mime "$1"
}

# The installed programs: plain bitmaps in the light program, another format handed to the
# full one in libexec.
cd "$work"
PATH="$prefix/bin:$PATH"
check "tq1 encodes a bitmap" tq1 encode "$sample" -o sample.tq1 -t 2 -s 6 -q
check "tq1 decodes it" tq1 decode sample.tq1 -o decoded.bmp -q
check "the probe writes a PNG" "$probe" write "$sample" sample.png -1
check "tq1 hands a PNG to the full program" tq1 encode sample.png -o from-png.tq1 -q
check "tq1 encodes the bitmap at the factory settings" tq1 encode "$sample" -o plain.tq1 -q
check "the PNG and the bitmap give the same file" cmp -s plain.tq1 from-png.tq1
cp sample.tq1 no-extension
check "a .tq1 file is image/x-tq1" test "$(mimeOf sample.tq1)" = image/x-tq1
check "a .tq1 file without extension is image/x-tq1" test "$(mimeOf no-extension)" = image/x-tq1
head -c 300 sample.tq1 >cut.tq1

# The thumbnailer, by its entry's own command line as a file manager expands it.
exec_line=$(sed -n 's/^Exec=//p' "$prefix/share/thumbnailers/$id.thumbnailer")
try_exec=$(sed -n 's/^TryExec=//p' "$prefix/share/thumbnailers/$id.thumbnailer")
check "the thumbnailer's TryExec is found" command -v "$try_exec"
thumbnail() {
  local line="${exec_line//%i/$1}"
  line="${line//%o/$2}"
  line="${line//%s/$3}"
  read -r -a command <<<"$line"
  "${command[@]}"
}
check "the thumbnailer makes a thumbnail" thumbnail "$work/sample.tq1" "$work/thumb.png" 128
sizeOf() { QT_QPA_PLATFORM=offscreen "$probe" size "$1" | cut -d' ' -f1; }
check "the thumbnail is a 128-pixel PNG" grep -Eq '^(128x[0-9]+|[0-9]+x128) png$' \
  <<<"$(QT_QPA_PLATFORM=offscreen "$probe" size thumb.png)"
if thumbnail "$work/cut.tq1" "$work/cut.png" 128 2>/dev/null; then
  fail "the thumbnailer refuses a cut file"
else
  check "a cut file leaves no thumbnail" test ! -e cut.png
fi

# A Qt program through the installed plugin only.
export QT_PLUGIN_PATH="$plugins" QT_QPA_PLATFORM=offscreen
check "Qt lists tq1 for reading" grep -qx "read tq1" <<<"$("$probe" formats)"
check "Qt lists tq1 for writing" grep -qx "write tq1" <<<"$("$probe" formats)"
check "Qt reports the size" test "$("$probe" size sample.tq1)" = "$(sizeOf decoded.bmp) tq1"
check "Qt reads the pixels tq1 decode gives" "$probe" same sample.tq1 decoded.bmp
check "Qt writes at quality 80" "$probe" write "$sample" q80.tq1 80
check "tq1 info shows tolerance 10" grep -Eq '^tolerance: +10$' <<<"$(tq1 info q80.tq1)"
check "tq1 info shows smoothing 30" grep -Eq '^smoothing: +30$' <<<"$(tq1 info q80.tq1)"
if "$probe" read cut.tq1 2>/dev/null; then fail "Qt refuses a cut file"; else echo "ok: Qt refuses a cut file"; fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
