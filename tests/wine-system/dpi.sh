#!/usr/bin/env bash
# The shipped program at 192 DPI, on a prefix where Wine scales each program
# as its manifest asks (scripts/wine-prefix): every window it shows (full
# screen, the preview in a per-monitor aware host, the about dialog, the
# installer's agreement) is per-monitor DPI aware, so that Windows never
# stretches it; the full-screen window and the scene drawn in it cover the
# whole screen; and both dialogs are left as screenshots in the scratch
# folder (about-192dpi.png, agreement-192dpi.png).
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

DPI=192

# check_per_monitor WHAT HWND: the window is per-monitor aware at $DPI.
check_per_monitor() {
  local seen awareness dpi
  seen=$(probe dpi "$2")
  awareness=$(awk '$1 == "awareness" { print $2 }' <<<"$seen")
  dpi=$(awk '$1 == "dpi" { print $2 }' <<<"$seen")
  check_eq "$1 is per-monitor DPI aware (2)" 2 "$awareness"
  check_eq "$1 has the monitor's $DPI DPI" "$DPI" "$dpi"
}

# scene_spread FILE: "LEFT RIGHT TOP BOTTOM RED RED_X RED_Y": the box around
# every lit pixel, and the red cone's pixel count and centre (-1 -1 without
# red), from a screenshot.
scene_spread() {
  convert "$1" -depth 8 rgb:- | od -An -v -tu1 -w3 | awk -v w=1024 '
    { r = $1; g = $2; b = $3; x = (NR - 1) % w; y = int((NR - 1) / w)
      if (r > 16 || g > 16 || b > 16) {
        if (!lit || x < left) left = x; if (!lit || x > right) right = x
        if (!lit || y < top) top = y; if (!lit || y > bottom) bottom = y; lit = 1 }
      if (r > 50 && r > g + 35 && r > b + 35) { red++; red_x += x; red_y += y } }
    END { if (!lit) { left = right = top = bottom = -1 }
          printf "%d %d %d %d %d %d %d\n", left, right, top, bottom, red,
                 red ? red_x / red : -1, red ? red_y / red : -1 }'
}

# --- full screen ---------------------------------------------------------------
if full_screen_start; then
  pass "/s opens the full-screen window at $DPI DPI"
  check_per_monitor "the full-screen window" "$SAVER_WINDOW"
  check_eq "it covers the screen in its real pixels" "0 0 1024 768" "$(window_field "$SAVER_WINDOW" rect)"
  check_eq "its client area is the whole screen" "1024 768" "$(window_field "$SAVER_WINDOW" client)"
  # The camera looks at the cone, so in a frame that shows it the cone sits
  # in the middle of the drawn area; over a few frames the surface's sheets
  # reach every edge. A scene drawn into part of the screen fails both.
  left=1024 right=-1 top=768 bottom=-1 centred=0 shots=0
  for shot in $(seq 1 30); do
    screenshot "$KIT_TMP/scene$shot.png"
    read -r l r t b red red_x red_y <<<"$(scene_spread "$KIT_TMP/scene$shot.png")"
    shots=$shot
    if [ "$l" -ge 0 ]; then
      [ "$l" -lt "$left" ] && left=$l
      [ "$r" -gt "$right" ] && right=$r
      [ "$t" -lt "$top" ] && top=$t
      [ "$b" -gt "$bottom" ] && bottom=$b
    fi
    if [ "$red" -gt 500 ] && [ $((red_x - 512)) -le 80 ] && [ $((512 - red_x)) -le 80 ] &&
      [ $((red_y - 384)) -le 80 ] && [ $((384 - red_y)) -le 80 ]; then
      centred=1
    fi
    [ "$centred" = 1 ] && [ "$left" -le 8 ] && [ "$right" -ge 1015 ] && [ "$top" -le 8 ] &&
      [ "$bottom" -ge 759 ] && break
    sleep 0.1
  done
  note "looked at $shots screenshots; lit pixels from ($left, $top) to ($right, $bottom)"
  check_eq "a frame shows the red cone in the middle of the screen" 1 "$centred"
  check "the scene reaches the left and right edges" test "$left" -le 8 -a "$right" -ge 1015
  check "the scene reaches the top and bottom edges" test "$top" -le 8 -a "$bottom" -ge 759
  key space
  wait_exit "$SAVER_PID" 5 || stop_process "$SAVER_PID"
