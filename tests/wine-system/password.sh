#!/usr/bin/env bash
# The password lock on the Windows 9x family, proven on the test build of the
# real program under Wine + Xvfb with the test components beside it. One case
# per run: password.sh CASE, where case_CASE is a function below (each is a
# test of its own: `password.sh --cases` lists them for the registration).
# Each step that the rest of a case depends on ends the case when it fails
# (fail_now).
. "$(dirname "$0")/../wine-kit/lib.sh"

# A test window of another program, in front of the others; sets PARENT. It
# lives until the case ends.
open_front_parent() {
  parent_start "$1" 300 200 20 20 --front --ms 120000 || fail_now "no test window"
  wait_front_steady "$PARENT" || fail_now "the test window $1 never stayed in front"
}

# The saver's window as another program finds it (empty when there is none).
saver_window() { probe find "$SAVER_CLASS" "Screen Saver"; }

# 0 when the test build's log has a set_saver_running line with value N.
running_logged() { running_lines | grep -q "^set_saver_running $1 "; }

# One look for wait_verifier_quiet: no check open, and none begun since the
# previous look half a second ago.
quiet_look() {
  local entered exited
  entered=$(log_lines 'verify enter') exited=$(log_lines 'verify exit')
  [ "$entered" = "$exited" ] && [ "$entered" = "$QUIET_ENTERED" ] && return 0
  QUIET_ENTERED=$entered
  sleep 0.5
  return 1
}

# Waits until the verifier has been idle for half a second: the input of a
# barrage that a busy machine delivers late has been dealt with, and the next
# key comes well after the 200 ms that follow a check.
wait_verifier_quiet() {
  QUIET_ENTERED=-1
  wait_until "$PATIENCE" quiet_look
}

# start_protected_case NAME STEER...: a protected full-screen run, the test
# build as Korv98.scr with the refusing verifier beside it, the password on and
# the verifier steered by STEER; SAVER_WINDOW is then the saver's window.
start_protected_case() {
  new_case "$1" 98
  add_component verifier
  use_password dword 1
  shift
  steer "$@"
  full_screen_start || fail_now "the saver window never appeared or never got the keyboard focus"
}

# ---------------------------------------------------------------------------
# A refusing verifier holds against a barrage of real input; then it accepts.

case_barrage() {
  # The refusing verifier runs a message loop for 60 ms before it answers, so
  # that input also arrives while checks are in progress.
  start_protected_case barrage answer=0 mode=1 hold=60
  local w=$SAVER_WINDOW
  wait_until "$PATIENCE" running_logged 1 || fail_now "the system was not told that a protected saver runs"

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
      probe steal-focus "$w" 150 >/dev/null || note "steal-focus: the foreground did not come back"
      inputs=$((inputs + 1))
      # Wine moves the X focus a moment after the foreground. Now and then,
      # on a busy machine, the X focus stays with the probe's window until it
      # goes and then falls to the root, while the saver keeps the
      # foreground: no key reaches anyone. The foreground is then taken and
      # handed back again, until the X focus follows or a minute has passed.
      focus_start=$SECONDS
      until wait_until 10 focus_on "Screen Saver"; do
        if [ $((SECONDS - focus_start)) -ge "$PATIENCE" ]; then
          note "X focus on: $(xdotool getwindowfocus getwindowname 2>&1)"
          note "foreground: $(probe foreground 2>&1) (the saver's window: $w)"
          fail_now "the window 'Screen Saver' never got the keyboard focus"
        fi
        note "the X focus did not follow the foreground: handed back once more"
        probe steal-focus "$w" 150 >/dev/null
        inputs=$((inputs + 1))
      done
    fi
    still_running "$SAVER_PID" || fail_now "the saver ended during the barrage (round $round)"
  done
  note "inputs sent: $inputs"
  [ "$inputs" -ge 1000 ] || fail_now "only $inputs inputs sent"
  [ "$(saver_window)" = "$w" ] || fail_now "the saver window is gone after the barrage"
  frames_change || fail_now "the saver no longer draws after the barrage"

  local checks; checks=$(verifier_log_sound) || fail_now "the verifier's calls break the rules"
  note "verifier asked $checks times"
  [ "$checks" -ge 5 ] || fail_now "the verifier was asked only $checks times"
  [ "$(log_lines 'answer=0 ')" = "$checks" ] || fail_now "not every check was refused"

  # Now the verifier accepts: the next input closes the saver.
  steer answer=1
  wait_verifier_quiet || fail_now "the verifier never came to rest after the barrage"
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"; local rc=$EXIT_CODE
  [ "$rc" = 0 ] || fail_now "after acceptance the saver did not end with 0 (got $rc)"
  [ -z "$(saver_window)" ] || fail_now "the saver window outlived the process"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | grep ' verify exit ' | tail -n 1 | grep -q 'answer=1 ' \
    || fail_now "the last check was not the accepting one"
  verifier_log_sound >/dev/null || fail_now "the verifier's calls break the rules"
  [ "$(running_lines | tail -n 1 | cut -d' ' -f1-2)" = "set_saver_running 0" ] \
    || fail_now "the system was not told at the end that no saver runs"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | tail -n 1 | grep -q '^password detach how=free' \
    || fail_now "the verifier was not unloaded at the end of the run"
}

