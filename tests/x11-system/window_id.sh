#!/usr/bin/env bash
# The preview's road: -window-id (hexadecimal and decimal) and -root with
# XSCREENSAVER_WINDOW draw into a window another client made, without
# mapping, moving, resizing it or taking its input; that client destroying
# the window ends the program with exit code 0, whenever it happens.
source "$(dirname "$0")/lib.sh"
kit_init

# window_state WINDOW: position, size and map state, as xwininfo says.
window_state() {
  xwininfo -id "$1" | grep -E 'Absolute upper-left|Width|Height|Map State' | tr -s ' ' | tr '\n' ' '
}

w=$("$X11_TOOL" create 320 240 gl)
before=$(window_state "$w")
start hex -window-id "$w"
scene_seen "$w" || fail_now "the scene is not in window $w"
[ "$(window_state "$w")" = "$before" ] || fail_now "window changed: $before -> $(window_state "$w")"
# The creator selected no events: whatever is selected now is the program's.
wanted=$(xwininfo -id "$w" -events | sed -n '/Someone wants these events/,/Do not propagate/p' |
  grep -v -e 'Someone wants' -e 'Do not propagate' | tr -d ' ')
[ "$wanted" = "StructureNotify" ] || fail_now "events selected on the window: $wanted"
"$X11_TOOL" destroy "$w"
expect_end hex "exit 0"
[ ! -s "$KIT_TMP/hex.err" ] || fail_now "stderr: $(cat "$KIT_TMP/hex.err")"

w=$("$X11_TOOL" create 200 150 gl)
start decimal --window-id "$(printf '%d' "$w")" --root
drawn_in "$w" 0 0 200 150 || fail_now "nothing drawn with a decimal window id"
"$X11_TOOL" destroy "$w"
expect_end decimal "exit 0"

w=$("$X11_TOOL" create 300 200 gl)
XSCREENSAVER_WINDOW=$w start env-root --root
scene_seen "$w" || fail_now "-root did not draw into XSCREENSAVER_WINDOW"
kill -TERM "$(pid_of env-root)"
expect_end env-root "signal 15"
"$X11_TOOL" destroy "$w"

# Destroyed at different moments, from while the program sets up its
# context to the middle of frames: always exit code 0, nothing on stderr.
# (A window destroyed before the program looks names no window: exit 1.)
for k in 1 2 3 4 5 6 7 8; do
  w=$("$X11_TOOL" create 400 300 gl)
  start "race-$k" -window-id "$w" -delay 0
  sleep "0.$((k * 11))"
  "$X11_TOOL" destroy "$w"
  expect_end "race-$k" "exit 0"
  [ ! -s "$KIT_TMP/race-$k.err" ] || fail_now "race $k: stderr: $(cat "$KIT_TMP/race-$k.err")"
done

# Without XSCREENSAVER_WINDOW, -root draws into the root window.
unset XSCREENSAVER_WINDOW
start root --root
root=$(root_window)
scene_seen "$root" || fail_now "-root did not draw into the root window"
kill -TERM "$(pid_of root)"
expect_end root "signal 15"
pass "window id: drawn into the given window, ends with 0 when it is destroyed"
kit_done
