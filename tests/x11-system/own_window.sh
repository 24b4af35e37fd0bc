#!/usr/bin/env bash
# Own-window mode: a 1024 x 768 window titled "Korvanthel" showing the scene,
# closed with exit code 0 by q, Q and Escape typed as real input and by the
# window manager's close (WM_DELETE_WINDOW); other keys leave it running.
# -display names the display to use, with DISPLAY unset or naming another.
source "$(dirname "$0")/lib.sh"
kit_init

for key in q Q Escape; do
  start "own-$key"
  wait_until "$PATIENCE" own_window >/dev/null || fail_now "no window titled Korvanthel"
  w=$(own_window)
  [ "$("$X11_TOOL" size "$w")" = "1024 768" ] || fail_now "window size $("$X11_TOOL" size "$w")"
  scene_seen "$w" || fail_now "the scene is not in the window"
  xdotool mousemove 512 384
  if [ "$key" = q ]; then
    xdotool key a space Return x
    sleep 0.5
    still_running "$(pid_of "own-$key")" || fail_now "a key other than q, Q or Escape ended it"
  fi
  xdotool key "$key"
  expect_end "own-$key" "exit 0"
  # The X server removes the window once it sees the program's connection close.
  wait_until "$PATIENCE" no_own_window || fail_now "window left after $key"
  [ ! -s "$KIT_TMP/own-$key.err" ] || fail_now "stderr: $(cat "$KIT_TMP/own-$key.err")"
done

start own-delete -geometry 320x240
wait_until "$PATIENCE" own_window >/dev/null || fail_now "no window titled Korvanthel"
w=$(own_window)
[ "$("$X11_TOOL" size "$w")" = "320 240" ] || fail_now "-geometry 320x240 gave $("$X11_TOOL" size "$w")"
xprop -id "$w" WM_PROTOCOLS | grep -q WM_DELETE_WINDOW || fail_now "WM_DELETE_WINDOW not offered"
xprop -id "$w" WM_CLASS | grep -q '"korvanthel", "Korvanthel"' || fail_now "WM_CLASS: $(xprop -id "$w" WM_CLASS)"
drawn_in "$w" 0 0 320 240 || fail_now "nothing drawn"
"$X11_TOOL" delete "$w"
expect_end own-delete "exit 0"
wait_until "$PATIENCE" no_own_window || fail_now "window left after WM_DELETE_WINDOW"

# -display names the display: it needs no DISPLAY, and it wins over a
# DISPLAY that names another one (here one that does not exist).
real=$DISPLAY
for case in unset elsewhere; do
  name=display-$case
  if [ $case = unset ]; then
    unset DISPLAY
    start "$name" -display "$real" -geometry 320x240
  else
    DISPLAY=:299.7 start "$name" --display "$real" -geometry 320x240
  fi
  export DISPLAY=$real
  seen=$(tr '\0' '\n' <"/proc/$(pid_of "$name")/environ" | sed -n 's/^DISPLAY=//p')
  want=$([ $case = unset ] || echo :299.7)
  [ "$seen" = "$want" ] || fail_now "$name: the program's DISPLAY is '$seen', wanted '$want'"
  wait_until "$PATIENCE" own_window >/dev/null || fail_now "$name: no window; stderr: $(cat "$KIT_TMP/$name.err")"
  w=$(own_window)
  drawn_in "$w" 0 0 320 240 || fail_now "$name: nothing drawn"
  "$X11_TOOL" delete "$w"
  expect_end "$name" "exit 0"
  [ ! -s "$KIT_TMP/$name.err" ] || fail_now "$name: stderr: $(cat "$KIT_TMP/$name.err")"
done
pass "own window: closes on q, Q, Escape and WM_DELETE_WINDOW; -display wins over DISPLAY"
kit_done
