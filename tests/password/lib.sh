# Shell side of the password proofs: a scratch folder per case holding the
# test build of the saver under the name the case needs, the test components
# beside it, and helpers that start the saver, drive it and read the logs.
# Expected environment (set by CMake): KORV_ROOT, KORV_WINEPREFIX,
# KORV_WINE_ARCH, PW_SAVER, PW_PROBE, PW_COMPONENTS, PW_SCRATCH.
set -u
: "${KORV_ROOT:?}" "${KORV_WINEPREFIX:?}" "${PW_SAVER:?}" "${PW_PROBE:?}" "${PW_COMPONENTS:?}" "${PW_SCRATCH:?}"
export KORV_WINEPREFIX KORV_WINE_ARCH
export WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n"
DISPLAY=$(cat "$KORV_WINEPREFIX.display" 2>/dev/null) || { echo "no test session running" >&2; exit 1; }
export DISPLAY

SAVER_PID=""
CASE_DIR=""
SAVER_NAME=""

# A Unix path as Wine's Z: drive sees it.
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

wine_run() { "$KORV_ROOT/scripts/wine-run" "$@"; }
probe() { wine_run "$PW_PROBE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
reg() { wine_run reg "$@" </dev/null >/dev/null 2>&1; }

fail() {
  echo "FAIL: $*" >&2
  if [ -n "$CASE_DIR" ]; then
    for f in "$CASE_DIR/pwtest.log" "$CASE_DIR/hooks.log" "$CASE_DIR/saver.err"; do
      [ -s "$f" ] && { echo "--- $(basename "$f") (last 40 lines)" >&2; tail -n 40 "$f" >&2; }
    done
  fi
  stop_saver
  exit 1
}

# new_case NAME FAMILY: FAMILY 98 names the program Korv98.scr, for which Wine
# reports Windows 98; nt names it KorvNT.scr (Wine's default, the NT family).
new_case() {
  CASE_DIR=$PW_SCRATCH/$1
  rm -rf "$CASE_DIR"; mkdir -p "$CASE_DIR"
  if [ "$2" = 98 ]; then
    SAVER_NAME=Korv98.scr
    reg add 'HKCU\Software\Wine\AppDefaults\Korv98.scr' /v Version /d win98 /f
  else
    SAVER_NAME=KorvNT.scr
    reg delete 'HKCU\Software\Wine\AppDefaults\KorvNT.scr' /f
  fi
  cp "$PW_SAVER" "$CASE_DIR/$SAVER_NAME"
  : > "$CASE_DIR/pwtest-control.txt"
  trap end_case EXIT
}

# Components beside the program: verifier (refusing unless steered),
# noexport (PASSWORD.CPL without VerifyScreenSavePwd), mpr.
add_component() {
  case $1 in
    verifier) cp "$PW_COMPONENTS/verify/PASSWORD.CPL" "$CASE_DIR/" ;;
    noexport) cp "$PW_COMPONENTS/noexport/PASSWORD.CPL" "$CASE_DIR/" ;;
    mpr)      cp "$PW_COMPONENTS/mpr/MPR.DLL" "$CASE_DIR/" ;;
  esac
}

steer() { printf '%s\n' "$@" > "$CASE_DIR/pwtest-control.txt.new"; mv "$CASE_DIR/pwtest-control.txt.new" "$CASE_DIR/pwtest-control.txt"; }

# use_password dword N | binary HEX | missing
use_password() {
  local key='HKCU\Control Panel\Desktop'
  case $1 in
    dword)   reg add "$key" /v ScreenSaveUsePassword /t REG_DWORD /d "$2" /f ;;
    binary)  reg add "$key" /v ScreenSaveUsePassword /t REG_BINARY /d "$2" /f ;;
    missing) reg delete "$key" /v ScreenSaveUsePassword /f ;;
  esac
}

# start_saver ARGS...: runs the program from the case folder in the background.
start_saver() {
  local extra_env=()
  [ -n "${SAVER_FAULT:-}" ] && extra_env+=(KORVANTHEL_TEST_FAULT="$SAVER_FAULT")
  (cd "$CASE_DIR" && exec env KORVANTHEL_TEST_LOG="$(winpath "$CASE_DIR/hooks.log")" "${extra_env[@]}" \
     "$KORV_ROOT/scripts/wine-run" "./$SAVER_NAME" "$@" </dev/null >"$CASE_DIR/saver.out" 2>"$CASE_DIR/saver.err") &
  SAVER_PID=$!
}

# run_saver ARGS...: runs the program to its end; prints the exit code.
run_saver() {
  (cd "$CASE_DIR" && env KORVANTHEL_TEST_LOG="$(winpath "$CASE_DIR/hooks.log")" \
     "$KORV_ROOT/scripts/wine-run" "./$SAVER_NAME" "$@" </dev/null >"$CASE_DIR/saver.out" 2>"$CASE_DIR/saver.err")
  echo $?
}

