#!/usr/bin/env bash
# A resized window is filled: after a ConfigureNotify with a new size the
# frames cover the new size (scene pixels beyond the old extents) and the
# -fps overlay moves to the new lower left corner. Own window and a window
# of another client (the preview's road) alike.
source "$(dirname "$0")/lib.sh"
kit_init

# overlay_at WINDOW X Y W H: white text pixels there within PATIENCE.
overlay_at() {
  wait_until "$PATIENCE" counted white 40 colours "$@" && return 0
  note "no overlay text in $*: $(colours "$@" 2>&1 || true)"
  return 1
}

# size_is WINDOW "W H": the window has that size now.
size_is() { [ "$("$X11_TOOL" size "$1")" = "$2" ]; }

start grow -geometry 400x300 -fps
wait_until "$PATIENCE" own_window >/dev/null || fail_now "no window"
w=$(own_window)
drawn_in "$w" 0 0 400 300 || fail_now "nothing drawn at 400 x 300"
overlay_at "$w" 0 250 160 50 || fail_now "no overlay in the lower left at 400 x 300"
"$X11_TOOL" resize "$w" 900 700
wait_until "$PATIENCE" size_is "$w" "900 700" || fail_now "resize refused"
# In X coordinates (top down) the old frame covered x < 400, y >= 400.
drawn_in "$w" 450 0 450 350 || fail_now "the top right beyond the old size stays empty"
drawn_in "$w" 0 0 400 350 || fail_now "the top left beyond the old size stays empty"
overlay_at "$w" 0 650 160 50 || fail_now "no overlay in the new lower left corner"
"$X11_TOOL" resize "$w" 240 180
wait_until "$PATIENCE" size_is "$w" "240 180" || fail_now "resize refused"
overlay_at "$w" 0 130 160 50 || fail_now "no overlay in the lower left after shrinking"
drawn_in "$w" 0 0 240 180 || fail_now "nothing drawn at 240 x 180"
kill -TERM "$(pid_of grow)"
expect_end grow "signal 15"

w=$("$X11_TOOL" create 320 240 gl)
start preview -window-id "$w"
drawn_in "$w" 0 0 320 240 || fail_now "nothing drawn in the other client's window"
"$X11_TOOL" resize "$w" 640 480
drawn_in "$w" 340 0 300 220 || fail_now "the other client's window is not filled after growing"
[ "$("$X11_TOOL" size "$w")" = "640 480" ] || fail_now "the program changed the window's size"
"$X11_TOOL" destroy "$w"
expect_end preview "exit 0"
pass "resize: frames fill the new size, overlay follows the lower left corner"
kit_done
