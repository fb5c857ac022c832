#!/usr/bin/env bash
# The desktop program on a real X display with a window manager (openbox) and a notification
# area (trayer), driven with xdotool and checked with xwininfo: minimised into the tray with the
# codec options and list dialogs open, every window of the program goes out of sight (no empty
# frame left behind); a click on the icon brings back the main window, both dialogs and the
# preview window; the menu commands bring back dialogs that exist but are off screen; the
# program keeps running throughout and ends through its own "Выход".
#
# Usage: tray_windows.sh PATH_TO_tq1-desktop
# Exit 77 (skipped) when the X tools are missing.
set -uo pipefail

program=${1:?usage: tray_windows.sh PATH_TO_tq1-desktop}
timeout_s=${TQ1_DESKTOP_TEST_TIMEOUT:-20}

for tool in Xvfb openbox trayer xdotool xwininfo; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tq1-tray.XXXXXX")
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

fail() {
  echo "FAIL: $*"
  echo "--- windows:"
  xwininfo -root -tree 2>/dev/null | grep -E 'RI1|Настройки|Создание|PREVIEW|Предварительный' || true
  echo "--- program output:"
  cat "$work/program.log" 2>/dev/null
  exit 1
}

# Polls `condition` (a shell command) every 0.1 s until it succeeds or the timeout passes.
wait_for() {
  local what=$1 condition=$2 deadline=$((SECONDS + timeout_s))
  until eval "$condition"; do
    ((SECONDS < deadline)) || fail "timed out waiting for $what"
    sleep 0.1
  done
}

map_state() { xwininfo -id "$1" 2>/dev/null | sed -n 's/^ *Map State: *//p'; }
viewable() { [ "$(map_state "$1")" = IsViewable ]; }
not_viewable() { [ "$(map_state "$1")" != IsViewable ]; }
# The window manager's frame around a client window: its parent, unless that is the root.
frame_of() {
  local parent root
  parent=$(xwininfo -children -id "$1" | sed -n 's/^ *Parent window id: *\(0x[0-9a-f]*\).*/\1/p')
  root=$(xwininfo -root | sed -n 's/.*Window id: *\(0x[0-9a-f]*\).*/\1/p')
  [ "$parent" != "$root" ] && echo "$parent"
}
first_window() { xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1; }

# A display of our own: the server picks a free number and reports it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for "the X server" '[ -s "$work/display" ]'
export DISPLAY=":$(head -n 1 "$work/display")"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for "openbox" 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
trayer --edge bottom --align right --widthtype pixel --width 120 --height 32 \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
wait_for "trayer" '[ -n "$(xdotool search --classname trayer 2>/dev/null)" ]'

# Settings: minimise into the tray on, preview on; otherwise the factory values. Twelve
# little-endian 32-bit fields, then the byte sum: 0,8,8,8,8,0,0,1,0,1,100,100.
INI_RECORD="00000000""08000000""08000000""08000000""08000000""00000000""00000000""01000000""00000000""01000000""64000000""64000000""EA"
printf '[Settings]\nset=%s\n' "$INI_RECORD" >"$XDG_CONFIG_HOME/tq1.ini"

# A 64 x 48 grey bitmap to show, so that the codec options dialog has a preview.
bitmap="$work/grey.bmp"
{
  printf 'BM\x36\x24\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
  printf '\x28\x00\x00\x00\x40\x00\x00\x00\x30\x00\x00\x00\x01\x00\x18\x00'
  printf '\x00\x00\x00\x00\x00\x24\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00'
  head -c 9216 /dev/zero | tr '\0' '\200'
} >"$bitmap"

"$program" "$bitmap" >"$work/program.log" 2>&1 &
app=$!
pids+=($app)
running() { kill -0 "$app" 2>/dev/null; }

wait_for "the main window" '[ -n "$(first_window "^RI1 Vuzud Uvizo - ")" ]'
main=$(first_window "^RI1 Vuzud Uvizo - ")

