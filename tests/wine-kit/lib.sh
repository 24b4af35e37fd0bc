# The Windows test kit's shell library: every Windows system-test script
# sources it. The programs run under Wine on the test session's private X
# server (scripts/test-session); korv_probe does what needs the Windows side.
#
#   . "$(dirname "$0")/../wine-kit/lib.sh"
#   kit_init
#   ... checks ...
#   kit_done                       (exit 1 if a check failed, or if none passed)
#
# Environment (set by the CTest registration, korv_wine_script_test):
#   KORV_WINEPREFIX, KORV_WINE_ARCH   the prefix and loader (scripts/wine-run); the display is
#                                     read from "$KORV_WINEPREFIX.display", written by
#                                     `scripts/test-session start`
#   KORV_PROBE                        korv_probe.exe, the Win32 helper
#   KORV_SAVER                        the shipped program, Korvanthel.scr
#   KORV_SAVER_TEST                   its test build, Korvanthel_test.scr (new_case uses it)
#   KORV_COMPONENTS                   the test components: verify/PASSWORD.CPL,
#                                     noexport/PASSWORD.CPL, mpr/MPR.DLL
#   KORV_SCRATCH                      the test's scratch folder, emptied by kit_init and kept
#                                     afterwards (without it: a temporary folder, removed)
#
# Results (TAP-like lines on stdout):
#   check DESC COMMAND...         runs COMMAND; "ok - DESC" or "FAIL - DESC"
#   check_eq DESC EXPECTED ACTUAL compares two strings
#   pass DESC                     records a success
#   fail DESC [WHY]               records a failure and goes on
#   fail_now DESC                 records a failure, shows the case's logs and ends the test
#                                 (for a step that the rest depends on; not from a subshell)
#   note TEXT                     prints TEXT, each line after "# "
#   at_exit COMMAND...            runs COMMAND when the test ends, whatever the way
#   kit_done                      prints the summary and ends the test
#
# Programs (each starts in the case folder $CASE_DIR, stdin from /dev/null):
#   wine_run PROGRAM ARGS...      runs a Windows program to its end; its exit code is the status
#   probe COMMAND ARGS...         runs korv_probe (CRs stripped); `probe help` lists its commands
#   reg ARGS...                   Wine's reg, quietly; its exit code is the status
#   winpath PATH                  prints the Windows path of a Unix path (Z:\...), as Wine maps it
#   bg_start NAME PROGRAM ARGS... starts a Windows program in the background; sets BG_PID;
#                                 stdout/stderr go to $CASE_DIR/NAME.out and NAME.err
#   saver_start ARGS...           starts the program under test, $SAVER ($KORV_SAVER unless a
#                                 case chose another), in the background; sets SAVER_PID. Its
#                                 test log is $CASE_DIR/hooks.log; SAVER_FAULT=N asks the test
#                                 build for a fault in frame N; output in saver.out, saver.err
#   saver_run ARGS...             the same, run to its end; its exit code is the status
#   full_screen_start             park_pointer, saver_start /s, then waits until its window
#                                 exists (sets SAVER_WINDOW) and has the keyboard focus
#   parent_start NAME ARGS...     a test window: `korv_probe parent ARGS...` in the background;
#                                 sets PARENT (the handle it prints) and PARENT_PID
#   still_running PID             0 while the process runs
#   wait_exit PID SECONDS         waits for the process to end: 0 and EXIT_CODE set to its exit
#                                 code, or 1 and EXIT_CODE=running
#   stop_process PID              ends one process started here (TERM, then KILL)
#   (every process started with bg_start is stopped when the test ends)
#
# Windows (handles are decimal, as korv_probe prints them):
#   wait_window CLASS TITLE SECS  prints the handle of a visible window ("-" = any)
#   wait_gone HWND SECONDS        0 once the handle names no window
#   wait_preview PARENT SECONDS   prints the handle of the saver's preview window inside PARENT
#   wait_front_steady HWND        0 once the window has stayed the foreground window for a moment
#   wait_focus TITLE              0 once the X keyboard focus is on the window with that title
#   window_field HWND FIELD       one field of `probe info` (exists, visible, foreground, class,
#                                 title, rect, client, parent, owner, style, exstyle, pid...)
#
# Input and the screen (real input through plain xdotool, never --window):
#   xdo XDOTOOL-COMMANDS...       any chain of xdotool commands, output dropped
#   pointer_to X Y, pointer_by DX DY, click [BUTTON], key KEY...
#   park_pointer                  the pointer to the middle of the screen
#   pointer_position              prints "X Y"
#   screenshot FILE [XID]         the root window (or X window XID) as a PNG
#   pixel FILE X Y                prints "R G B" (0-255)
#   colour_counts FILE            prints "blue N green N red N white N magenta N other N black N"
#   colour_count FILE CLASS       the number of pixels of one class of colour_counts
#   x_window_of_size W H          X window ids (hex) in the root tree with exactly this size
#   frames_change                 0 when two screenshots 300 ms apart differ in many pixels
#
# Cases of the test build with the test components (the password proofs, the fault guard):
#   new_case NAME FAMILY          a fresh case folder $KIT_TMP/NAME with the test build in it,
#                                 as Korv98.scr (FAMILY 98: Wine reports Windows 98 for it) or
#                                 KorvNT.scr (FAMILY nt); $SAVER is then that copy
#   add_component verifier|noexport|mpr   a test component beside it
#   steer KEY=VALUE...            the components' steering file (pwtest-control.txt)
#   use_password dword N | binary HEX | missing   ScreenSaveUsePassword
#   log_lines TEXT                how many lines of the components' log contain TEXT
#   wait_log TEXT COUNT [SECS]    0 once COUNT lines of that log contain TEXT (default 10 s)
#   running_lines                 the set_saver_running lines of the test build's log, in order
#   verifier_log_sound            0 when every check ran alone and at least 200 ms after the
#                                 previous one ended; prints the number of checks
#
# Colour classes (0-255 channels): blue b>50 and b>r+35 and b>g+35; green and red the
# same with their own channel; white all >230; magenta r>200 b>200 g<60; black all <16.
# The scene's unlit side shows ambient light only: about (23,23,69) or (23,69,23),
# which these classes still count as blue and green.
set -u

KIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
KIT_WINE_RUN=$KIT_ROOT/scripts/wine-run
KIT_PIDS=()
KIT_AT_EXIT=()
KIT_PASSED=0
KIT_FAILED=0
SAVER_CLASS=WindowsScreenSaverClass
# Where programs start and write their output: the current folder until
# kit_init sets the case folder (a script that needs no session, such as a
# benchmark, may set it itself).
CASE_DIR=${CASE_DIR:-.}

# --- session and results ------------------------------------------------------

kit_init() {
  : "${KORV_WINEPREFIX:?KORV_WINEPREFIX must name the Wine prefix}"
  export KORV_WINEPREFIX
  export KORV_WINE_ARCH=${KORV_WINE_ARCH:-x86_64}
  if [ ! -f "$KORV_WINEPREFIX.display" ]; then
    echo "Bail out! no test session for $KORV_WINEPREFIX (scripts/test-session start)" >&2
    exit 1
  fi
  DISPLAY=$(cat "$KORV_WINEPREFIX.display")
  export DISPLAY
  if [ -n "${KORV_SCRATCH:-}" ]; then
    KIT_TMP=$KORV_SCRATCH
    rm -rf "$KIT_TMP"
    mkdir -p "$KIT_TMP" || exit 1
  else
    KIT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/korv-test.XXXXXX") || exit 1
    at_exit rm -rf "$KIT_TMP"
  fi
  CASE_DIR=$KIT_TMP
  CASE_LOG_PATH=
  SAVER=${KORV_SAVER:-}
  cd "$KIT_TMP" || exit 1
  trap kit_cleanup EXIT
  trap 'exit 130' INT TERM
}

at_exit() {
  local command
  printf -v command '%q ' "$@"
  KIT_AT_EXIT+=("$command")
}

