#!/usr/bin/env bash
# SIGTERM (the daemon's and the preview's stop), SIGINT and SIGHUP end the
# program by that same signal, without a core dump, after it releases its
# GL context; also in the middle of frames at -delay 0.
source "$(dirname "$0")/lib.sh"
kit_init

for sig in TERM:15 INT:2 HUP:1; do
  name=${sig%:*} number=${sig#*:}
  for delay in 10000 0; do
    start "$name-$delay" -geometry 320x240 -delay "$delay"
    wait_until "$PATIENCE" own_window >/dev/null || fail_now "no window"
    drawn_in "$(own_window)" 0 0 320 240 || fail_now "nothing drawn"
    kill "-$name" "$(pid_of "$name-$delay")"
    expect_end "$name-$delay" "signal $number"
    wait_until "$PATIENCE" no_own_window || fail_now "window left after SIG$name"
  done
done
pass "signals: TERM, INT and HUP end it by the same signal"
kit_done
