#!/usr/bin/env bash
# The real xscreensaver daemon runs the program (entry "GL: PROGRAM --root"):
#   daemon.sh show     -activate puts the scene on the screen; -deactivate
#                      ends the program, and the daemon's log shows no
#                      crash and no abnormal exit (how long the end takes
#                      is measured by bench/x11/latency)
#   daemon.sh cycles   20 activate and deactivate cycles leave no process
#                      of it behind
#   daemon.sh heads    on a server with two monitors (the fixture's
#                      scripts/two-heads): -activate runs one program per
#                      monitor, each in a window that covers its monitor,
#                      and both monitors show the whole scene; -deactivate
#                      has the daemon end each with SIGTERM (its log names
#                      the pids it kills), and none is left
source "$(dirname "$0")/lib.sh"
kit_init
log=$FIXTURE/daemon.log
program=$(cat "$FIXTURE/program")  # the daemon's copy of $KORVANTHEL

# The pids of the program started by the daemon (user 65534).
saver_pids() {
  local pid
  for pid in $(pgrep -u 65534 -f "^$program --root" || true); do
    if still_running "$pid"; then echo "$pid"; fi
  done
  return 0
}
# 0 when exactly one of them runs (N of them).
one_saver() { [ "$(saver_pids | wc -l)" -eq "${1:-1}" ]; }
# 0 when none runs.
no_saver() { [ -z "$(saver_pids)" ]; }
# The daemon's log since the test began.
log_since_start() { sed -n "$((log_start + 1)),\$p" "$log"; }
# The end of that log, which tells what the daemon did.
show_daemon_log() { note "the daemon's log:"; note "$(log_since_start | tail -40)"; }
# 0 once the daemon has logged more DEACTIVATE messages than BEFORE.
deactivate_logged() { [ "$(grep -c 'ClientMessage DEACTIVATE' "$log" || true)" -gt "$1" ]; }

on_failure show_daemon_log
log_start=$(wc -l <"$log")
xscreensaver-command -deactivate >/dev/null 2>&1 || true
wait_until "$PATIENCE" no_saver || fail_now "a saver is running before the test"

case ${1:-show} in
show)
  xscreensaver-command -activate
  wait_until "$PATIENCE" one_saver || fail_now "the daemon did not start the program; log: $(tail -20 "$log")"
  pid=$(saver_pids)
  scene_seen "$(root_window)" || fail_now "the scene is not on the screen"
  import -window root "$KIT_TMP/daemon-screen.png" || true
  note "screenshot: $KIT_TMP/daemon-screen.png"
  xscreensaver-command -deactivate
  wait_until "$PATIENCE" has_ended "$pid" || fail_now "the program is still running $PATIENCE s after -deactivate"
  ;;
cycles)
  declare -A seen=()
  resent=0
  for k in $(seq 20); do
    xscreensaver-command -activate >/dev/null
    wait_until "$PATIENCE" one_saver || fail_now "cycle $k: the daemon did not start the program"
    pid=$(saver_pids)
    [ -z "${seen[$pid]:-}" ] || fail_now "cycle $k: pid $pid again"
    seen[$pid]=1
    sleep 0.3
    before=$(grep -c 'ClientMessage DEACTIVATE' "$log" || true)
    reply=$(xscreensaver-command -deactivate 2>&1) || fail_now "cycle $k: -deactivate failed: $reply"
    # A daemon still starting its graphics process may not take the
    # message: then its log shows no new DEACTIVATE and it is sent again
    # (5 s is not a limit on the daemon, only when to ask once more).
    if ! wait_until 5 deactivate_logged "$before"; then
      resent=$((resent + 1))
      note "cycle $k: the daemon logged no DEACTIVATE within 5 s (reply: $reply); sending it again"
      xscreensaver-command -deactivate >/dev/null 2>&1 || true
    fi
    wait_until "$PATIENCE" no_saver || fail_now "cycle $k: the program still runs after -deactivate (reply: $reply)"
  done
  sleep 1
  no_saver || fail_now "left behind: $(saver_pids)"
  pass "20 cycles, 20 programs started and ended ($resent deactivations sent twice)"
  ;;
heads)
  # The monitors as the server reports them (Xinerama), WxH+X+Y each.
  heads=$(xdpyinfo -ext XINERAMA | sed -n 's/^ *head #[0-9]*: \([0-9]*x[0-9]*\) @ \([0-9]*\),\([0-9]*\)$/\1+\2+\3/p' |
    sort)
  [ "$(wc -l <<<"$heads")" -eq 2 ] || fail_now "the server has not two monitors: $heads"
  xscreensaver-command -activate
  wait_until "$PATIENCE" one_saver 2 || fail_now "the daemon did not start one program per monitor: $(saver_pids)"
  pids=$(saver_pids)
  # Where each program draws: the window the daemon gave it, in its environment.
  windows=$(for pid in $pids; do
    window=$(tr '\0' '\n' <"/proc/$pid/environ" | sed -n 's/^XSCREENSAVER_WINDOW=//p')
    xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
      /Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
  done | sort)
  check_eq "one program per monitor, each in a window that covers its monitor" "$heads" "$windows"
  for head in $heads; do
    IFS='x+' read -r w h x y <<<"$head"
    if scene_seen "$(root_window)" "$x" "$y" "$w" "$h"; then
      pass "the scene on the monitor $head"
    else
      fail "the scene is not on the monitor $head"
    fi
  done
  import -window root "$KIT_TMP/daemon-screen.png" || true
  note "screenshot: $KIT_TMP/daemon-screen.png"
  xscreensaver-command -deactivate
  for pid in $pids; do
    wait_until "$PATIENCE" has_ended "$pid" || fail_now "pid $pid is still running $PATIENCE s after -deactivate"
    if log_since_start | grep -q "killing pid $pid ("; then
      pass "the daemon ended pid $pid with SIGTERM"
    else
      fail "the daemon's log does not say that it ended pid $pid"
    fi
  done
  no_saver || fail_now "left behind: $(saver_pids)"
  ;;
esac

note "$(log_since_start | grep -E "korvanthel|killing pid" || true)"
bad=$(log_since_start | grep -Ei 'abnormal|crash|core dumped|dumped core|exited unexpectedly|segmentation' |
  grep -v 'xscreensaver-systemd' || true)
[ -z "$bad" ] || fail_now "the daemon's log shows: $bad"
pass "daemon: normal end in the log"
kit_done
