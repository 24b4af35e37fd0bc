#!/usr/bin/env bash
# The password lock on the Windows 9x family, proven on the test build of the
# real program under Wine + Xvfb. One case per run: proofs.sh CASE.
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"

# ---------------------------------------------------------------------------
# A refusing verifier holds against a barrage of real input; then it accepts.

case_barrage() {
  new_case barrage 98
  add_component verifier
  use_password dword 1
  # The refusing verifier runs a message loop for 60 ms before it answers, so
  # that input also arrives while checks are in progress.
  steer answer=0 mode=1 hold=60
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.5
  running_lines | grep -q '^set_saver_running 1 ' || fail "the system was not told that a protected saver runs"

  local keys=(a b c d e f g h i j k l m n o p q r s t u v w x y z space Return Escape Tab BackSpace F1 F4 Left Right Up Down 1 2 3)
  local round moves inputs=0
  for round in $(seq 10); do
    xdo key --delay 4 "${keys[@]}"; inputs=$((inputs + ${#keys[@]}))
    xdo click --repeat 7 --delay 5 1 click --repeat 7 --delay 5 3 click --repeat 7 --delay 5 2
    inputs=$((inputs + 21))
    moves=()
    for _ in $(seq 15); do moves+=(mousemove_relative 12 0 mousemove_relative -- -12 0); done
    xdo "${moves[@]}"; inputs=$((inputs + 30))
    # WM_CLOSE, WM_POWERBROADCAST, WM_POWER suspend request, activation loss.
    probe post-mix "$w" 4 15 >/dev/null; inputs=$((inputs + 16))
    if [ $((round % 3)) = 0 ]; then
      # Real activation loss: a window of another program comes to the front,
      # then hands the foreground back; the next keys wait for the focus.
      probe steal-focus "$w" 150 >/dev/null; inputs=$((inputs + 1))
      wait_focus "Screen Saver"
    fi
    saver_alive || fail "the saver ended during the barrage (round $round)"
  done
  echo "inputs sent: $inputs"
  [ "$inputs" -ge 1000 ] || fail "only $inputs inputs sent"
  [ "$(probe find "Screen Saver")" = "$w" ] || fail "the saver window is gone after the barrage"
  frames_change || fail "the saver no longer draws after the barrage"

  local checks; checks=$(verifier_log_sound) || fail "the verifier's calls break the rules"
  echo "verifier asked $checks times"
  [ "$checks" -ge 5 ] || fail "the verifier was asked only $checks times"
  [ "$(log_lines 'answer=0 ')" = "$checks" ] || fail "not every check was refused"

  # Now the verifier accepts: the next input closes the saver.
  steer answer=1
  sleep 0.4
  xdo key a
  wait_saver_exit 10; local rc=$SAVER_RC
  [ "$rc" = 0 ] || fail "after acceptance the saver did not end with 0 (got $rc)"
  [ "$(probe find "Screen Saver")" = 0 ] || fail "the saver window outlived the process"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | grep ' verify exit ' | tail -n 1 | grep -q 'answer=1 ' \
    || fail "the last check was not the accepting one"
  verifier_log_sound >/dev/null || fail "the verifier's calls break the rules"
  [ "$(running_lines | tail -n 1 | cut -d' ' -f1-2)" = "set_saver_running 0" ] \
    || fail "the system was not told at the end that no saver runs"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | tail -n 1 | grep -q '^password detach how=free' \
    || fail "the verifier was not unloaded at the end of the run"
}

# ---------------------------------------------------------------------------
# A verifier that runs a message loop while input keeps arriving.
# MODE 1 pumps messages itself, MODE 2 shows a modal dialog owned by the saver.

check_while_deciding() {  # NAME MODE
  new_case "$1" 98
  add_component verifier
  use_password dword 1
  # The check lasts until the test releases it (at most a minute).
  steer answer=0 mode="$2" hold=60000
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.5
  xdo key a                       # starts the check
  wait_log 'verify enter' 1 15 || fail "the first key did not start a check"
  sleep 0.3
  # Real input and posted input of every closing kind, while the check runs.
  xdo key --delay 10 b c d e f g h space Return Escape
  xdo click 1 click 3 mousemove_relative 30 0 mousemove_relative -- -30 20
  probe post "$w" WM_KEYDOWN 0x41 0 5 10 >/dev/null
  probe post "$w" WM_LBUTTONDOWN 1 0 5 10 >/dev/null
  probe post "$w" WM_POWERBROADCAST 4 0 3 10 >/dev/null
  probe post "$w" WM_POWER 3 0 3 10 >/dev/null
  probe post "$w" WM_ACTIVATEAPP 0 0 3 10 >/dev/null
  frames_change || fail "no frames were drawn while the verifier decided"
  probe post "$w" WM_CLOSE 0 0 4 10 >/dev/null   # closes queued meanwhile are refused unasked
  sleep 0.5
  [ "$(log_lines 'verify exit')" = 0 ] || fail "the check ended before it was released"
  steer answer=0 mode="$2" hold=60000 release=1
  wait_log 'verify exit' 1 15 || fail "the check never ended"
  sleep 0.5
  verifier_log_sound >/dev/null || fail "a second check started while the first ran"
  [ "$(log_lines 'verify enter')" = 1 ] || fail "the input that arrived meanwhile started another check"
  local exit_line; exit_line=$(tr -d '\r' < "$CASE_DIR/pwtest.log" | grep ' verify exit ')
  echo "$exit_line"
  # Of the closes taken from the queue during the check, only the test's four
  # may be there: a close posted by input meanwhile would make it more.
  echo "$exit_line" | grep -q ' closes=4$' || fail "closes were posted by input during the check"
  local timers; timers=$(echo "$exit_line" | sed 's/.* timers=\([0-9]*\).*/\1/')
  [ "$timers" -ge 20 ] || fail "only $timers frame ticks reached the saver during the check"
  saver_alive || fail "the saver ended although the verifier refused"
  frames_change || fail "the saver no longer draws after the check"

  steer answer=1
  sleep 0.3
  xdo key a
  wait_saver_exit 15; [ "$SAVER_RC" = 0 ] || fail "after acceptance the saver did not end with 0"
  [ "$(log_lines 'verify enter')" = 2 ] || fail "the accepting close was not one check"
}
case_pumping_verifier() { check_while_deciding pumping_verifier 1; }
case_dialog_verifier() { check_while_deciding dialog_verifier 2; }

# A verifier answer other than 0 or 1 lets the saver close, like 1.
case_accept_other_value() {
  new_case accept_other_value 98
  add_component verifier
  use_password dword 1
  steer answer=7
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo key a
  wait_saver_exit 10
  [ "$SAVER_RC" = 0 ] || fail "an answer of 7 did not close the saver with 0 (got $SAVER_RC)"
  [ "$(log_lines 'verify exit n=1 answer=7 ')" = 1 ] && [ "$(log_lines 'verify enter')" = 1 ] \
    || fail "the close was not decided by exactly one check"
  [ "$(running_lines | cut -d' ' -f1-2 | tr '\n' ,)" = "set_saver_running 1,set_saver_running 0," ] \
    || fail "the system flag was not switched on and then off: $(running_lines)"
}

# After a refused check, mouse movement is measured from where the pointer was
# at the refusal. The pointer first creeps 3 pixels (no close), a key starts a
# refused check, then 3 more pixels start nothing (6 from the start would);
# another 3 do.
case_refusal_resets_reference() {
  new_case refusal_resets_reference 98
  add_component verifier
  use_password dword 1
  steer answer=0
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo mousemove_relative 0 3
  sleep 0.5
  [ "$(log_lines 'verify enter')" = 0 ] || fail "a 3-pixel move started a check"
  xdo key a
  wait_log 'verify exit' 1 15 || fail "a key did not start a check"
  sleep 0.5
  xdo mousemove_relative 0 3
  sleep 0.6
  [ "$(log_lines 'verify enter')" = 1 ] || fail "3 pixels after the refusal started a check"
  xdo mousemove_relative 0 3
  wait_log 'verify exit' 2 15 || fail "6 pixels from the refusal point started no check"
  saver_alive || fail "the saver closed although the verifier refused"
}

# A second full-screen start while a protected saver runs loads nothing and
# leaves the system flag alone; it only brings the first to the front.
case_second_instance() {
  new_case second_instance 98
  add_component verifier
  use_password dword 1
  steer answer=0
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  local first=$SAVER_PID
  local rc; rc=$(run_saver /s)
  [ "$rc" = 0 ] || fail "the second start ended with $rc"
  [ "$(log_lines 'password attach')" = 1 ] || fail "the second start loaded PASSWORD.CPL"
  [ "$(running_lines | grep -c .)" = 1 ] || fail "the second start touched the system flag: $(running_lines)"
  [ "$(log_lines 'verify enter')" = 0 ] || fail "the second start asked the verifier"
  kill -0 "$first" 2>/dev/null || fail "the first saver ended"
  steer answer=1; sleep 0.3; xdo key a
  wait_saver_exit 10
  [ "$SAVER_RC" = 0 ] || fail "the first saver did not close after acceptance"
}

# WM_APP is the saver's own question to the verifier. Posted by another
# program, outside a check or while the verifier's message loop runs, it must
# not open the password dialog (a second one, in the latter case).
case_stray_wm_app() {
  new_case stray_wm_app 98
  add_component verifier
  use_password dword 1
  steer answer=0 mode=1 hold=60000
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  probe post "$w" WM_APP 0 0 >/dev/null
  sleep 0.5
  [ "$(log_lines 'verify enter')" = 0 ] || fail "a WM_APP from another program ran the verifier"
  xdo key a
  wait_log 'verify enter' 1 15 || fail "a key did not start a check"
  probe post "$w" WM_APP 0 0 3 10 >/dev/null
  sleep 0.3
  steer answer=0 mode=1 hold=60000 release=1
  wait_log 'verify exit' 1 15 || fail "the check never ended"
  verifier_log_sound >/dev/null || fail "a WM_APP during the check ran the verifier again"
  [ "$(log_lines 'verify enter')" = 1 ] || fail "a WM_APP during the check ran the verifier again"
  saver_alive || fail "the saver closed although the verifier refused"
  steer answer=1
  sleep 0.3
  xdo key a
  wait_saver_exit 10
  [ "$SAVER_RC" = 0 ] || fail "after acceptance the saver did not end with 0 (got $SAVER_RC)"
}

# ---------------------------------------------------------------------------
# No password in effect: the first close closes; nothing loaded, the system
# flag untouched. The refusing verifier lies beside the program wherever it
# could be picked up by mistake.

first_close_closes() {  # NAME, then how the verifier must appear in the log: none|freed
  local expect=$2
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  case $expect in
    none)  [ "$(log_lines attach)" = 0 ] || fail "PASSWORD.CPL was loaded" ;;
    freed) [ "$(log_lines 'password attach')" = 1 ] && [ "$(log_lines 'password detach how=free')" = 1 ] \
             || fail "PASSWORD.CPL without the check was not freed at once" ;;
  esac
  xdo key a
  wait_saver_exit 10; local rc=$SAVER_RC
  [ "$rc" = 0 ] || fail "the first close did not end the saver with 0 (got $rc)"
  [ "$(log_lines verify)" = 0 ] || fail "a verifier was asked"
  [ -z "$(running_lines)" ] || fail "the system flag was touched: $(running_lines)"
  case $expect in
    none)  [ "$(log_lines attach)" = 0 ] || fail "PASSWORD.CPL was loaded" ;;
    freed) [ "$(log_lines 'password attach')" = 1 ] || fail "PASSWORD.CPL was loaded again" ;;
  esac
}

