#!/usr/bin/env bash
# A resized window is filled: after a ConfigureNotify with a new size the
# frames cover the new size (scene pixels beyond the old extents) and the
# -fps overlay moves to the new lower left corner. Own window and a window
# of another client (the preview's road) alike.
source "$(dirname "$0")/lib.sh"

# overlay_at WINDOW X Y W H: white text pixels there within 3 s.
overlay_at() {
  local counts
  for _ in $(seq 30); do
    counts=$(colours "$@" 2>/dev/null) || counts=""
    [ "$(count_of white "$counts")" -gt 40 ] && return 0
    sleep 0.1
  done
  echo "no overlay text in $*: $counts" >&2
  return 1
}

start grow -geometry 400x300 -fps
wait_until 5 own_window >/dev/null || fail "no window"
w=$(own_window)
drawn_in "$w" 0 0 400 300 || fail "nothing drawn at 400 x 300"
overlay_at "$w" 0 250 160 50 || fail "no overlay in the lower left at 400 x 300"
"$X11_TOOL" resize "$w" 900 700
wait_until 2 test "$("$X11_TOOL" size "$w")" = "900 700" || fail "resize refused"
# In X coordinates (top down) the old frame covered x < 400, y >= 400.
drawn_in "$w" 450 0 450 350 || fail "the top right beyond the old size stays empty"
drawn_in "$w" 0 0 400 350 || fail "the top left beyond the old size stays empty"
overlay_at "$w" 0 650 160 50 || fail "no overlay in the new lower left corner"
"$X11_TOOL" resize "$w" 240 180
wait_until 2 test "$("$X11_TOOL" size "$w")" = "240 180" || fail "resize refused"
overlay_at "$w" 0 130 160 50 || fail "no overlay in the lower left after shrinking"
drawn_in "$w" 0 0 240 180 || fail "nothing drawn at 240 x 180"
kill -TERM "$(pid_of grow)"
expect_end grow 2 "signal 15"

w=$("$X11_TOOL" create 320 240 gl)
start preview -window-id "$w"
drawn_in "$w" 0 0 320 240 || fail "nothing drawn in the other client's window"
"$X11_TOOL" resize "$w" 640 480
drawn_in "$w" 340 0 300 220 || fail "the other client's window is not filled after growing"
[ "$("$X11_TOOL" size "$w")" = "640 480" ] || fail "the program changed the window's size"
"$X11_TOOL" destroy "$w"
expect_end preview 1 "exit 0"
echo "resize: frames fill the new size, overlay follows the lower left corner"
