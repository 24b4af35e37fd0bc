#!/usr/bin/env bash
# The shipped program at 192 DPI, on a prefix where Wine scales each program
# as its manifest asks (scripts/wine-prefix): every window it shows (full
# screen, the preview in a per-monitor aware host, the about dialog, the
# installer's agreement) is per-monitor DPI aware, so that Windows never
# stretches it; the full-screen window and the scene drawn in it cover the
# whole screen; the preview fills per-monitor aware, system aware and
# unaware hosts; and both dialogs are left as screenshots in the scratch
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

# One screenshot for the spread of the scene: widens the box around every lit
# (not black) pixel seen so far (LEFT RIGHT TOP BOTTOM) and sets CENTRED once a
# frame shows the red cone in the middle of the screen; 0 once both hold.
spread_look() {
  local shot=$KIT_TMP/spread.png where l t r b red red_x red_y
  SHOTS=$((SHOTS + 1))
  screenshot "$shot" && where=$(scene_colours "$shot" --where) || return 1
  read -r _ _ l t r b _ _ <<<"$(grep '^lit ' <<<"$where")"
  if [ "$l" -ge 0 ]; then
    [ "$l" -lt "$LEFT" ] && LEFT=$l
    [ "$r" -gt "$RIGHT" ] && RIGHT=$r
    [ "$t" -lt "$TOP" ] && TOP=$t
    [ "$b" -gt "$BOTTOM" ] && BOTTOM=$b
  fi
  read -r _ red _ _ _ _ red_x red_y <<<"$(grep '^red ' <<<"$where")"
  if [ "$red" -gt 500 ] && [ $((red_x - 512)) -le 80 ] && [ $((512 - red_x)) -le 80 ] &&
    [ $((red_y - 384)) -le 80 ] && [ $((384 - red_y)) -le 80 ]; then
    CENTRED=1
  fi
  [ "$CENTRED" = 1 ] && [ "$LEFT" -le 8 ] && [ "$RIGHT" -ge 1015 ] && [ "$TOP" -le 8 ] && [ "$BOTTOM" -ge 759 ]
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
  LEFT=1024 RIGHT=-1 TOP=768 BOTTOM=-1 CENTRED=0 SHOTS=0
  wait_until "$PATIENCE" spread_look
  note "looked at $SHOTS screenshots; lit pixels from ($LEFT, $TOP) to ($RIGHT, $BOTTOM)"
  check_eq "a frame shows the red cone in the middle of the screen" 1 "$CENTRED"
  check "the scene reaches the left and right edges" test "$LEFT" -le 8 -a "$RIGHT" -ge 1015
  check "the scene reaches the top and bottom edges" test "$TOP" -le 8 -a "$BOTTOM" -ge 759
  key space
  wait_exit "$SAVER_PID" "$PATIENCE" || stop_process "$SAVER_PID"
else
  fail "/s opens the full-screen window at $DPI DPI"
  stop_process "$SAVER_PID"
fi

# --- preview -------------------------------------------------------------------
# A child window takes the DPI awareness of the window it lives in, whatever
# its program's manifest says (on Windows as under Wine): in a per-monitor
# aware host, as the system's screen-saver settings are, the preview is per
# monitor; in a system aware or an unaware one (korv_probe has no manifest)
# it is as aware as its host. In each it fills the host's client area: as
# the probe reads both windows, and on the X server, where no program's DPI
# conversion can change what is shown: the offscreen X window that Wine
# draws the preview's OpenGL into has the size of the host's X window (a
# frameless window, all client area).

# 0 once no offscreen OpenGL window of an earlier preview is left.
no_gl_child() {
  [ -z "$(x_gl_child_sizes)" ]
}
# 0 once the preview's offscreen OpenGL window exists.
gl_child() {
  [ -n "$(x_gl_child_sizes)" ]
}

# host option | what the host is
while IFS='|' read -r option host; do
  wait_until "$PATIENCE" no_gl_child || note "an earlier preview's OpenGL window is still there"
  # shellcheck disable=SC2086
  if ! parent_start "parent$option" 152 112 200 150 $option; then
    fail "the $host test parent opens"
    continue
  fi
  # The host first: a frameless window that asks for a client area measures
  # that area itself, on Windows whatever its awareness. Where the platform
  # breaks that for a plain window of its own (32-bit Wine 8 at 192 DPI gives
  # an unaware window half the size it asked for, and a child in it a
  # quarter), what a program shows in that host cannot be judged against it.
  wait_until "$PATIENCE" grep -q '^client' "$CASE_DIR/parent$option.out"
  host_own=$(grep '^client' "$CASE_DIR/parent$option.out" | tr -d '\r')
  if [ "$host_own" != "client 152 112" ]; then
    note "not judged: the $host host asked for a 152 x 112 client area and measures '$host_own' itself;" \
      "this Wine scales a plain $host window wrongly at $DPI DPI"
    stop_process "$PARENT_PID"
    continue
  fi
  saver_start /p "$PARENT"
  preview=$(wait_preview "$PARENT" "$PATIENCE")
  if [ -n "$preview" ]; then
    pass "/p opens the preview inside the $host parent"
    host_awareness=$(probe dpi "$PARENT" | awk '$1 == "awareness" { print $2 }')
    preview_awareness=$(probe dpi "$preview" | awk '$1 == "awareness" { print $2 }')
    if [ "$option" = --per-monitor ]; then
      check_per_monitor "the preview in a per-monitor aware host" "$preview"
    else
      check_eq "the preview in the $host host is as aware as its host" "$host_awareness" "$preview_awareness"
    fi
    check_eq "the preview fills the $host parent's client area" "$(window_field "$PARENT" client)" \
      "$(window_field "$preview" client)"
    if wait_until "$PATIENCE" gl_child; then
      check_eq "on the X server, the preview's OpenGL window has the $host parent's size" \
        "$(x_window_sizes '"Korv probe parent"')" "$(x_gl_child_sizes)"
    else
      fail "the preview in the $host parent draws into an OpenGL window"
    fi
  else
    fail "/p opens the preview inside the $host parent"
  fi
  stop_process "$PARENT_PID"
  wait_exit "$SAVER_PID" "$PATIENCE" || { fail "the preview ends with its parent"; stop_process "$SAVER_PID"; }
done <<'TABLE'
--per-monitor|per-monitor aware
--system|system aware
|unaware
TABLE

# --- the two dialogs -------------------------------------------------------------
# dialog_run WHAT CAPTION CLOSE_ID SHOT CODE: the dialog that the program just
# started shows, per-monitor aware, is photographed, and ends by its button
# with exit code CODE.
dialog_run() {
  local dialog
  dialog=$(wait_window "#32770" "$2" "$PATIENCE")
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
  if wait_exit "$SAVER_PID" "$PATIENCE"; then
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