case_off_zero()      { new_case off_zero 98;      add_component verifier; use_password dword 0;         first_close_closes off_zero none; }
case_off_missing()   { new_case off_missing 98;   add_component verifier; use_password missing;         first_close_closes off_missing none; }
case_off_long()      { new_case off_long 98;      add_component verifier; use_password binary 0100000000; first_close_closes off_long none; }
case_off_short()     { new_case off_short 98;     add_component verifier; use_password binary 00;       first_close_closes off_short none; }
case_off_short2()    { new_case off_short2 98;    add_component verifier; use_password binary 0000;     first_close_closes off_short2 none; }
case_cpl_missing()   { new_case cpl_missing 98;   use_password dword 1;                                 first_close_closes cpl_missing none; }
case_cpl_noexport()  { new_case cpl_noexport 98;  add_component noexport; use_password dword 1;         first_close_closes cpl_noexport freed; }
case_nt_password_on() { new_case nt_password_on nt; add_component verifier; use_password dword 1;       first_close_closes nt_password_on none; }

# A one-byte value 01 widens to 1: the password is on.
case_on_short() {
  new_case on_short 98
  add_component verifier
  use_password binary 01
  steer answer=0
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo key a
  wait_log 'verify exit' 1 15 || fail "a one-byte value 01 did not turn the password on"
  sleep 0.3
  saver_alive || fail "the saver closed although the verifier refused"
  steer answer=1
  sleep 0.3
  xdo key a
  wait_saver_exit 10; [ "$SAVER_RC" = 0 ] || fail "after acceptance the saver did not end with 0"
}