kit_cleanup() {
  local pid command
  for pid in "${KIT_PIDS[@]}"; do
    stop_process "$pid"
  done
  for command in "${KIT_AT_EXIT[@]}"; do
    eval "$command"
  done
}

pass() {
  KIT_PASSED=$((KIT_PASSED + 1))
  echo "ok - $1"
}

fail() {
  KIT_FAILED=$((KIT_FAILED + 1))
  echo "FAIL - $1${2:+: $2}"
}

# The end of the logs that tell what the case's programs did.
show_case_logs() {
  local file
  for file in "$CASE_DIR/pwtest.log" "$CASE_DIR/hooks.log" "$CASE_DIR/saver.err"; do
    [ -s "$file" ] || continue
    echo "# --- $(basename "$file") (last 40 lines)"
    tail -n 40 "$file" | tr -d '\r' | sed 's/^/#   /'
  done
}

fail_now() {
  fail "$@"
  show_case_logs
  kit_done
}

note() {
  printf '%s\n' "$*" | sed 's/^/# /'
}

check() {
  local desc=$1
  shift
  if "$@"; then pass "$desc"; else fail "$desc" "command failed: $*"; fi
}

check_eq() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected '$2', got '$3'"; fi
}

kit_done() {
  echo "# $KIT_PASSED passed, $KIT_FAILED failed"
  [ "$KIT_FAILED" -eq 0 ] && [ "$KIT_PASSED" -gt 0 ]
  exit $?
}

# --- programs -------------------------------------------------------------------

wine_run() {
  (cd "$CASE_DIR" && exec "$KIT_WINE_RUN" "$@" </dev/null)
}

probe() {
  local status
  wine_run "$KORV_PROBE" "$@" | tr -d '\r'
  status=${PIPESTATUS[0]}
  return "$status"
}

reg() {
  wine_run reg "$@" >/dev/null 2>&1
}

winpath() {
  probe wine-path "$1"
}

bg_start() {
  local name=$1
  shift
  (cd "$CASE_DIR" && exec "$KIT_WINE_RUN" "$@" </dev/null >"$CASE_DIR/$name.out" 2>"$CASE_DIR/$name.err") &
  BG_PID=$!
  KIT_PIDS+=("$BG_PID")
}

# Sets CASE_LOG_PATH to the test build's log of the case as the program opens
# it (its Windows path), asking Wine once per case.
find_case_log_path() {
  # Asked without the caller's Wine trace, if any: it is the program's, not the probe's.
  [ -n "$CASE_LOG_PATH" ] || CASE_LOG_PATH=$(KORV_WINEDEBUG= winpath "$CASE_DIR/hooks.log")
  [ -n "$CASE_LOG_PATH" ] || fail_now "Wine gives no Windows path for $CASE_DIR/hooks.log"
}

saver_start() {
  : "${SAVER:?SAVER (KORV_SAVER) must name the program under test}"
  local -x KORVANTHEL_TEST_LOG KORVANTHEL_TEST_FAULT
  find_case_log_path
  KORVANTHEL_TEST_LOG=$CASE_LOG_PATH
  [ -n "${SAVER_FAULT:-}" ] && KORVANTHEL_TEST_FAULT=$SAVER_FAULT
  bg_start saver "$SAVER" "$@"
  SAVER_PID=$BG_PID
}

saver_run() {
  : "${SAVER:?SAVER (KORV_SAVER) must name the program under test}"
  local -x KORVANTHEL_TEST_LOG
  find_case_log_path
  KORVANTHEL_TEST_LOG=$CASE_LOG_PATH
  wine_run "$SAVER" "$@" >"$CASE_DIR/saver.out" 2>"$CASE_DIR/saver.err"
}

# The saver measures pointer moves from where the pointer is when its window is
# created: the pointer is parked first, and nothing moves it while the window
# comes up. The focus matters for the keys that xdotool types.
full_screen_start() {
  park_pointer
  saver_start /s
  SAVER_WINDOW=$(wait_window "$SAVER_CLASS" "Screen Saver" 15) || return 1
  wait_focus "Screen Saver"
}

