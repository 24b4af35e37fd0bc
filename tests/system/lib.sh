# Shared kit for the system tests: the real program under Wine on the test
# session's private X server. Source it from a bash test script:
#
#   . "$(dirname "$0")/../system/lib.sh"      (or ./lib.sh from tests/system)
#   kit_init
#   ... checks ...
#   kit_done                                   (exit 1 if any check failed)
#
# Environment (set by the CTest registration):
#   KORV_WINEPREFIX, KORV_WINE_ARCH   the prefix and loader (scripts/wine-run);
#                                     the display is read from "$KORV_WINEPREFIX.display",
#                                     written by `scripts/test-session start`
#   KORV_PROBE                        path of korv_probe.exe (Win32 helper)
#   KORV_SAVER                        path of the program under test (optional here)
#
# Functions:
#   kit_init                      checks the session, sets DISPLAY, makes $KIT_TMP, installs
#                                 the cleanup trap (kills every process started with bg_start)
#   wine_run PROGRAM ARGS...      runs a Windows program in the foreground; its exit code
#   probe SUBCOMMAND ARGS...      runs korv_probe (CRs stripped); `probe help` lists subcommands
#   bg_start NAME PROGRAM ARGS... starts a Windows program in the background; sets BG_PID;
#                                 stdout/stderr go to $KIT_TMP/NAME.out / NAME.err
#   saver_start ARGS...           bg_start saver "$KORV_SAVER" ARGS...; sets SAVER_PID
#   parent_start NAME ARGS...     a test window: `korv_probe parent ARGS...` in the background;
#                                 sets PARENT (the handle it prints) and PARENT_PID
#   wait_exit PID SECONDS         waits for the process to end; on success sets EXIT_CODE
#                                 and returns 0, else returns 1 (process still running)
#   still_running PID             0 while the process runs
#   stop_process PID              ends one process started here (TERM, then KILL)
#   wait_window CLASS TITLE SECS  prints the handle of a visible window ("-" = any)
#   wait_gone HWND SECONDS        0 once the handle names no window
#   (probe subcommands: find, wait, gone, info, foreground, activate, waitfg, children, toplevel,
#    deadhandle, parent, post, send, command, regget, hasres; `probe help` for arguments)
#   window_field HWND FIELD       one field of `probe info` (visible, foreground, class,
#                                 title, rect, client, parent, owner, style, exstyle, pid...)
#   pointer_to X Y, pointer_by DX DY, click [BUTTON], key KEY...
#                                 real input through plain xdotool (never --window)
#   pointer_position              prints "X Y"
#   screenshot FILE [XID]         the root window (or X window XID) as a PNG
#   pixel FILE X Y                prints "R G B" (0-255)
#   colour_counts FILE            prints "blue N green N red N white N magenta N other N black N"
#   colour_count FILE CLASS       the number of pixels of one class of colour_counts
#   x_window_of_size W H          X window ids (hex) in the root tree with exactly this size
#   check DESC COMMAND...         runs COMMAND; "ok - DESC" or "FAIL - DESC"
#   check_eq DESC EXPECTED ACTUAL compares two strings
#   pass DESC / fail DESC [WHY]   records a result directly
#   note TEXT                     prints "# TEXT"
#   kit_done                      prints the summary, exits 0 only if nothing failed
#
# Colour classes (0-255 channels): blue b>50 and b>r+35 and b>g+35; green and red the
# same with their own channel; white all >230; magenta r>200 b>200 g<60; black all <16.
# The scene's unlit side shows ambient light only: about (23,23,69) or (23,69,23),
# which these classes still count as blue and green.

KIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
KIT_WINE_RUN=$KIT_ROOT/scripts/wine-run
KIT_PIDS=()
KIT_PASSED=0
KIT_FAILED=0

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
  KIT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/korv-system.XXXXXX")
  trap kit_cleanup EXIT
  trap 'exit 130' INT TERM
}

kit_cleanup() {
  local pid
  for pid in "${KIT_PIDS[@]}"; do
    stop_process "$pid"
  done
  [ -n "${KIT_KEEP_TMP:-}" ] || rm -rf "$KIT_TMP"
}

wine_run() {
  "$KIT_WINE_RUN" "$@" </dev/null
}

probe() {
  local status
  "$KIT_WINE_RUN" "$KORV_PROBE" "$@" </dev/null | tr -d '\r'
  status=${PIPESTATUS[0]}
  return "$status"
}

bg_start() {
  local name=$1
  shift
  "$KIT_WINE_RUN" "$@" </dev/null >"$KIT_TMP/$name.out" 2>"$KIT_TMP/$name.err" &
  BG_PID=$!
  KIT_PIDS+=("$BG_PID")
}

saver_start() {
  : "${KORV_SAVER:?KORV_SAVER must name the program under test}"
  bg_start saver "$KORV_SAVER" "$@"
  SAVER_PID=$BG_PID
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
    PARENT=$(head -n 1 "$KIT_TMP/$name.out" 2>/dev/null | tr -d '\r')
    [ -n "$PARENT" ] && return 0
    still_running "$PARENT_PID" || return 1
    sleep 0.05
  done
  return 1
}

still_running() {
  kill -0 "$1" 2>/dev/null
}

# Polls every 50 ms. `wait` collects the exit code of our own child.
wait_exit() {
  local pid=$1 limit=$2 waited=0 step=50
  local limit_ms
  limit_ms=$(awk -v s="$limit" 'BEGIN { printf "%d", s * 1000 }')
  while still_running "$pid"; do
    if [ "$waited" -ge "$limit_ms" ]; then return 1; fi
    sleep 0.05
    waited=$((waited + step))
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

wait_window() {
  probe wait "$1" "$2" "$(seconds_to_ms "$3")"
}

wait_gone() {
  probe gone "$1" "$(seconds_to_ms "$2")" >/dev/null
}

window_field() {
  probe info "$1" | awk -v f="$2" '$1 == f { sub(/^[^ ]* ?/, ""); print; exit }'
}

pointer_to() { xdotool mousemove "$1" "$2"; }
pointer_by() { xdotool mousemove_relative -- "$1" "$2"; }
click() { xdotool click "${1:-1}"; }
key() { xdotool key "$@"; }
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

pass() {
  KIT_PASSED=$((KIT_PASSED + 1))
  echo "ok - $1"
}

fail() {
  KIT_FAILED=$((KIT_FAILED + 1))
  echo "FAIL - $1${2:+: $2}"
}

note() {
  echo "# $*"
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
