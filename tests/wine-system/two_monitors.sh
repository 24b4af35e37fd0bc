#!/usr/bin/env bash
# The real program on two monitors, in the layout of the session's X server
# (KORV_TWO_HEADS, scripts/two-heads): Windows sees both monitors; /s covers
# the virtual screen exactly and each monitor shows the whole scene, the cone
# in its middle; the animation steps once per tick however many monitors
# show it (the test build's log of the angles); a key, and pointer moves over
# the second monitor, end it as on one monitor; a second /s leaves the
# running one alone; a preview in a test parent on the second monitor fills
# that parent and shows the scene.
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

# monitor_crop SHOT MONITOR [OUT] [PART]: the monitor's rectangle of a
# screenshot (with PART 8, the box of an eighth of its width and height
# around its middle) as a PNG in OUT, or, without OUT, its colour counts.
monitor_crop() {
  local rect left top right bottom x y w h part=${4:-1}
  if [ "$2" = primary ]; then rect=$primary; else rect=$second; fi
  read -r left top right bottom <<<"$rect"
  read -r x y <<<"$(root_point "$left" "$top")"
  w=$((right - left)) h=$((bottom - top))
  x=$((x + w * (part - 1) / part / 2)) y=$((y + h * (part - 1) / part / 2))
  if [ -n "${3:-}" ]; then
    convert "$1" -crop "$((w / part))x$((h / part))+$x+$y" +repage "$3"
  else
    scene_colours "$1[$((w / part))x$((h / part))+$x+$y]"
  fi
}

# A counter for wait_for_scene: one screenshot (monitors-N.png, N counting
# up), and in it the colour counts of each monitor and of the box around its
# middle, as "primary.blue N ... primary.middle.blue N ... second.blue N ...".
monitors_colours() {
  MONITOR_SHOTS=$((${MONITOR_SHOTS:-0} + 1))
  local shot=$KIT_TMP/monitors-$MONITOR_SHOTS.png monitor line=
  screenshot "$shot" || return 1
  for monitor in primary second; do
    line+=" $(monitor_crop "$shot" "$monitor" | sed -E "s/([a-z]+) ([0-9]+)/$monitor.\1 \2/g")" || return 1
    line+=" $(monitor_crop "$shot" "$monitor" "" 8 | sed -E "s/([a-z]+) ([0-9]+)/$monitor.middle.\1 \2/g")" ||
      return 1
  done
  echo "$line"
}

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
  # Each monitor shows the whole scene in a view of its own, whose camera
  # looks at the cone: the cone lies in the middle of every monitor. Both
  # monitors are judged in the same screenshots; the sheets near the
  # surface's singular corner hide the cone and the marker in some frames, so
  # each class is looked for until some frame has shown it. Only the
  # monitors' rectangles are judged: where no monitor is, a screenshot of the
  # root shows whatever the X server holds there.
  wanted="primary.blue 2000 primary.green 2000 primary.red 100 primary.white 20 primary.middle.red 20"
  wanted+=" second.blue 2000 second.green 2000 second.red 60 second.white 10 second.middle.red 20"
  wait_for_scene "$PATIENCE" "$wanted" monitors_colours
  note "screenshots looked at: $SCENE_LOOKS ($KIT_TMP/monitors-1.png to monitors-$MONITOR_SHOTS.png)"
  for monitor in primary second; do
    check_seen "$monitor.blue:the $monitor monitor shows the surface's blue side" \
      "$monitor.green:the $monitor monitor shows the surface's green side" \
      "$monitor.red:the $monitor monitor shows the red cone" \
      "$monitor.white:the $monitor monitor shows the white light marker" \
      "$monitor.middle.red:the red cone is in the middle of the $monitor monitor"
    monitor_crop "$KIT_TMP/monitors-$MONITOR_SHOTS.png" "$monitor" "$KIT_TMP/two-monitors-$name-$monitor.png"
  done
  cp "$KIT_TMP/monitors-$MONITOR_SHOTS.png" "$KIT_TMP/two-monitors-$name.png"

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

# --- one step per tick --------------------------------------------------------------
# The test build logs the angles after each frame and the number of views it
# drew: each frame steps the tilt by 4/3, the spin by 5/6 and the light by 6
# degrees (less a turn where an angle wraps), once, in two views.
SAVER=$KORV_SAVER_TEST
rm -f "$CASE_DIR/hooks.log"
angle_lines() { [ "$(grep -c '^angles ' "$CASE_DIR/hooks.log" 2>/dev/null)" -ge "$1" ]; }
if KORVANTHEL_TEST_ANGLES=1 full_screen_start "$primary_x" "$primary_y" && wait_until "$PATIENCE" angle_lines 50; then
  end_full_screen
  steps=$(tr -d '\r' <"$CASE_DIR/hooks.log" | awk '
    function turned(d, step) { while (d < 0) d += 360; return d - step }
    $1 == "angles" {
      n++
      if ($5 != 2) bad = bad " frame " n " in " $5 " views;"
      if (n > 1) {
        split("1.3333333 0.8333333 6", step, " ")
        for (i = 1; i <= 3; i++) {
          d = turned($(i + 1) - last[i], step[i])
          if (d > 0.001 || d < -0.001) bad = bad " frame " n " angle " i " moved " ($(i + 1) - last[i]) ";"
        }
      }
      for (i = 1; i <= 3; i++) last[i] = $(i + 1)
    }
    $1 == "frames" { frames = $2 }
    END { print n + 0, frames + 0, (bad == "" ? "ok" : bad) }')
  read -r logged frames verdict <<<"$steps"
  check_eq "each of the $logged frames logged steps every angle once, in two views" ok "$verdict"
  check_eq "one frame logged per frame drawn" "$frames" "$logged"
else
  fail "the test build logs its angles full screen"
  end_full_screen
fi
SAVER=$KORV_SAVER

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