# The handle comes from the probe's own output, not from a search by class:
# a test window of an earlier step may still be on its way out.
parent_start() {
  local name=$1 i
  shift
  bg_start "$name" "$KORV_PROBE" parent "$@"
  PARENT_PID=$BG_PID
  PARENT=
  for i in $(seq 1 200); do
    PARENT=$(head -n 1 "$CASE_DIR/$name.out" 2>/dev/null | tr -d '\r')
    [ -n "$PARENT" ] && return 0
    still_running "$PARENT_PID" || return 1
    sleep 0.05
  done
  return 1
}

still_running() {
  kill -0 "$1" 2>/dev/null
}

# Polls every 50 ms. `wait` collects the exit code of our own child, so this
# is not for a command substitution.
wait_exit() {
  local pid=$1 waited=0 limit_ms
  limit_ms=$(seconds_to_ms "$2")
  while still_running "$pid"; do
    if [ "$waited" -ge "$limit_ms" ]; then
      EXIT_CODE=running
      return 1
    fi
    sleep 0.05
    waited=$((waited + 50))
  done
  wait "$pid" 2>/dev/null
  EXIT_CODE=$?
  return 0
}

stop_process() {
  local pid=$1 i
  still_running "$pid" || { wait "$pid" 2>/dev/null; return 0; }
  kill -TERM "$pid" 2>/dev/null
  for i in 1 2 3 4 5 6 7 8 9 10; do
    still_running "$pid" || break
    sleep 0.05
  done
  still_running "$pid" && kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

seconds_to_ms() {
  awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'
}

# --- windows --------------------------------------------------------------------

wait_window() {
  probe wait-window "$1" "$2" "$(seconds_to_ms "$3")"
}

wait_gone() {
  probe wait-gone "$1" "$(seconds_to_ms "$2")"
}

wait_preview() {
  local parent=$1 waited=0 limit_ms line
  limit_ms=$(seconds_to_ms "$2")
  while [ "$waited" -lt "$limit_ms" ]; do
    line=$(probe children "$parent" "$SAVER_CLASS" Preview | head -n 1)
    if [ -n "$line" ]; then
      echo "${line%% *}"
      return 0
    fi
    sleep 0.1
    waited=$((waited + 100))
  done
  return 1
}

# Wine settles the foreground from X focus events that may come late: a new
# window counts as in front once two looks 0.2 s apart found it there.
wait_front_steady() {
  local i steady=0
  for i in $(seq 30); do
    if [ "$(probe foreground)" = "$1" ]; then steady=$((steady + 1)); else steady=0; fi
    [ $steady -ge 2 ] && return 0
    sleep 0.2
  done
  return 1
}

# Keys typed with xdotool go to the X focus, which Wine moves a second or two
# after the window asked for it.
wait_focus() {
  local i
  for i in $(seq 100); do
    [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

window_field() {
  probe info "$1" | awk -v f="$2" '$1 == f { sub(/^[^ ]* ?/, ""); print; exit }'
}

# --- input and the screen -------------------------------------------------------

xdo() { xdotool "$@" >/dev/null 2>&1; }
pointer_to() { xdo mousemove "$1" "$2"; }
pointer_by() { xdo mousemove_relative -- "$1" "$2"; }
click() { xdo click "${1:-1}"; }
key() { xdo key "$@"; }
park_pointer() { pointer_to 512 384; }
pointer_position() {
  xdotool getmouselocation --shell | awk -F= '$1 == "X" { x = $2 } $1 == "Y" { y = $2 } END { print x, y }'
}

screenshot() {
  import -window "${2:-root}" "$1" 2>/dev/null
}

pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 rgb:- | od -An -v -tu1 | awk '{ print $1, $2, $3 }'
}

colour_counts() {
  convert "$1" -depth 8 rgb:- | od -An -v -tu1 -w3 | awk '
    { r = $1; g = $2; b = $3
      if (b > 50 && b > r + 35 && b > g + 35) blue++
      else if (g > 50 && g > r + 35 && g > b + 35) green++
      else if (r > 50 && r > g + 35 && r > b + 35) red++
      else if (r > 230 && g > 230 && b > 230) white++
      else if (r > 200 && b > 200 && g < 60) magenta++
      else if (r < 16 && g < 16 && b < 16) black++
      else other++ }
    END { printf "blue %d green %d red %d white %d magenta %d other %d black %d\n",
          blue, green, red, white, magenta, other, black }'
}

colour_count() {
  colour_counts "$1" | awk -v c="$2" '{ for (i = 1; i < NF; i += 2) if ($i == c) print $(i + 1) }'
}

x_window_of_size() {
  xwininfo -root -tree | awk -v size="$1x$2" '$1 ~ /^0x/ { for (i = 2; i <= NF; i++) if (index($i, size "+") == 1) { print $1; break } }'
}

frames_change() {
  local a=$KIT_TMP/frames-a.png b=$KIT_TMP/frames-b.png n
  screenshot "$a" || return 1
  sleep 0.3
  screenshot "$b" || return 1
  n=$(compare -metric AE -fuzz 2% "$a" "$b" null: 2>&1 | cut -d' ' -f1)
  [ "${n%.*}" -gt 2000 ] 2>/dev/null
}

# --- cases of the test build with the test components ---------------------------

new_case() {
  CASE_DIR=$KIT_TMP/$1
  CASE_LOG_PATH=
  rm -rf "$CASE_DIR"
  mkdir -p "$CASE_DIR" || fail_now "no case folder $CASE_DIR"
  local name
  if [ "$2" = 98 ]; then
    name=Korv98.scr
    reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /d win98 /f
  else
    name=KorvNT.scr
    reg delete "HKCU\\Software\\Wine\\AppDefaults\\$name" /f
  fi
  : "${KORV_SAVER_TEST:?KORV_SAVER_TEST must name the test build}"
  cp "$KORV_SAVER_TEST" "$CASE_DIR/$name" || fail_now "the test build cannot be copied"
  SAVER=$CASE_DIR/$name
  : >"$CASE_DIR/pwtest-control.txt"
  # A test MPR.DLL beside the program is used only when Wine prefers the native one.
  export WINEDLLOVERRIDES="mscoree,mshtml=;mpr=n"
}

add_component() {
  : "${KORV_COMPONENTS:?KORV_COMPONENTS must name the test components}"
  case $1 in
    verifier) cp "$KORV_COMPONENTS/verify/PASSWORD.CPL" "$CASE_DIR/" ;;
    noexport) cp "$KORV_COMPONENTS/noexport/PASSWORD.CPL" "$CASE_DIR/" ;;
    mpr) cp "$KORV_COMPONENTS/mpr/MPR.DLL" "$CASE_DIR/" ;;
    *) fail_now "no test component $1" ;;
  esac
}

