#!/usr/bin/env bash
# A second full-screen start while one runs: it finds the running window by
# class and title, brings it to the front and returns 0 at once, without a
# window of its own; the first run goes on.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

if ! full_screen_start; then
  fail "the first /s opens its window"
  kit_done
fi
first=$SAVER_PID
window=$SAVER_WINDOW
pass "the first /s opens its window"

# The relay trace of the second run shows what it did with the first window.
for form in /s -S; do
  KORV_WINEDEBUG=trace+relay bg_start second "$KORV_SAVER" "$form"
  second=$BG_PID
  if wait_exit "$second" "$PATIENCE"; then
    check_eq "a second $form returns 0" 0 "$EXIT_CODE"
  else
    fail "a second $form returns at once"
    stop_process "$second"
  fi
  hex=$(printf '%x' "$window")
  check "the second $form found the first window" \
    grep -Eq "Ret  user32\.FindWindowA\(\) retval=0*$hex " "$CASE_DIR/second.err"
  check "the second $form brought the first window to the front" \
    grep -Eq "Call user32\.SetForegroundWindow\(0*$hex\)" "$CASE_DIR/second.err"
  made=$(grep -E "Call user32\.(RegisterClass|CreateWindowEx)" "$CASE_DIR/second.err" | head -n 2)
  check_eq "the second $form registered no class and made no window" "" "$made"
  count=$(probe toplevel "$SAVER_CLASS" "Screen Saver" | wc -l)
  check_eq "one saver window exists after the second $form" 1 "$count"
  check "the first run goes on after the second $form" still_running "$first"
  check_eq "the first window is still the foreground window" 1 "$(window_field "$window" foreground)"
done

key space
if wait_exit "$first" "$PATIENCE"; then
  check_eq "the first run still ends on a key with exit code 0" 0 "$EXIT_CODE"
else
  fail "the first run still ends on a key"
fi

# Without a running saver, the same start opens a window of its own.
saver_start /s
again=$(wait_window "$SAVER_CLASS" "Screen Saver" "$PATIENCE")
check "once the first has ended, /s opens a new window" test -n "$again"
key space
wait_exit "$SAVER_PID" "$PATIENCE" || stop_process "$SAVER_PID"

kit_done
