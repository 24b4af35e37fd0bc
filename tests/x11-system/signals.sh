#!/usr/bin/env bash
# SIGTERM (the daemon's and the preview's stop), SIGINT and SIGHUP end the
# program by that same signal, without a core dump, after it releases its
# GL context; also in the middle of frames at -delay 0.
source "$(dirname "$0")/lib.sh"

for sig in TERM:15 INT:2 HUP:1; do
  name=${sig%:*} number=${sig#*:}
  for delay in 10000 0; do
    start "$name-$delay" -geometry 320x240 -delay "$delay"
    wait_until 5 own_window >/dev/null || fail "no window"
    drawn_in "$(own_window)" 0 0 320 240 || fail "nothing drawn"
    kill "-$name" "$(pid_of "$name-$delay")"
    expect_end "$name-$delay" 2 "signal $number"
    wait_until 2 sh -c "! '$X11_TOOL' find Korvanthel >/dev/null" || fail "window left after SIG$name"
  done
done
echo "signals: TERM, INT and HUP end it by the same signal"
