#!/usr/bin/env bash
# Builds the Debian package of the build tree and checks what it holds: the programs, the image
# plugin in Qt's folder, the MIME package and the desktop entry, with dependencies found by
# dpkg-shlibdeps. Usage: PackageTest.sh BUILD_DIR APP_ID     Exit 77: a tool is missing.
set -euo pipefail

build="$1" id="$2"
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what="$1"; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
packages=("$work"/tq1_*.deb)
check "one package is built" test -f "${packages[0]}"
deb="${packages[0]}"
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/tq1 ./usr/bin/tq1-desktop ./usr/bin/tq1-thumbnailer ./usr/libexec/tq1/tq1-qt \
    "./usr/share/mime/packages/$id.xml" "./usr/share/applications/$id.desktop" \
    "./usr/share/thumbnailers/$id.thumbnailer" "./usr/share/metainfo/$id.metainfo.xml"; do
  check "the package holds $path" grep -qxF "$path" <<<"$contents"
done
check "the package holds the image plugin" \
  grep -Eq '^\./usr/lib/([^/]+/)?qt6/plugins/imageformats/[^/]+\.so$' <<<"$contents"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "the dependencies name Qt's libraries" grep -q 'libqt6gui6' <<<"$depends"
check "the dependencies name the C++ library" grep -q 'libstdc++6' <<<"$depends"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