else
  fail "/s opens the full-screen window at $DPI DPI"
  stop_process "$SAVER_PID"
fi

# --- preview -------------------------------------------------------------------
# A child window takes the DPI awareness of the window it lives in, whatever
# its program's manifest says (on Windows as under Wine): in a per-monitor
# aware host, as the system's screen-saver settings are, the preview is per
# monitor; in an unaware one (korv_probe has no manifest) it is as unaware as
# its host. In both it fills the host's client area.
# host option | what the host is
while IFS='|' read -r option host; do
  # shellcheck disable=SC2086
  if ! parent_start "parent$option" 152 112 200 150 $option; then
    fail "the $host test parent opens"
    continue
  fi
  saver_start /p "$PARENT"
  preview=$(wait_preview "$PARENT" 5)
  if [ -n "$preview" ]; then
    pass "/p opens the preview inside the $host parent"
    host_awareness=$(probe dpi "$PARENT" | awk '$1 == "awareness" { print $2 }')
    preview_awareness=$(probe dpi "$preview" | awk '$1 == "awareness" { print $2 }')
    if [ -n "$option" ]; then
      check_per_monitor "the preview in a per-monitor aware host" "$preview"
    else
      check_eq "the preview in an unaware host is as aware as its host" "$host_awareness" "$preview_awareness"
    fi
    check_eq "the preview fills the $host parent's client area" "$(window_field "$PARENT" client)" \
      "$(window_field "$preview" client)"
  else
    fail "/p opens the preview inside the $host parent"
  fi
  stop_process "$PARENT_PID"
  wait_exit "$SAVER_PID" 10 || { fail "the preview ends with its parent"; stop_process "$SAVER_PID"; }
done <<'TABLE'
--per-monitor|per-monitor aware
|unaware
TABLE

# --- the two dialogs -------------------------------------------------------------
# dialog_run WHAT CAPTION CLOSE_ID SHOT CODE: the dialog that the program just
# started shows, per-monitor aware, is photographed, and ends by its button
# with exit code CODE.
dialog_run() {
  local dialog
  dialog=$(wait_window "#32770" "$2" 15)
  if [ -z "$dialog" ]; then
    fail "the $1 opens"
    stop_process "$SAVER_PID"
    return
  fi
  pass "the $1 opens"
  check_per_monitor "the $1" "$dialog"
  # Drawn by now: the caption was found on a visible window; give its
  # controls a moment to paint.
  sleep 0.5
  screenshot "$KIT_TMP/$4"
  note "the $1 at $DPI DPI: $(window_field "$dialog" rect), screenshot $KIT_TMP/$4"
  probe command "$dialog" "$3" >/dev/null
  if wait_exit "$SAVER_PID" 10; then
    check_eq "the $1 ends through its button with exit code $5" "$5" "$EXIT_CODE"
  else
    fail "the $1 ends through its button"
    stop_process "$SAVER_PID"
  fi
}

version=$(cat "$KIT_ROOT/VERSION")
saver_start /c
dialog_run "about dialog" "Korvanthel screen saver v $version" 1013 about-${DPI}dpi.png 0

# The installer's agreement: the same program started as an .exe, declined
# (the configuration dialog that hands over to the installer then ends with
# -1, 255 to the shell).
cp "$KORV_SAVER" "$KIT_TMP/Korvanthel.exe" || fail_now "the program cannot be copied"
SAVER=$KIT_TMP/Korvanthel.exe
saver_start
dialog_run "installer's agreement dialog" "install Korvanthel screen saver" 1005 agreement-${DPI}dpi.png 255

kit_done
