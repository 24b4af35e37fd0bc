#!/usr/bin/env bash
# The real program on two monitors, in the layout of the session's X server
# (KORV_TWO_HEADS, scripts/two-heads): Windows sees both monitors; /s covers
# the virtual screen exactly and the scene reaches both monitors; a key, and
# pointer moves over the second monitor, end it as on one monitor; a second
# /s leaves the running one alone; a preview in a test parent on the second
# monitor fills that parent and shows the scene.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

# The layouts of scripts/two-heads as Windows must see them: the virtual
# screen, the primary monitor (the first head) and the second one, in
# virtual-screen coordinates (LEFT TOP RIGHT BOTTOM).
# layout | virtual screen | primary | second monitor
while IFS='|' read -r name virtual primary second; do
  [ "$name" = "${KORV_TWO_HEADS:-}" ] && break
done <<'TABLE'
right|0 0 1824 768|0 0 1024 768|1024 0 1824 600
left|-800 0 1024 768|0 0 1024 768|-800 100 0 700
TABLE
[ "$name" = "${KORV_TWO_HEADS:-}" ] || fail_now "a session on two monitors (KORV_TWO_HEADS right or left)" \
  "KORV_TWO_HEADS is '${KORV_TWO_HEADS:-}'"
note "layout $name: the second monitor at $second, the primary at $primary"
read -r p_left p_top p_right p_bottom <<<"$primary"
read -r s_left s_top s_right s_bottom <<<"$second"

# --- what Windows sees ----------------------------------------------------------
read_monitors || fail_now "korv_probe reads the monitors"
check_eq "two monitors" 2 "$MONITOR_COUNT"
check_eq "the virtual screen spans both" "$virtual" "$VIRTUAL_RECT"
check_eq "the first head is the primary monitor, the other the second" \
  "$(printf '%s\n' "$primary primary" "$second secondary" | sort)" "$MONITOR_RECTS"

# The middle of each monitor, where the pointer is put, in X's coordinates.
read -r primary_x primary_y <<<"$(root_point $(((p_left + p_right) / 2)) $(((p_top + p_bottom) / 2)))"
read -r second_x second_y <<<"$(root_point $(((s_left + s_right) / 2)) $(((s_top + s_bottom) / 2)))"

# --- full screen over both monitors ---------------------------------------------
if full_screen_start "$primary_x" "$primary_y"; then
  pass "/s opens its window"
  read -r v_left v_top v_right v_bottom <<<"$virtual"
  check_eq "the window covers the virtual screen exactly" "$virtual" "$(window_field "$SAVER_WINDOW" rect)"
  check_eq "its client area is the whole virtual screen" "$((v_right - v_left)) $((v_bottom - v_top))" \
    "$(window_field "$SAVER_WINDOW" client)"
  # The scene is one view across the whole window, so one frame can leave a
  # monitor dark: each monitor is looked at until its rectangle has shown the
  # colours. Only the monitors' rectangles are judged: where no monitor is,
  # a screenshot of the root shows whatever the X server holds there. The
  # camera looks at the cone, which lies in the middle of the window, on the
  # primary monitor in both layouts.
  # monitor | rectangle | wanted colours
  while IFS='|' read -r monitor rect wanted; do
    read -r left top right bottom <<<"$rect"
    read -r x y <<<"$(root_point "$left" "$top")"
    first_shot=$((${REGION_SHOTS:-0} + 1))
    wait_for_scene "$PATIENCE" "$wanted" region_colours "$x" "$y" $((right - left)) $((bottom - top))
    note "the $monitor monitor: screenshots looked at: $SCENE_LOOKS" \
      "($KIT_TMP/region-$first_shot.png to region-$REGION_SHOTS.png)"
    check_seen "blue:the $monitor monitor shows the surface's blue side" \
      "green:the $monitor monitor shows the surface's green side"
    [[ $wanted == *red* ]] && check_seen "red:the $monitor monitor shows the red cone" \
      "white:the $monitor monitor shows the white light marker"
    cp "$KIT_TMP/region-$REGION_SHOTS.png" "$KIT_TMP/two-monitors-$name-$monitor.png"
  done <<TABLE