# ---------------------------------------------------------------------------
# "QueryCancelAutoPlay".

autoplay_fullscreen() {  # NAME FAMILY PASSWORD ANSWER EXPECT_ANSWER EXPECT_CLOSED EXPECT_CHECKS
  new_case "$1" "$2"
  add_component verifier
  use_password dword "$3"
  steer answer="$4"
  park_pointer
  start_full_screen
  local w=$SAVER_WINDOW
  sleep 0.3
  local answer; answer=$(probe autoplay "$w")
  [ "$answer" = "$5" ] || fail "QueryCancelAutoPlay answered '$answer', expected $5"
  if [ "$6" = yes ]; then wait_saver_exit 10; else sleep 0.5; wait_saver_exit 2; fi
  local rc=$SAVER_RC
  if [ "$6" = yes ]; then
    [ "$rc" = 0 ] || fail "QueryCancelAutoPlay did not close the saver (got $rc)"
  else
    [ "$rc" = running ] || fail "the saver ended on QueryCancelAutoPlay (got $rc)"
  fi
  [ "$(log_lines 'verify enter')" = "$7" ] || fail "the verifier was asked $(log_lines 'verify enter') times, expected $7"
  if [ "$rc" = running ]; then
    steer answer=1; sleep 0.3; xdo key a
    wait_saver_exit 10; [ "$SAVER_RC" = 0 ] || fail "a key did not close the saver afterwards"
  fi
}
case_autoplay_98_accepting() { autoplay_fullscreen autoplay_98_accepting 98 1 1 1 yes 1; }
case_autoplay_98_refusing()  { autoplay_fullscreen autoplay_98_refusing 98 1 0 1 no 1; }
case_autoplay_98_off()       { autoplay_fullscreen autoplay_98_off 98 0 0 0 yes 0; }
case_autoplay_nt()           { autoplay_fullscreen autoplay_nt nt 1 1 0 no 0; }