# ---------------------------------------------------------------------------
# A verifier that runs a message loop while input keeps arriving.
# MODE 1 pumps messages itself, MODE 2 shows a modal dialog owned by the saver.

check_while_deciding() {  # NAME MODE
  # The check lasts until the test releases it (at most a minute).
  start_protected_case "$1" answer=0 mode="$2" hold=60000
  local w=$SAVER_WINDOW
  sleep 0.5
  xdo key a                       # starts the check
  wait_log 'verify enter' 1 || fail_now "the first key did not start a check"
  sleep 0.3
  # Real input and posted input of every closing kind, while the check runs.
  xdo key --delay 10 b c d e f g h space Return Escape
  xdo click 1 click 3 mousemove_relative 30 0 mousemove_relative -- -30 20
  probe post "$w" WM_KEYDOWN 0x41 0 5 10 >/dev/null
  probe post "$w" WM_LBUTTONDOWN 1 0 5 10 >/dev/null
  probe post "$w" WM_POWERBROADCAST 4 0 3 10 >/dev/null
  probe post "$w" WM_POWER 3 0 3 10 >/dev/null
  probe post "$w" WM_ACTIVATEAPP 0 0 3 10 >/dev/null
  frames_change || fail_now "no frames were drawn while the verifier decided"
  probe post "$w" WM_CLOSE 0 0 4 10 >/dev/null   # closes queued meanwhile are refused unasked
  sleep 0.5
  [ "$(log_lines 'verify exit')" = 0 ] || fail_now "the check ended before it was released"
  steer answer=0 mode="$2" hold=60000 release=1
  wait_log 'verify exit' 1 || fail_now "the check never ended"
  sleep 0.5
  verifier_log_sound >/dev/null || fail_now "a second check started while the first ran"
  [ "$(log_lines 'verify enter')" = 1 ] || fail_now "the input that arrived meanwhile started another check"
  local exit_line; exit_line=$(tr -d '\r' < "$CASE_DIR/pwtest.log" | grep ' verify exit ')
  note "$exit_line"
  # Of the closes taken from the queue during the check, only the test's four
  # may be there: a close posted by input meanwhile would make it more.
  echo "$exit_line" | grep -q ' closes=4$' || fail_now "closes were posted by input during the check"
  local timers; timers=$(echo "$exit_line" | sed 's/.* timers=\([0-9]*\).*/\1/')
  [ "$timers" -ge 20 ] || fail_now "only $timers frame ticks reached the saver during the check"
  still_running "$SAVER_PID" || fail_now "the saver ended although the verifier refused"
  frames_change || fail_now "the saver no longer draws after the check"

  steer answer=1
  sleep 0.3
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"; [ "$EXIT_CODE" = 0 ] || fail_now "after acceptance the saver did not end with 0"
  [ "$(log_lines 'verify enter')" = 2 ] || fail_now "the accepting close was not one check"
}
case_pumping_verifier() { check_while_deciding pumping_verifier 1; }
case_dialog_verifier() { check_while_deciding dialog_verifier 2; }

# A verifier answer other than 0 or 1 lets the saver close, like 1.
case_accept_other_value() {
  start_protected_case accept_other_value answer=7
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"
  [ "$EXIT_CODE" = 0 ] || fail_now "an answer of 7 did not close the saver with 0 (got $EXIT_CODE)"
  [ "$(log_lines 'verify exit n=1 answer=7 ')" = 1 ] && [ "$(log_lines 'verify enter')" = 1 ] \
    || fail_now "the close was not decided by exactly one check"
  [ "$(running_lines | cut -d' ' -f1-2 | tr '\n' ,)" = "set_saver_running 1,set_saver_running 0," ] \
    || fail_now "the system flag was not switched on and then off: $(running_lines)"
}

