#!/usr/bin/env bash
# The fault guard, on the test build of the real program full screen: a fault
# injected into a frame (KORVANTHEL_TEST_FAULT) ends the process, is reported,
# and the system is told that no saver runs any more. Three runs:
#   protected   Windows 98, the password on and a refusing verifier beside the
#               program, a fault in frame 30, the prefix's debugger in place
#   debugger    the NT family, a fault in frame 3, the prefix's debugger in
#               place: the report hands the fault on
#   no debugger the same with no debugger to start: the guard ends the run with
#               its own exit code, 3
. "$(dirname "$0")/../wine-kit/lib.sh"
kit_init

aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
prefix_debugger='winedbg --auto %ld %ld'
at_exit reg add "$aedebug" /v Debugger /d "$prefix_debugger" /f

# Starts the case's program full screen with a fault in frame $1 and waits for
# its end (EXIT_CODE, or "running"; a run still going after twice PATIENCE,
# since the prefix's debugger may take its time, is stopped).
run_faulting_saver() {
  park_pointer
  SAVER_FAULT=$1 saver_start /s
  wait_exit "$SAVER_PID" $((2 * PATIENCE)) || stop_process "$SAVER_PID"
}

# The test build's log: the fault logged, set_saver_running 0 after it, and no
# "frames" line (written when the window is destroyed in order, which a fault
# that ends the run leaves out).
check_fault_log() {  # RUN FRAME
  local log=$CASE_DIR/hooks.log
  check "$1: the fault was injected in frame $2" grep -q "^fault $2 " "$log"
  check "$1: set_saver_running 0 follows the fault" \
    bash -c "sed -n '/^fault $2 /,\$p' \"\$1\" | grep -q '^set_saver_running 0 '" _ "$log"
  if grep -q '^frames ' "$log"; then
    fail "$1: the fault ended the run" "the window was destroyed in order"
  else
    pass "$1: the fault ended the run before the window was destroyed"
  fi
}

# --- a protected run on the Windows 9x family ---------------------------------
new_case protected 98
add_component verifier
use_password dword 1
steer answer=0
run_faulting_saver 30
check "protected: the injected fault ended the saver" test "$EXIT_CODE" != running
note "protected: exit code $EXIT_CODE"
check "protected: a faulted run does not end with 0" test "$EXIT_CODE" != 0
note "protected: the report"
note "$(tr -d '\r' <"$CASE_DIR/saver.err" | head -n 5)"
check "protected: the fault was reported" grep -qi 'exception\|fault' "$CASE_DIR/saver.err"
note "protected: $(running_lines | tr '\n' ';')"
check_eq "protected: a protected run started" "set_saver_running 1" "$(running_lines | head -n 1 | cut -d' ' -f1-2)"
check_eq "protected: after the fault the system was told that no saver runs" "set_saver_running 0" \
  "$(running_lines | tail -n 1 | cut -d' ' -f1-2)"
check "protected: set_saver_running 0 was logged after the fault" bash -c \
  'tr -d "\r" <"$1" | awk '\''$1 == "fault" { f = NR } $1 == "set_saver_running" && $2 == 0 { z = NR }
    END { exit !(f && z > f) }'\''' _ "$CASE_DIR/hooks.log"
check_fault_log protected 30

# --- an unprotected run, with the prefix's debugger -------------------------------
new_case debugger nt
run_faulting_saver 3
check "debugger: the fault ended the run" test "$EXIT_CODE" != running
check "debugger: the run does not end with 0" test "$EXIT_CODE" != 0
check_fault_log debugger 3

# --- the same without a debugger: the guard's own exit code -----------------------
reg add "$aedebug" /v Debugger /d 'korv-no-such-debugger.exe' /f
new_case no_debugger nt
run_faulting_saver 3
check_eq "no debugger: the guard ends the run with exit code 3" 3 "$EXIT_CODE"
check_fault_log "no debugger" 3

kit_done