# Preview: a child of a test window. It never loads the verifier and is never
# questioned; FAMILY 98 closes on QueryCancelAutoPlay (answer 0: no verifier),
# nt treats the message as an ordinary one.
preview_case() {  # NAME FAMILY
  new_case "$1" "$2"
  add_component verifier
  use_password dword 1
  steer answer=0
  start_parent; local parent=$PARENT i
  start_saver /p "$parent"
  local child=0
  for i in $(seq 100); do child=$(probe child "$parent"); [ "$child" != 0 ] && break; sleep 0.05; done
  [ "$child" != 0 ] || fail "the preview window never appeared"
  sleep 0.3
  # Input over the preview and closing messages of every kind: no effect.
  xdo mousemove 100 100 click 1 mousemove 150 130 click 3 key a b Return
  probe post "$child" WM_KEYDOWN 0x41 0 3 >/dev/null
  probe post "$child" WM_POWERBROADCAST 4 0 >/dev/null
  probe post "$child" WM_ACTIVATEAPP 0 0 >/dev/null
  sleep 0.5
  saver_alive || fail "the preview ended on input"
  local answer rc
  if [ "$2" = 98 ]; then
    answer=$(probe autoplay "$child")
    [ "$answer" = 0 ] || fail "QueryCancelAutoPlay in preview answered '$answer', expected 0"
    wait_saver_exit 5; rc=$SAVER_RC
    [ "$rc" = 0 ] || fail "QueryCancelAutoPlay did not close the preview (got $rc)"
  else
    answer=$(probe autoplay "$child")
    [ "$answer" = 0 ] || fail "an ordinary message answered '$answer'"
    sleep 0.5
    saver_alive || fail "the preview ended on QueryCancelAutoPlay on the NT family"
    probe post "$child" WM_CLOSE 0 0 >/dev/null
    wait_saver_exit 5; rc=$SAVER_RC
    [ "$rc" = 0 ] || fail "WM_CLOSE did not end the preview (got $rc)"
  fi
    [ "$(log_lines attach)" = 0 ] || fail "the preview loaded PASSWORD.CPL"
  [ -z "$(running_lines)" ] || fail "the preview touched the system flag: $(running_lines)"
}
case_preview_98() { preview_case preview_98 98; }
case_preview_nt() { preview_case preview_nt nt; }

