#!/usr/bin/env bash
# The Windows test kit itself (tests/wine-kit), against a window of
# korv_probe's own: finding a window, its facts and DPI, pixels of a
# screenshot and the colours of a rectangle of it, the preview-style X window
# lookup, the monitors, a process ending on request with its exit code, a
# dead handle, and the Windows path of a Unix path.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

bg_start parent "$KORV_PROBE" parent 210 130 300 200 --until "$KIT_TMP/stop" --color 00FF00
parent_pid=$BG_PID
handle=$(wait_window KorvProbeParent "Korv probe parent" "$PATIENCE")
check "wait_window finds the probe's parent window" test -n "$handle"
check_eq "the handle printed by the parent is the one found" "$handle" "$(head -n 1 "$CASE_DIR/parent.out" | tr -d '\r')"
check_eq "window_field reads the client size" "210 130" "$(window_field "$handle" client)"
check_eq "window_field reads the screen rectangle" "300 200 510 330" "$(window_field "$handle" rect)"
check_eq "the window is visible" 1 "$(window_field "$handle" visible)"
check_eq "probe dpi reads the window's DPI, the session's 96" 96 "$(probe dpi "$handle" | awk '$1 == "dpi" { print $2 }')"
check_eq "probe find locates the window by class and title" "$handle" "$(probe find KorvProbeParent "Korv probe parent")"
if probe find KorvProbeParent "No such title" >/dev/null; then
  fail "probe find reports a title that no window has"
else
  pass "probe find answers 1 for a title that no window has"
fi

screenshot "$KIT_TMP/root.png"
check_eq "a pixel inside the window has its colour" "0 255 0" "$(pixel "$KIT_TMP/root.png" 400 260)"
check_eq "a pixel outside the window does not" "0 0 0" "$(pixel "$KIT_TMP/root.png" 299 199)"
check_eq "colour_count counts exactly the window's pixels as green" $((210 * 130)) "$(colour_count "$KIT_TMP/root.png" green)"
xid=$(x_window_of_size 210 130 | head -n 1)
check "x_window_of_size finds the window's X window" test -n "$xid"
if [ -n "$xid" ]; then
  screenshot "$KIT_TMP/window.png" "$xid"
  check_eq "the X window's own capture is all green" $((210 * 130)) "$(colour_count "$KIT_TMP/window.png" green)"
fi
# region_colours crops where it is told: the window's own rectangle is all
# green, one shifted half off it holds half of that.
check_eq "region_colours counts one rectangle of the screen" $((210 * 130)) \
  "$(count_of green "$(region_colours 300 200 210 130)")"
check_eq "region_colours counts only the part of the window inside the rectangle" $((105 * 130)) \
  "$(count_of green "$(region_colours 195 200 210 130)")"

# One Xvfb screen: one monitor, the primary, which is the virtual screen.
check "read_monitors reads korv_probe monitors" read_monitors
check_eq "read_monitors: one monitor" 1 "${MONITOR_COUNT:-}"
check_eq "read_monitors: the primary monitor is the screen" "0 0 1024 768 primary" "${MONITOR_RECTS:-}"
check_eq "read_monitors: the virtual screen is the screen" "0 0 1024 768" "${VIRTUAL_RECT:-}"
check_eq "root_point: X's coordinates are Windows' on one screen" "10 20" "$(root_point 10 20)"

pointer_to 20 30
check_eq "pointer_to places the pointer" "20 30" "$(pointer_position)"
pointer_by 4 -3
check_eq "pointer_by moves it relatively" "24 27" "$(pointer_position)"

check "the parent is running before it is told to stop" still_running "$parent_pid"
touch "$KIT_TMP/stop"
if wait_exit "$parent_pid" "$PATIENCE"; then
  check_eq "the parent ends with exit code 0 once the stop file exists" 0 "$EXIT_CODE"
else
  fail "the parent ends once the stop file exists"
fi
check "its window is gone" wait_gone "$handle" "$PATIENCE"
check_eq "the parent reported its destruction" destroyed "$(tail -n 1 "$CASE_DIR/parent.out" | tr -d '\r')"

dead=$(probe dead-handle)
check "dead-handle prints a handle" test -n "$dead"
check_eq "a dead handle names no window" 0 "$(window_field "$dead" exists)"
if probe dpi "$dead" >/dev/null; then fail "probe dpi reports on a dead handle"; else pass "probe dpi answers 1 for a dead handle"; fi

# A process that never ends: wait_exit must give up after its limit (a short
# one here: the process is known to go on) and stop_process end it.
parent_start lingering 50 50 --ms 60000
lingering=$PARENT_PID
check "parent_start reads the handle the probe prints" test "$(window_field "$PARENT" client)" = "50 50"
if wait_exit "$lingering" 0.3; then fail "wait_exit reports an end that did not happen"; else pass "wait_exit times out on a running process"; fi
stop_process "$lingering"
if still_running "$lingering"; then fail "stop_process ends a running process"; else pass "stop_process ends a running process"; fi

# A parent asked to come to the front, the foreground as the probe reports it,
# and a message name that the probe must refuse rather than register.
parent_start front 60 40 400 400 --front --ms 60000
check "a --front parent stays the foreground window" wait_front_steady "$PARENT"
check_eq "probe foreground prints its handle" "$PARENT" "$(probe foreground)"
probe post "$PARENT" WM_CLOSEE 0 0 2>/dev/null
check_eq "a misspelt WM_ name is a usage error" 2 "$?"
if probe children "$PARENT" "$SAVER_CLASS" Preview >/dev/null; then
  fail "probe children reports a preview in a window that has none"
else
  pass "probe children answers 1 when no child has the class and title"
fi
stop_process "$PARENT_PID"

# A parent may be placed left of the screen: a negative X is a position, not an option.
parent_start left_of_screen 60 40 -20 10 --ms 60000
check_eq "a parent at a negative X is placed there" "-20 10 40 50" "$(window_field "$PARENT" rect)"
stop_process "$PARENT_PID"

# A parent that asked for per-monitor DPI awareness has it.
parent_start aware 60 40 --per-monitor --ms 60000
check_eq "a --per-monitor parent is per-monitor DPI aware" 2 "$(probe dpi "$PARENT" | awk '$1 == "awareness" { print $2 }')"
stop_process "$PARENT_PID"

check_eq "winpath gives the path on Wine's drive Z:" 'Z:\tmp\a b\c.txt' "$(winpath '/tmp/a b/c.txt')"

kit_done
