#!/usr/bin/env bash
# The fault guard on the real test build: a fault injected into the third
# frame of a full-screen run is reported, the system is told that no saver
# runs any more, and the process ends.  Run twice: with the prefix's debugger
# (the report hands the fault on) and without one (the guard ends the run
# with its own exit code, 3).
set -u
: "${KORV_SAVER_TEST:?}" "${KORV_WINEPREFIX:?}"
here=$(cd "$(dirname "$0")" && pwd)
wine_run=$here/../../scripts/wine-run
log=$(mktemp)
aedebug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
restore() {
  "$wine_run" reg add "$aedebug" /v Debugger /d 'winedbg --auto %ld %ld' /f >/dev/null 2>&1
  rm -f "$log"
}
trap restore EXIT
failed=0

run_faulting_saver() {
  rm -f "$log"
  KORVANTHEL_TEST_LOG=$log KORVANTHEL_TEST_FAULT=3 timeout 60 "$wine_run" "$KORV_SAVER_TEST" /s \
    </dev/null >/dev/null 2>&1
}

check_log() {
  # The fault, then the flag cleared, and no frame after the fault.
  if ! grep -q '^fault 3 ' "$log"; then
    echo "FAIL ($1): no fault was injected"; cat "$log"; failed=1; return
  fi
  if ! sed -n '/^fault 3 /,$p' "$log" | grep -q '^set_saver_running 0 '; then
    echo "FAIL ($1): set_saver_running 0 not seen after the fault"; cat "$log"; failed=1
  fi
  if grep -q '^frames ' "$log"; then
    echo "FAIL ($1): the window was destroyed in order, the fault did not end the run"; failed=1
  fi
}

run_faulting_saver; code=$?
check_log "with debugger"
if [ "$code" -eq 0 ] || [ "$code" -eq 124 ]; then echo "FAIL (with debugger): exit code $code"; failed=1; fi

"$wine_run" reg add "$aedebug" /v Debugger /d 'korv-no-such-debugger.exe' /f >/dev/null 2>&1
run_faulting_saver; code=$?
check_log "without debugger"
if [ "$code" -ne 3 ]; then echo "FAIL (without debugger): exit code $code, expected 3"; failed=1; fi

[ $failed -eq 0 ] && echo "fault guard: both paths end the run and clear the flag"
exit $failed