# Menu commands: Alt + the popup's access key opens it with its first item selected; arrow
# keys and Return pick the item. The first use of a Cyrillic key may be lost while xdotool
# maps it onto the keyboard, so a command is repeated until its window shows.
menu() {
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
  xdotool key --clearmodifiers "alt+$1"
  sleep 0.4
  shift
  xdotool key --clearmodifiers "$@" Return
}
codec_options() { menu Cyrillic_en; }          # &Настройки / &Кодирование (the first item)
list_dialog() { menu Cyrillic_ef Down Down; }  # &Файл / С&писок... (after Открыть, Сохранить)
# Runs a menu command until `condition` holds.
command_until() {
  local command=$1 what=$2 condition=$3 attempt
  for attempt in 1 2 3 4 5; do
    $command
    local deadline=$((SECONDS + 5))
    while ((SECONDS < deadline)); do
      eval "$condition" && return 0
      sleep 0.1
    done
    # A menu left open takes the Escape; otherwise the main window does (and ignores it),
    # not a dialog that may have opened late.
    xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers Escape Escape
  done
  fail "$what"
}

command_until codec_options "the codec options dialog did not open" \
  '[ -n "$(first_window "^Настройки кодирования$")" ]'
codec=$(first_window "^Настройки кодирования$")
wait_for "the preview window" '[ -n "$(first_window "^Предварительный просмотр$")" ]'
preview=$(first_window "^Предварительный просмотр$")
command_until list_dialog "the list dialog did not open" \
  '[ -n "$(first_window "^Создание списка$")" ]'
list=$(first_window "^Создание списка$")
for w in "$main" "$codec" "$preview" "$list"; do viewable "$w" || fail "window $w not shown"; done
main_frame=$(frame_of "$main")

# Minimise into the tray: nothing of the program stays on screen, not even the frame.
xdotool windowminimize "$main"
wait_for "the main window to leave the screen" 'not_viewable "$main"'
for w in "$codec" "$preview" "$list"; do
  wait_for "window $w to be hidden" 'not_viewable "$w"'
done
if [ -n "$main_frame" ]; then
  wait_for "the main window's frame to go" 'not_viewable "$main_frame"'
fi
sleep 0.5
running || fail "the program ended while in the tray"
not_viewable "$main" || fail "the main window came back by itself"

# The icon: the program's window embedded in trayer's panel.
tray_icon() {
  local panel
  panel=$(xdotool search --name '^panel$' 2>/dev/null | head -n 1)
  [ -n "$panel" ] &&
    xwininfo -tree -id "$panel" | grep '("tq1-desktop"' | awk '{print $1}' | head -n 1
}
click_tray_icon() {
  wait_for "the tray icon" '[ -n "$(tray_icon)" ]'
  eval "$(xdotool getwindowgeometry --shell "$(tray_icon)")"
  xdotool mousemove --sync $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}
click_tray_icon

wait_for "the main window to come back" 'viewable "$main"'
for w in "$codec" "$preview" "$list"; do
  wait_for "window $w to come back" 'viewable "$w"'
done

# Minimising a dialog minimises its owner with it (openbox iconifies the whole group): the
# program goes into the tray in the same way and comes back whole.
xdotool windowminimize "$codec"
for w in "$main" "$codec" "$preview" "$list"; do
  wait_for "window $w to leave the screen" 'not_viewable "$w"'
done
running || fail "the program ended while in the tray"
click_tray_icon
for w in "$main" "$codec" "$preview" "$list"; do
  wait_for "window $w to come back" 'viewable "$w"'
done

# A dialog that exists but is not on screen comes back through its menu command (no second
# one opens).
xdotool windowunmap "$codec"
wait_for "the codec options dialog to leave the screen" 'not_viewable "$codec"'
command_until codec_options "the codec options command left its dialog hidden" 'viewable "$codec"'
xdotool windowunmap "$list"
wait_for "the list dialog to leave the screen" 'not_viewable "$list"'
command_until list_dialog "the list command left its dialog hidden" 'viewable "$list"'
[ "$(xdotool search --name "^Настройки кодирования$" | wc -l)" = 1 ] ||
  fail "a second codec options dialog was opened"
[ "$(xdotool search --name "^Создание списка$" | wc -l)" = 1 ] ||
  fail "a second list dialog was opened"
running || fail "the program ended"

# "Выход" (Ctrl+Q) ends it.
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
xdotool key --clearmodifiers ctrl+q
wait_for "the program to end" '! running'
wait "$app"
status=$?
[ "$status" = 0 ] || fail "the program ended with status $status"
echo "PASS"