# The components read the file afresh at every call: it is replaced whole.
steer() {
  printf '%s\n' "$@" >"$CASE_DIR/pwtest-control.txt.new"
  mv "$CASE_DIR/pwtest-control.txt.new" "$CASE_DIR/pwtest-control.txt"
}

use_password() {
  local key='HKCU\Control Panel\Desktop'
  case $1 in
    dword) reg add "$key" /v ScreenSaveUsePassword /t REG_DWORD /d "$2" /f ;;
    binary) reg add "$key" /v ScreenSaveUsePassword /t REG_BINARY /d "$2" /f ;;
    missing) reg delete "$key" /v ScreenSaveUsePassword /f ;;
  esac
}

log_lines() { cat "$CASE_DIR/pwtest.log" 2>/dev/null | grep -c -- "$1"; }

wait_log() {
  local i
  for ((i = 0; i < ${3:-10} * 20; i++)); do
    [ "$(log_lines "$1")" -ge "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

running_lines() { cat "$CASE_DIR/hooks.log" 2>/dev/null | tr -d '\r' | grep '^set_saver_running '; }

# Strict enter/exit alternation at depth 0 in the verifier's log lines, and
# 200 ms at least from the end of one check to the start of the next.
verifier_log_sound() {
  tr -d '\r' <"$CASE_DIR/pwtest.log" | awk '
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
