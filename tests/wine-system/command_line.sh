#!/usr/bin/env bash
# Every command form that ends at once, and its exit code, on the real program:
# unrecognised commands, a preview without a usable window, and the password
# command on this NT-family platform all give -1 (255 to the shell) and show
# nothing.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init
set -f  # tails such as /? are passed as typed, never expanded as file names

dead=$(probe dead-handle)
check "a dead window handle for the preview test" test -n "$dead"

# command tail | expected exit code | what it is
while IFS='|' read -r tail expected what; do
  # shellcheck disable=SC2086  # the tail is split into arguments as a starter would
  saver_run $tail
  check_eq "$what ($tail) gives $expected" "$expected" "$?"
done <<TABLE
/x|255|an unknown letter
/?|255|a question mark
1|255|a digit
-x|255|an unknown letter after a dash
/p|255|a preview without a handle
/p 0|255|a preview of window 0
/p abc|255|a preview of a handle that is not a number
/p -5|255|a preview of a negative handle
/p $dead|255|a preview of a window that has been destroyed
/l $dead|255|the l form of a preview of a destroyed window
/a|255|the password command without a handle
/a 123|255|the password command with a handle
/A $dead|255|the password command in capitals
TABLE

# "Shows nothing": the password command and an unknown command make no window,
# dialog or message box. Wine's relay trace lists every call into user32; the
# CharNextA calls of the command-line scan prove the trace is live.
for tail in "/a 123" "/x"; do
  # shellcheck disable=SC2086
  KORV_WINEDEBUG=trace+relay saver_run $tail
  check_eq "$tail still gives 255 under the relay trace" 255 "$?"
  check "$tail: the relay trace records the program's user32 calls" grep -q "Call user32.CharNextA" "$CASE_DIR/saver.err"
  shown=$(grep -E "Call user32\.(CreateWindowEx|DialogBox|MessageBox|ShowWindow)" "$CASE_DIR/saver.err" | head -n 3)
  check_eq "$tail creates no window, dialog or message box" "" "$shown"
done

kit_done