# After a refused check, mouse movement is measured from where the pointer was
# at the refusal. The pointer first creeps 3 pixels (no close), a key starts a
# refused check, then 3 more pixels start nothing (6 from the start would);
# another 3 do.
case_refusal_resets_reference() {
  start_protected_case refusal_resets_reference answer=0
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo mousemove_relative 0 3
  sleep 0.5
  [ "$(log_lines 'verify enter')" = 0 ] || fail_now "a 3-pixel move started a check"
  xdo key a
  wait_log 'verify exit' 1 || fail_now "a key did not start a check"
  sleep 0.5
  xdo mousemove_relative 0 3
  sleep 0.6
  [ "$(log_lines 'verify enter')" = 1 ] || fail_now "3 pixels after the refusal started a check"
  xdo mousemove_relative 0 3
  wait_log 'verify exit' 2 || fail_now "6 pixels from the refusal point started no check"
  still_running "$SAVER_PID" || fail_now "the saver closed although the verifier refused"
}

# A second full-screen start while a protected saver runs loads nothing and
# leaves the system flag alone; it only brings the first to the front.
case_second_instance() {
  start_protected_case second_instance answer=0
  local w=$SAVER_WINDOW
  local first=$SAVER_PID
  local rc; saver_run /s; rc=$?
  [ "$rc" = 0 ] || fail_now "the second start ended with $rc"
  [ "$(log_lines 'password attach')" = 1 ] || fail_now "the second start loaded PASSWORD.CPL"
  [ "$(running_lines | grep -c .)" = 1 ] || fail_now "the second start touched the system flag: $(running_lines)"
  [ "$(log_lines 'verify enter')" = 0 ] || fail_now "the second start asked the verifier"
  kill -0 "$first" 2>/dev/null || fail_now "the first saver ended"
  steer answer=1; sleep 0.3; xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"
  [ "$EXIT_CODE" = 0 ] || fail_now "the first saver did not close after acceptance"
}

# WM_APP is the saver's own question to the verifier. Posted by another
# program, outside a check or while the verifier's message loop runs, it must
# not open the password dialog (a second one, in the latter case).
case_stray_wm_app() {
  start_protected_case stray_wm_app answer=0 mode=1 hold=60000
  local w=$SAVER_WINDOW
  sleep 0.3
  probe post "$w" WM_APP 0 0 >/dev/null
  sleep 0.5
  [ "$(log_lines 'verify enter')" = 0 ] || fail_now "a WM_APP from another program ran the verifier"
  xdo key a
  wait_log 'verify enter' 1 || fail_now "a key did not start a check"
  probe post "$w" WM_APP 0 0 3 10 >/dev/null
  sleep 0.3
  steer answer=0 mode=1 hold=60000 release=1
  wait_log 'verify exit' 1 || fail_now "the check never ended"
  verifier_log_sound >/dev/null || fail_now "a WM_APP during the check ran the verifier again"
  [ "$(log_lines 'verify enter')" = 1 ] || fail_now "a WM_APP during the check ran the verifier again"
  still_running "$SAVER_PID" || fail_now "the saver closed although the verifier refused"
  steer answer=1
  sleep 0.3
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"
  [ "$EXIT_CODE" = 0 ] || fail_now "after acceptance the saver did not end with 0 (got $EXIT_CODE)"
}

# ---------------------------------------------------------------------------
# No password in effect: the first close closes; nothing loaded, the system
# flag untouched. The refusing verifier lies beside the program wherever it
# could be picked up by mistake.

first_close_closes() {  # NAME, then how the verifier must appear in the log: none|freed
  local expect=$2
  full_screen_start || fail_now "the saver window never appeared or never got the keyboard focus"
  local w=$SAVER_WINDOW
  case $expect in
    none)  sleep 0.3
           [ "$(log_lines attach)" = 0 ] || fail_now "PASSWORD.CPL was loaded" ;;
    freed) wait_log 'password detach how=free' 1 || fail_now "PASSWORD.CPL without the check was never freed"
           [ "$(log_lines 'password attach')" = 1 ] && [ "$(log_lines 'password detach how=free')" = 1 ] \
             || fail_now "PASSWORD.CPL without the check was not freed at once" ;;
  esac
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"; local rc=$EXIT_CODE
  [ "$rc" = 0 ] || fail_now "the first close did not end the saver with 0 (got $rc)"
  [ "$(log_lines verify)" = 0 ] || fail_now "a verifier was asked"
  [ -z "$(running_lines)" ] || fail_now "the system flag was touched: $(running_lines)"
  case $expect in
    none)  [ "$(log_lines attach)" = 0 ] || fail_now "PASSWORD.CPL was loaded" ;;
    freed) [ "$(log_lines 'password attach')" = 1 ] || fail_now "PASSWORD.CPL was loaded again" ;;
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
  full_screen_start || fail_now "the saver window never appeared or never got the keyboard focus"
  local w=$SAVER_WINDOW
  sleep 0.3
  xdo key a
  wait_log 'verify exit' 1 || fail_now "a one-byte value 01 did not turn the password on"
  sleep 0.3
  still_running "$SAVER_PID" || fail_now "the saver closed although the verifier refused"
  steer answer=1
  sleep 0.3
  xdo key a
  wait_exit "$SAVER_PID" "$PATIENCE"; [ "$EXIT_CODE" = 0 ] || fail_now "after acceptance the saver did not end with 0"
}

