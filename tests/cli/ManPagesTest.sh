#!/bin/sh
# The manual pages render without a single groff warning, hold the sections a reader looks
# for, and name every long option that `tq1 --help` lists.
# Usage: ManPagesTest.sh MAN_FOLDER TQ1_PROGRAM
set -u
pages=$1
program=$2
if ! command -v man >/dev/null 2>&1 || ! command -v groff >/dev/null 2>&1; then
  echo "SKIP: man and groff are needed to render the manual pages (packages man-db, groff-base)"
  exit 77
fi
# The desktop page holds the app's Russian menu names.
export LC_ALL=C.UTF-8 MANWIDTH=80
failed=0
fail() { echo "FAIL: $*"; failed=1; }

for page in "$pages/tq1.1" "$pages/tq1-desktop.1"; do
  warnings=$(man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page renders with warnings:
$warnings"
  text=$(man -l "$page" 2>/dev/null)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" EXAMPLES FILES; do
    printf '%s\n' "$text" | grep -q "^$section\$" || fail "$page has no $section section"
  done
done

text=$(MANWIDTH=1000 man -l "$pages/tq1.1" 2>/dev/null)
options=$("$program" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || fail "tq1 --help lists no options"
for option in $options; do
  printf '%s' "$text" | grep -q -- "$option" || fail "tq1.1 does not describe $option"
done

[ "$failed" = 0 ] && echo "manual pages: all checks passed"
exit "$failed"
