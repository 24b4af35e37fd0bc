#!/usr/bin/env bash
# The real xscreensaver daemon runs the program (entry "GL: PROGRAM --root"):
#   daemon.sh show     -activate puts the scene on the screen; -deactivate
#                      ends the program within 1 s, and the daemon's log
#                      shows no crash and no abnormal exit
#   daemon.sh cycles   20 activate and deactivate cycles leave no process
#                      of it behind
source "$(dirname "$0")/lib.sh"
log=$FIXTURE/daemon.log
program=$(cat "$FIXTURE/program")  # the daemon's copy of $KORVANTHEL

# The pids of the program started by the daemon (user 65534).
saver_pids() {
  local pid
  for pid in $(pgrep -u 65534 -f "^$program --root" || true); do
    alive "$pid" && echo "$pid"
  done
  return 0
}
one_saver() { [ "$(saver_pids | wc -l)" -eq 1 ]; }
no_saver() { [ -z "$(saver_pids)" ]; }


# On failure, the daemon's log since the test began tells what it did.
trap 'code=$?; [ $code -eq 0 ] || { echo "daemon log:"; sed -n "$((log_start + 1)),\$p" "$log" | tail -40; }; cleanup' EXIT
log_start=$(wc -l <"$log")
xscreensaver-command -deactivate >/dev/null 2>&1 || true
wait_until 3 no_saver || fail "a saver is running before the test"

case ${1:-show} in
show)
  xscreensaver-command -activate
  wait_until 10 one_saver || fail "the daemon did not start the program; log: $(tail -20 "$log")"
  pid=$(saver_pids)
  root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  scene_seen "$root" || fail "the scene is not on the screen"
  import -window root "$FIXTURE/daemon-screen.png" || true
  echo "screenshot: $FIXTURE/daemon-screen.png"
  xscreensaver-command -deactivate
  t0=$(date +%s%N)
  wait_until 1 sh -c "! [ -e /proc/$pid ] || grep -q '^[0-9]* (.*) Z' /proc/$pid/stat" ||
    fail "the program is still running 1 s after -deactivate"
  t1=$(date +%s%N)
  echo "program gone $(((t1 - t0) / 1000000)) ms after -deactivate"
  ;;
cycles)
  declare -A seen=()
  resent=0
  for k in $(seq 20); do
    xscreensaver-command -activate >/dev/null
    wait_until 10 one_saver || fail "cycle $k: the daemon did not start the program"
    pid=$(saver_pids)
    [ -z "${seen[$pid]:-}" ] || fail "cycle $k: pid $pid again"
    seen[$pid]=1
    sleep 0.3
    before=$(grep -c 'ClientMessage DEACTIVATE' "$log" || true)
    reply=$(xscreensaver-command -deactivate 2>&1) || fail "cycle $k: -deactivate failed: $reply"
    # A daemon still starting its graphics process may not take the
    # message: then its log shows no new DEACTIVATE and it is sent again.
    if ! wait_until 1 sh -c "[ \$(grep -c 'ClientMessage DEACTIVATE' '$log') -gt $before ]"; then
      resent=$((resent + 1))
      echo "cycle $k: the daemon logged no DEACTIVATE within 1 s (reply: $reply); sending it again"
      xscreensaver-command -deactivate >/dev/null 2>&1 || true
    fi
    wait_until 2 no_saver || fail "cycle $k: the program still runs after -deactivate (reply: $reply)"
  done
  sleep 1
  no_saver || fail "left behind: $(saver_pids)"
  echo "20 cycles, 20 programs started and ended ($resent deactivations sent twice)"
  ;;
esac

sed -n "$((log_start + 1)),\$p" "$log" | grep -E "korvanthel|killing pid" || true
bad=$(sed -n "$((log_start + 1)),\$p" "$log" | grep -Ei 'abnormal|crash|core dumped|dumped core|exited unexpectedly|segmentation' |
  grep -v 'xscreensaver-systemd' || true)
[ -z "$bad" ] || fail "the daemon's log shows: $bad"
echo "daemon: normal end in the log"