# ---------------------------------------------------------------------------
# "QueryCancelAutoPlay".

autoplay_fullscreen() {  # NAME FAMILY PASSWORD ANSWER EXPECT_ANSWER EXPECT_CLOSED EXPECT_CHECKS
  new_case "$1" "$2"
  add_component verifier
  use_password dword "$3"
  steer answer="$4"
  full_screen_start || fail_now "the saver window never appeared or never got the keyboard focus"
  local w=$SAVER_WINDOW
  sleep 0.3
  local answer; answer=$(probe send "$w" QueryCancelAutoPlay)
  [ "$answer" = "$5" ] || fail_now "QueryCancelAutoPlay answered '$answer', expected $5"
  # Refused, the saver must stay: watched for two and a half seconds.
  if [ "$6" = yes ]; then wait_exit "$SAVER_PID" "$PATIENCE"; else sleep 0.5; wait_exit "$SAVER_PID" 2; fi
  local rc=$EXIT_CODE
  if [ "$6" = yes ]; then
    [ "$rc" = 0 ] || fail_now "QueryCancelAutoPlay did not close the saver (got $rc)"
  else
    [ "$rc" = running ] || fail_now "the saver ended on QueryCancelAutoPlay (got $rc)"
  fi
  [ "$(log_lines 'verify enter')" = "$7" ] || fail_now "the verifier was asked $(log_lines 'verify enter') times, expected $7"
  if [ "$rc" = running ]; then
    steer answer=1; sleep 0.3; xdo key a
    wait_exit "$SAVER_PID" "$PATIENCE"; [ "$EXIT_CODE" = 0 ] || fail_now "a key did not close the saver afterwards"
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
  open_front_parent parent; local parent=$PARENT
  saver_start /p "$parent"
  local child; child=$(wait_preview "$parent" "$PATIENCE") || fail_now "the preview window never appeared"
  sleep 0.3
  # Input over the preview and closing messages of every kind: no effect.
  xdo mousemove 100 100 click 1 mousemove 150 130 click 3 key a b Return
  probe post "$child" WM_KEYDOWN 0x41 0 3 >/dev/null
  probe post "$child" WM_POWERBROADCAST 4 0 >/dev/null
  probe post "$child" WM_ACTIVATEAPP 0 0 >/dev/null
  sleep 0.5
  still_running "$SAVER_PID" || fail_now "the preview ended on input"
  local answer rc
  if [ "$2" = 98 ]; then
    answer=$(probe send "$child" QueryCancelAutoPlay)
    [ "$answer" = 0 ] || fail_now "QueryCancelAutoPlay in preview answered '$answer', expected 0"
    wait_exit "$SAVER_PID" "$PATIENCE"; rc=$EXIT_CODE
    [ "$rc" = 0 ] || fail_now "QueryCancelAutoPlay did not close the preview (got $rc)"
  else
    answer=$(probe send "$child" QueryCancelAutoPlay)
    [ "$answer" = 0 ] || fail_now "an ordinary message answered '$answer'"
    sleep 0.5
    still_running "$SAVER_PID" || fail_now "the preview ended on QueryCancelAutoPlay on the NT family"
    probe post "$child" WM_CLOSE 0 0 >/dev/null
    wait_exit "$SAVER_PID" "$PATIENCE"; rc=$EXIT_CODE
    [ "$rc" = 0 ] || fail_now "WM_CLOSE did not end the preview (got $rc)"
  fi
  [ "$(log_lines attach)" = 0 ] || fail_now "the preview loaded PASSWORD.CPL"
  [ -z "$(running_lines)" ] || fail_now "the preview touched the system flag: $(running_lines)"
}
case_preview_98() { preview_case preview_98 98; }
case_preview_nt() { preview_case preview_nt nt; }