primary|$primary|blue 2000 green 2000 red 100 white 20
second|$second|blue 2000 green 2000
TABLE

  # --- the single-instance rule ---------------------------------------------------
  first=$SAVER_PID
  bg_start second "$KORV_SAVER" /s
  if wait_exit "$BG_PID" "$PATIENCE"; then
    check_eq "a second /s returns 0" 0 "$EXIT_CODE"
  else
    fail "a second /s returns at once"
    stop_process "$BG_PID"
  fi
  check_eq "one saver window exists after the second /s" 1 "$(probe toplevel "$SAVER_CLASS" - | wc -l)"
  check "the first run goes on" still_running "$first"
  check_eq "the first window still covers the virtual screen" "$virtual" "$(window_field "$SAVER_WINDOW" rect)"
  check_eq "the first window is the foreground window" 1 "$(window_field "$SAVER_WINDOW" foreground)"
  end_full_screen
else
  fail "/s opens its window"
  stop_process "$SAVER_PID"
fi

# --- input that ends it -----------------------------------------------------------
# Where the pointer waits while the window comes up, and what is done then.
# On the left layout the second monitor's coordinates are negative, where the
# summed distance is reckoned from.
# pointer | steps (stays: no end yet; closes: the end) | description
while IFS='|' read -r at steps what; do
  if [ "$at" = second ]; then x=$second_x y=$second_y; else x=$primary_x y=$primary_y; fi
  if ! full_screen_start "$x" "$y"; then
    fail "/s starts for: $what"
    stop_process "$SAVER_PID"
    continue
  fi
  for step in $steps; do
    IFS=: read -r outcome action <<<"$step"
    ${action//,/ }
    if [ "$outcome" = closes ]; then
      check_closes "$what"
      break
    fi
    # Input reaches a Wine window within milliseconds: a second of looking
    # leaves ample room for a close even on a busy machine.
    sleep 1
    check "$what: ${action//,/ } alone leaves it running" still_running "$SAVER_PID"
  done
  end_full_screen
done <<'TABLE'
primary|closes:key,a|a key press
second|stays:pointer_by,4,0 closes:pointer_by,1,0|a pointer move over the second monitor (4 pixels, then 1 more)
second|stays:pointer_by,0,-4 closes:pointer_by,-1,-1|a pointer move over the second monitor (4 up, then 2 more)
second|closes:click,1|a click on the second monitor
TABLE

# --- a preview on the second monitor ----------------------------------------------
W=320 H=200
X=$((s_left + 240)) Y=$((s_top + 200))
rm -f "$KIT_TMP/stop-parent"
if parent_start parent "$W" "$H" "$X" "$Y" --until "$KIT_TMP/stop-parent"; then
  check_eq "the test parent is placed on the second monitor as asked" "$X $Y $((X + W)) $((Y + H))" \
    "$(window_field "$PARENT" rect)"
  saver_start /p "$PARENT"
  preview=$(wait_preview "$PARENT" "$PATIENCE")
  if [ -n "$preview" ]; then
    pass "/p opens the preview inside the parent on the second monitor"
    check_eq "the preview fills the parent's client area" "$W $H" "$(window_field "$preview" client)"
    check_eq "it sits at the parent's origin" "$X $Y $((X + W)) $((Y + H))" "$(window_field "$preview" rect)"
    # Wine draws a child window's OpenGL into an offscreen X window of its size.
    wait_for_scene "$PATIENCE" "blue 200 green 200" preview_colours "$W" "$H"
    note "the preview: captures looked at: $SCENE_LOOKS"
    check_seen "blue:the preview shows the surface's blue side" "green:the preview shows the surface's green side"
    [ -n "${PREVIEW_XID:-}" ] && cp "$KIT_TMP/preview-$PREVIEW_XID.png" "$KIT_TMP/two-monitors-$name-preview.png"
  else
    fail "/p opens the preview inside the parent on the second monitor"
  fi
  touch "$KIT_TMP/stop-parent"
  if wait_exit "$SAVER_PID" "$PATIENCE"; then
    check_eq "the preview ends with exit code 0 when its parent is destroyed" 0 "$EXIT_CODE"
  else
    fail "the preview ends when its parent is destroyed"
    stop_process "$SAVER_PID"
  fi
  wait_exit "$PARENT_PID" "$PATIENCE" || stop_process "$PARENT_PID"
else
  fail "the test parent opens on the second monitor"
fi

kit_done