# A preview closed by WM_CLOSE on the Windows 9x family is not questioned.
case_preview_98_close() {
  new_case preview_98_close 98
  add_component verifier
  use_password dword 1
  start_parent; local parent=$PARENT i child=0
  start_saver /p "$parent"
  for i in $(seq 100); do child=$(probe child "$parent"); [ "$child" != 0 ] && break; sleep 0.05; done
  [ "$child" != 0 ] || fail "the preview window never appeared"
  probe post "$child" WM_CLOSE 0 0 >/dev/null
  wait_saver_exit 5; [ "$SAVER_RC" = 0 ] || fail "WM_CLOSE did not end the preview with 0"
    [ "$(log_lines attach)" = 0 ] || fail "the preview loaded PASSWORD.CPL"
}

# ---------------------------------------------------------------------------
# The change command /a.

change_call_line() { tr -d '\r' < "$CASE_DIR/pwtest.log" | grep '^mpr change enter'; }

case_change_parent() {
  new_case change_parent 98
  add_component mpr
  start_parent; local parent=$PARENT
  start_parent other; local other=$PARENT   # now in front of the parent
  local rc; rc=$(run_saver /a "$parent")
  [ "$rc" = 0 ] || fail "/a ended with $rc"
  local line; line=$(change_call_line)
  echo "$line"
  [ "$(echo "$line" | grep -c .)" = 1 ] || fail "PwdChangePasswordA was not called exactly once"
  echo "$line" | grep -q "provider=\"SCRSAVE\" hwnd=$parent is_window=1 a=0 b=0 " \
    || fail "PwdChangePasswordA got the wrong arguments"
  echo "$line" | grep -q " foreground=$other " || fail "test setup: the parent was in front during the call"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | tail -n 1 | grep -q '^mpr detach how=free' \
    || fail "MPR.DLL was not freed after the call"
}