# A preview closed by WM_CLOSE on the Windows 9x family is not questioned.
case_preview_98_close() {
  new_case preview_98_close 98
  add_component verifier
  use_password dword 1
  open_front_parent parent; local parent=$PARENT
  saver_start /p "$parent"
  local child; child=$(wait_preview "$parent" "$PATIENCE") || fail_now "the preview window never appeared"
  probe post "$child" WM_CLOSE 0 0 >/dev/null
  wait_exit "$SAVER_PID" "$PATIENCE"; [ "$EXIT_CODE" = 0 ] || fail_now "WM_CLOSE did not end the preview with 0"
  [ "$(log_lines attach)" = 0 ] || fail_now "the preview loaded PASSWORD.CPL"
}

# ---------------------------------------------------------------------------
# The change command /a.

change_call_line() { tr -d '\r' < "$CASE_DIR/pwtest.log" | grep '^mpr change enter'; }

case_change_parent() {
  new_case change_parent 98
  add_component mpr
  open_front_parent parent; local parent=$PARENT
  open_front_parent other; local other=$PARENT   # now in front of the parent
  local rc; saver_run /a "$parent"; rc=$?
  [ "$rc" = 0 ] || fail_now "/a ended with $rc"
  local line; line=$(change_call_line)
  note "$line"
  [ "$(echo "$line" | grep -c .)" = 1 ] || fail_now "PwdChangePasswordA was not called exactly once"
  echo "$line" | grep -q "provider=\"SCRSAVE\" hwnd=$parent is_window=1 a=0 b=0 " \
    || fail_now "PwdChangePasswordA got the wrong arguments"
  echo "$line" | grep -q " foreground=$other " || fail_now "test setup: the parent was in front during the call"
  tr -d '\r' < "$CASE_DIR/pwtest.log" | tail -n 1 | grep -q '^mpr detach how=free' \
    || fail_now "MPR.DLL was not freed after the call"
}

# A handle that is 0, missing, dead or not a number: the foreground window stands in.
case_change_foreground() {
  new_case change_foreground 98
  add_component mpr
  open_front_parent parent; local parent=$PARENT
  local fg; fg=$(probe foreground)
  [ "$fg" = "$parent" ] || fail_now "test setup: the parent window is not in the foreground ($fg)"
  local dead; dead=$(probe dead-handle)
  local arg rc n=0
  for arg in 0 "" "$dead" abc 99999999; do
    saver_run /a $arg; rc=$?
    [ "$rc" = 0 ] || fail_now "/a $arg ended with $rc"
    n=$((n + 1))
    local line; line=$(change_call_line | tail -n 1)
    [ "$(change_call_line | grep -c .)" = "$n" ] || fail_now "/a $arg did not call PwdChangePasswordA"
    echo "$line" | grep -q "provider=\"SCRSAVE\" hwnd=$parent is_window=1 a=0 b=0 " \
      || fail_now "/a $arg did not pass the foreground window: $line"
  done
}

# The change component shows a dialog: the watcher sees it (so it would see
# anything shown), and the command still ends with 0 whatever the answer.
case_change_dialog() {
  new_case change_dialog 98
  add_component mpr
  steer change_hold=700 change_answer=5
  open_front_parent parent; local parent=$PARENT
  local out; out=$(probe run-watch "$(basename "$SAVER")" /a "$parent")
  note "$out"
  echo "$out" | grep -q '^window .* Change Password$' || fail_now "the watcher did not see the change dialog"
  echo "$out" | grep -qx 'exit 0' || fail_now "/a did not end with 0 after a failing change"
}

case_change_missing() {
  new_case change_missing 98
  open_front_parent parent; local parent=$PARENT
  local out; out=$(probe run-watch "$(basename "$SAVER")" /a "$parent")
  note "$out"
  echo "$out" | grep -qx 'exit 0' || fail_now "/a without MPR.DLL did not end with 0"
  echo "$out" | grep -q '^window' && fail_now "/a without MPR.DLL showed a window"
  [ ! -e "$CASE_DIR/pwtest.log" ] || fail_now "a component was loaded"
}

case_change_nt() {
  new_case change_nt nt
  add_component mpr
  open_front_parent parent; local parent=$PARENT
  local rc; saver_run /a "$parent"; rc=$?
  [ "$rc" = 255 ] || fail_now "/a on the NT family ended with $rc, expected -1"
  [ "$(log_lines 'mpr')" = 0 ] || fail_now "/a on the NT family loaded MPR.DLL"
}

kit_cases "$@"
kit_init
"case_$1"
pass "case $1: every step held"
kit_done
