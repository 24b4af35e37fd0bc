#!/usr/bin/env bash
# The real program full screen (/s): its window, the scene on the screen, and
# the input that ends it: a key, a click, a pointer move of more than 4 pixels
# summed over both axes, but not a move of exactly 4.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

# check_stays DESC: the run is still there a moment later. Input reaches a
# Wine window within milliseconds; a second of looking leaves ample room for
# a close even on a busy machine.
check_stays() {
  sleep 1
  if still_running "$SAVER_PID" && probe info "$SAVER_WINDOW" >/dev/null; then
    pass "$1 does not end the saver"
  else
    fail "$1 does not end the saver"
  fi
}

# --- the window and the scene -------------------------------------------------
if full_screen_start; then
  pass "/s opens the window of class WindowsScreenSaverClass titled Screen Saver"
  check_eq "it covers the screen" "0 0 1024 768" "$(window_field "$SAVER_WINDOW" rect)"
  check_eq "it is a visible borderless popup (WS_POPUP|WS_VISIBLE|WS_CLIPSIBLINGS|WS_CLIPCHILDREN)" \
    0x96000000 "$(window_field "$SAVER_WINDOW" style)"
  exstyle=$(window_field "$SAVER_WINDOW" exstyle)
  check "it is top-most (WS_EX_TOPMOST in $exstyle)" test $((exstyle & 8)) -eq 8
  # The program brings its window to the front just after creating it.
  check "it becomes the foreground window" probe wait-foreground "$SAVER_WINDOW" "$((PATIENCE * 1000))"

  # The sheets near the surface's singular corner sweep across the view and can
  # hide the cone and the marker for some frames: look at several frames.
  wait_for_scene "$PATIENCE" "blue 2000 green 2000 red 100 white 20" screen_colours
  note "looked at $SCENE_LOOKS screenshots"
  check_seen "blue:the surface's blue side is on the screen" "green:the surface's green side is on the screen" \
    "red:the red cone is on the screen" "white:the white light marker is on the screen"
  check "the scene moves between screenshots" frames_change
  end_full_screen
else
  fail "/s opens the window of class WindowsScreenSaverClass titled Screen Saver"
  stop_process "$SAVER_PID"
fi

# --- input that ends it ------------------------------------------------------
# what to do | description
while IFS='|' read -r action what; do
  if full_screen_start; then
    $action
    check_closes "$what"
  else
    fail "/s starts for: $what"
    stop_process "$SAVER_PID"
  fi
done <<'TABLE'
key a|a key press (a)
key Escape|a key press (Escape)
key shift|a modifier key alone (Shift)
click 1|a left click
click 3|a right click
click 2|a middle click
pointer_by 5 0|a pointer move of 5 pixels
pointer_by 0 -7|a pointer move of 7 pixels upwards
pointer_by 3 2|a pointer move of (3, 2)
TABLE

# --- another program's window taking the foreground ends it -------------------
if full_screen_start && probe wait-foreground "$SAVER_WINDOW" "$((PATIENCE * 1000))"; then
  parent_start other 200 100 50 50 --ms 120000
  probe activate "$PARENT" >/dev/null
  check_closes "another program's window taking the foreground"
  stop_process "$PARENT_PID"
else
  fail "/s starts and takes the foreground for the activation test"
  stop_process "$SAVER_PID"
fi

# --- moves of exactly 4 do not end it; the distance adds up from where the ----
# --- pointer was when the window was created --------------------------------
if full_screen_start; then
  pointer_by 4 0
  check_stays "a pointer move of (4, 0)"
  pointer_by -2 2
  check_stays "a further move back to (2, 2) from the start"
  pointer_by 1 0
  check_closes "a further move to (3, 2) from the start, summed distance 5"
else
  fail "/s starts for the 4-pixel moves"
  stop_process "$SAVER_PID"
fi

if full_screen_start; then
  pointer_by 0 -4
  check_stays "a pointer move of (0, -4)"
  pointer_by 0 4
  check_stays "a move back to the start"
  pointer_by -1 -3
  check_stays "a move to (-1, -3)"
  pointer_by -1 -1
  check_closes "a move to (-2, -4), summed distance 6"
else
  fail "/s starts for the moves back"
  stop_process "$SAVER_PID"
fi

kit_done