# A handle that is 0, missing, dead or not a number: the foreground window stands in.
case_change_foreground() {
  new_case change_foreground 98
  add_component mpr
  start_parent; local parent=$PARENT
  local fg; fg=$(probe foreground)
  [ "$fg" = "$parent" ] || fail "test setup: the parent window is not in the foreground ($fg)"
  local dead; dead=$(probe dead-handle)
  local arg rc n=0
  for arg in 0 "" "$dead" abc 99999999; do
    rc=$(run_saver /a $arg)
    [ "$rc" = 0 ] || fail "/a $arg ended with $rc"
    n=$((n + 1))
    local line; line=$(change_call_line | tail -n 1)
    [ "$(change_call_line | grep -c .)" = "$n" ] || fail "/a $arg did not call PwdChangePasswordA"
    echo "$line" | grep -q "provider=\"SCRSAVE\" hwnd=$parent is_window=1 a=0 b=0 " \
      || fail "/a $arg did not pass the foreground window: $line"
  done
}

# The change component shows a dialog: the watcher sees it (so it would see
# anything shown), and the command still ends with 0 whatever the answer.
case_change_dialog() {
  new_case change_dialog 98
  add_component mpr
  steer change_hold=700 change_answer=5
  start_parent; local parent=$PARENT
  local out; out=$(cd "$CASE_DIR" && probe run-watch "$SAVER_NAME" /a "$parent")
  echo "$out"
  echo "$out" | grep -q '^window .* Change Password$' || fail "the watcher did not see the change dialog"
  echo "$out" | grep -qx 'exit 0' || fail "/a did not end with 0 after a failing change"
}

case_change_missing() {
  new_case change_missing 98
  start_parent; local parent=$PARENT
  local out; out=$(cd "$CASE_DIR" && probe run-watch "$SAVER_NAME" /a "$parent")
  echo "$out"
  echo "$out" | grep -qx 'exit 0' || fail "/a without MPR.DLL did not end with 0"
  echo "$out" | grep -q '^window' && fail "/a without MPR.DLL showed a window"
  [ ! -e "$CASE_DIR/pwtest.log" ] || fail "a component was loaded"
}

case_change_nt() {
  new_case change_nt nt
  add_component mpr
  start_parent; local parent=$PARENT
  local rc; rc=$(run_saver /a "$parent")
  [ "$rc" = 255 ] || fail "/a on the NT family ended with $rc, expected -1"
  [ "$(log_lines 'mpr')" = 0 ] || fail "/a on the NT family loaded MPR.DLL"
}

# ---------------------------------------------------------------------------
# The fault guard: a fault in a running protected saver ends the process, is
# reported, and the system is told that no saver runs any more.

case_fault_guard() {
  new_case fault_guard 98
  add_component verifier
  use_password dword 1
  steer answer=0
  park_pointer
  SAVER_FAULT=30 start_saver /s
  wait_saver_exit 30; local rc=$SAVER_RC
  [ "$rc" != running ] || fail "the injected fault did not end the saver"
  echo "exit code $rc"
  [ "$rc" != 0 ] || fail "a faulted run ended with 0"
  echo "--- report"; tr -d '\r' < "$CASE_DIR/saver.err" | head -n 5
  grep -qi 'exception\|fault' "$CASE_DIR/saver.err" || fail "the fault was not reported"
  echo "--- hooks"; running_lines
  [ "$(running_lines | head -n 1 | cut -d' ' -f1-2)" = "set_saver_running 1" ] || fail "no protected run started"
  [ "$(running_lines | tail -n 1 | cut -d' ' -f1-2)" = "set_saver_running 0" ] \
    || fail "the system was not told that no saver runs after the fault"
  # The injected fault came first, the flag went off after it.
  tr -d '\r' < "$CASE_DIR/hooks.log" | awk '$1 == "fault" { f = NR } $1 == "set_saver_running" && $2 == 0 { z = NR }
    END { exit !(f && z > f) }' || fail "set_saver_running 0 was not logged after the fault"
}

"case_$1"
echo "PASS: $1"
