#!/usr/bin/env bash
# A preview whose parent window's process ends without destroying the parent
# (the settings dialog's process killed or crashed): Wine removes the windows
# of the dead process, the preview window with them, without a WM_DESTROY
# reaching the preview's own thread. The preview process must still end, not
# stay behind waiting for messages that never come.
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

parent_start parent 152 112 200 150
parent_pid=$PARENT_PID
parent=$PARENT
if [ -z "$parent" ]; then
  fail "the test parent window opens"
  kit_done
fi
saver_start /p "$parent"
preview=$(wait_preview "$parent" "$PATIENCE")
check "the preview opens inside the parent" test -n "$preview"

kill -KILL "$parent_pid"
wait "$parent_pid" 2>/dev/null
check "the parent window went with its process" wait_gone "$parent" "$PATIENCE"
check "the preview window went with it" wait_gone "$preview" "$PATIENCE"
if wait_exit "$SAVER_PID" "$PATIENCE"; then
  pass "the preview process ends once its window has gone"
  check_eq "it ends with exit code 0" 0 "$EXIT_CODE"
else
  fail "the preview process ends once its window has gone" "still running $PATIENCE s later"
fi

kit_done