saver_alive() { [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; }

# wait_saver_exit SECONDS: sets SAVER_RC to the exit code, or to "running".
# (Not for command substitution: only this shell can wait for its child.)
wait_saver_exit() {
  local i
  for ((i = 0; i < $1 * 20; i++)); do
    saver_alive || break
    sleep 0.05
  done
  if saver_alive; then SAVER_RC=running; return; fi
  wait "$SAVER_PID"; SAVER_RC=$?
  SAVER_PID=""
}

# start_parent [NAME]: shows a test window that comes to the front (pwprobe
# parent); sets PARENT to its handle. It lives until the case ends.
PARENT_PIDS=()
start_parent() {
  local name=${1:-parent}
  (cd "$CASE_DIR" && exec "$KORV_ROOT/scripts/wine-run" "$PW_PROBE" parent 300 200 \
     "$(winpath "$CASE_DIR/parents.stop")") </dev/null >"$CASE_DIR/$name.out" 2>/dev/null &
  PARENT_PIDS+=($!)
  local i
  for i in $(seq 200); do [ -s "$CASE_DIR/$name.out" ] && break; sleep 0.05; done
  PARENT=$(head -n 1 "$CASE_DIR/$name.out" | tr -d '\r')
  [ -n "$PARENT" ] && [ "$PARENT" != 0 ] || fail "no test window"
  # Wine settles the foreground from X focus events that may come late: wait
  # until the new window has stayed in front for a moment.
  local stable=0
  for i in $(seq 30); do
    if [ "$(probe foreground)" = "$PARENT" ]; then stable=$((stable + 1)); else stable=0; fi
    [ $stable -ge 2 ] && return 0
    sleep 0.2
  done
  fail "the test window $name never stayed in front"
}

# Ends whatever the case left running: the saver and the test windows.
end_case() {
  stop_saver
  if [ ${#PARENT_PIDS[@]} -gt 0 ]; then
    touch "$CASE_DIR/parents.stop"
    wait "${PARENT_PIDS[@]}" 2>/dev/null
    PARENT_PIDS=()
  fi
}

stop_saver() {
  if saver_alive; then kill "$SAVER_PID" 2>/dev/null; wait "$SAVER_PID" 2>/dev/null; fi
  SAVER_PID=""
}

# wait_window TITLE: prints the saver window's handle (0 when it never came).
wait_window() { probe wait-window "$1" 15000; }

# wait_focus TITLE: waits until the X input focus is on the window with that
# title, so that xdotool's keys reach it (takes a second or two under Wine).
wait_focus() {
  local i
  for i in $(seq 100); do
    [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the window '$1' never got the keyboard focus"
}

# start_full_screen: starts /s and waits until its window exists and has the
# keyboard focus; SAVER_WINDOW is then its handle.
start_full_screen() {
  start_saver /s
  SAVER_WINDOW=$(wait_window "Screen Saver")
  [ "$SAVER_WINDOW" != 0 ] || fail "the saver window never appeared"
  wait_focus "Screen Saver"
}

xdo() { xdotool "$@" >/dev/null 2>&1; }

# frames_change: two screenshots 300 ms apart differ in many pixels.
frames_change() {
  local a=$CASE_DIR/shot-a.png b=$CASE_DIR/shot-b.png n
  import -window root "$a" 2>/dev/null || return 1
  sleep 0.3
  import -window root "$b" 2>/dev/null || return 1
  n=$(compare -metric AE -fuzz 2% "$a" "$b" null: 2>&1 | cut -d' ' -f1)
  [ "${n%.*}" -gt 2000 ] 2>/dev/null
}

# log_lines TEXT: how many lines of the components' log contain TEXT.
log_lines() { cat "$CASE_DIR/pwtest.log" 2>/dev/null | grep -c -- "$1"; }
# wait_log TEXT COUNT [SECONDS]: waits (default 10 s) until COUNT lines of the
# components' log contain TEXT; fails when they never do.
wait_log() {
  local i
  for ((i = 0; i < ${3:-10} * 20; i++)); do
    [ "$(log_lines "$1")" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

# The set_saver_running calls that the test build logged, in order.
running_lines() { cat "$CASE_DIR/hooks.log" 2>/dev/null | tr -d '\r' | grep '^set_saver_running '; }

# verifier_log_sound: every check ran alone (strict enter/exit alternation,
# depth 0) and each started at least 200 ms after the end of the previous one.
# Prints the number of checks.
verifier_log_sound() {
  tr -d '\r' < "$CASE_DIR/pwtest.log" | awk '
    function val(key,   i, kv) { for (i = 1; i <= NF; i++) { split($i, kv, "="); if (kv[1] == key) return kv[2] } return "" }
    $1 == "password" && $2 == "verify" && $3 == "enter" {
      if (open) { print "check " val("n") " started while check " open " ran" > "/dev/stderr"; bad = 1 }
      if (val("depth") != 0) { print "check " val("n") " entered at depth " val("depth") > "/dev/stderr"; bad = 1 }
      if (last_exit != "" && val("tick") - last_exit < 200) {
        print "check " val("n") " started " val("tick") - last_exit " ms after the previous one ended" > "/dev/stderr"; bad = 1 }
      open = val("n"); checks++
    }
    $1 == "password" && $2 == "verify" && $3 == "exit" {
      if (open != val("n")) { print "exit of check " val("n") " without its start" > "/dev/stderr"; bad = 1 }
      open = ""; last_exit = val("tick")
    }
    END { if (open) { print "check " open " never ended" > "/dev/stderr"; bad = 1 }
          print checks + 0; exit bad }'
}

# Puts the pointer at the middle of the screen; done before a saver starts,
# since a later move of more than 4 pixels is itself a closing input.
park_pointer() { xdo mousemove 512 384; }
