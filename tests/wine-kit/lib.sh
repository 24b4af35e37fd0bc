# The Windows part of the shell kit: every Windows system-test script sources
# it, and it sources the kit that every shell test shares (tests/kit/lib.sh:
# results, waiting, processes, the scene's colours; its head lists them). The
# programs run under Wine on the test session's private X server
# (scripts/test-session); korv_probe does what needs the Windows side.
#
#   . "$(dirname "$0")/../wine-kit/lib.sh"
#   kit_init                       (the session's display, then kit_start)
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
#   KORV_SCRATCH, KORV_COLOURS        the scratch folder and the colour classifier (tests/kit/lib.sh)
#
# A failed test shows the end of its case's logs (pwtest.log, hooks.log, saver.err).
#
# Programs (each starts in the case folder $CASE_DIR, stdin from /dev/null):
#   wine_run PROGRAM ARGS...      runs a Windows program to its end; its exit code is the status
#   probe COMMAND ARGS...         runs korv_probe (CRs stripped); `probe help` lists its commands
#   reg ARGS...                   Wine's reg, quietly; its exit code is the status
#   winpath PATH                  prints the Windows path of a Unix path (Z:\...), as Wine maps it
#   bg_start NAME PROGRAM ARGS... starts a Windows program in the background (spawn); sets
#                                 BG_PID; stdout/stderr go to $CASE_DIR/NAME.out and NAME.err
#   saver_start ARGS...           starts the program under test, $SAVER ($KORV_SAVER unless a
#                                 case chose another), in the background; sets SAVER_PID. Its
#                                 test log is $CASE_DIR/hooks.log; SAVER_FAULT=N asks the test
#                                 build for a fault in frame N; output in saver.out, saver.err
#   saver_run ARGS...             the same, run to its end; its exit code is the status
#   full_screen_start [X Y]       park_pointer (or the pointer to X Y), saver_start /s, then
#                                 waits until its window exists (sets SAVER_WINDOW) and has
#                                 the keyboard focus
#   end_full_screen               ends a full-screen run that a step left running: a key
#                                 press, as a user would (stopped outright if it stays)
#   check_closes DESC             a check: the full-screen run ends with exit code 0 and its
#                                 window goes
#   parent_start NAME ARGS...     a test window: `korv_probe parent ARGS...` in the background;
#                                 sets PARENT (the handle it prints) and PARENT_PID
#   (every process started with bg_start is stopped when the test ends)
#
# Windows (handles are decimal, as korv_probe prints them):
#   wait_window CLASS TITLE SECS  prints the handle of a visible window ("-" = any) once there
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
#   screen_colours                a counter for wait_for_scene: screenshots the screen into
#                                 $KIT_TMP/screen-N.png (N counts up) and prints its colour counts
#   preview_colours W H           a counter for wait_for_scene: captures the X windows of that
#                                 size (Wine draws a child window's OpenGL into one) and prints
#                                 their colour counts summed; PREVIEW_XID is then the one that
#                                 showed the surface
#   x_window_of_size W H          X window ids (hex) in the root tree with exactly this size
#   x_window_sizes PATTERN        "W H" of each X window whose line in the root tree matches
#                                 the extended regular expression ('"Korv probe parent"': the
#                                 test parent, which Wine names after its title)
#   x_gl_child_sizes              "W H" of each offscreen X window that Wine draws a child
#                                 window's OpenGL into (under the 1 x 1 placeholder at -1,-1)
#   frames_change [XID [PIXELS]]  0 once a capture of the screen (or of X window XID) differs
#                                 from the one taken first in more than PIXELS pixels (2000)
#
# Several monitors (a session on scripts/two-heads; Windows' coordinates are the virtual
# screen's, X's start at its top left corner):
#   read_monitors                 `probe monitors`: sets VIRTUAL_RECT ("L T R B"), MONITOR_COUNT
#                                 and MONITOR_RECTS (lines "L T R B primary|secondary", sorted)
#   root_point X Y                prints the X root coordinates of a point of the virtual screen
#                                 (after read_monitors)
#   region_colours X Y W H        a counter for wait_for_scene: screenshots the screen into
#                                 $KIT_TMP/region-N.png (N counts up) and prints the colour
#                                 counts of that rectangle of it (X root coordinates)
#
# Cases of the test build with the test components (the password proofs, the fault guard):
#   new_case NAME FAMILY          a fresh case folder $KIT_TMP/NAME with the test build in it,
#                                 as Korv98.scr (FAMILY 98: Wine reports Windows 98 for it) or
#                                 KorvNT.scr (FAMILY nt); $SAVER is then that copy
#   add_component verifier|noexport|mpr   a test component beside it
#   steer KEY=VALUE...            the components' steering file (pwtest-control.txt)
#   use_password dword N | binary HEX | missing   ScreenSaveUsePassword
#   log_lines TEXT                how many lines of the components' log contain TEXT
#   wait_log TEXT COUNT [SECS]    0 once COUNT lines of that log contain TEXT (default PATIENCE)
#   running_lines                 the set_saver_running lines of the test build's log, in order
#   verifier_log_sound            0 when every check ran alone and at least 200 ms after the
#                                 previous one ended; prints the number of checks
#
set -u
. "$(dirname "${BASH_SOURCE[0]}")/../kit/lib.sh"

KIT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
KIT_WINE_RUN=$KIT_ROOT/scripts/wine-run
SAVER_CLASS=WindowsScreenSaverClass

# --- the session ----------------------------------------------------------------

# Finds the test session's display, then starts the test (kit_start).
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
  kit_start
  CASE_LOG_PATH=
  SAVER=${KORV_SAVER:-}
  on_failure show_case_logs
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

# --- programs -------------------------------------------------------------------

# Runs a Windows program to its end.
wine_run() {
  (cd "$CASE_DIR" && exec "$KIT_WINE_RUN" "$@" </dev/null)
}

# Runs korv_probe; its exit code is the status.
probe() {
  local status
  wine_run "$KORV_PROBE" "$@" | tr -d '\r'
  status=${PIPESTATUS[0]}
  return "$status"
}

# Wine's reg, quietly.
reg() {
  wine_run reg "$@" >/dev/null 2>&1
}

# The Windows path of a Unix path.
winpath() {
  probe wine-path "$1"
}

# Starts a Windows program in the background.
bg_start() {
  local name=$1
  shift
  spawn "$name" "$KIT_WINE_RUN" "$@"
  BG_PID=$SPAWN_PID
}

# Sets CASE_LOG_PATH to the test build's log of the case as the program opens
# it (its Windows path), asking Wine once per case.
find_case_log_path() {
  # Asked without the caller's Wine trace, if any: it is the program's, not the probe's.
  [ -n "$CASE_LOG_PATH" ] || CASE_LOG_PATH=$(KORV_WINEDEBUG= winpath "$CASE_DIR/hooks.log")
  [ -n "$CASE_LOG_PATH" ] || fail_now "Wine gives no Windows path for $CASE_DIR/hooks.log"
}

# Starts the program under test in the background.
saver_start() {
  : "${SAVER:?SAVER (KORV_SAVER) must name the program under test}"
  local -x KORVANTHEL_TEST_LOG KORVANTHEL_TEST_FAULT
  find_case_log_path
  KORVANTHEL_TEST_LOG=$CASE_LOG_PATH
  [ -n "${SAVER_FAULT:-}" ] && KORVANTHEL_TEST_FAULT=$SAVER_FAULT
  bg_start saver "$SAVER" "$@"
  SAVER_PID=$BG_PID
}

# Runs the program under test to its end.
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
  if [ $# -eq 2 ]; then pointer_to "$1" "$2"; else park_pointer; fi
  saver_start /s
  SAVER_WINDOW=$(wait_window "$SAVER_CLASS" "Screen Saver" "$PATIENCE") || return 1
  wait_focus "Screen Saver"
}

# Ends a run that a test left running: a key press, as a user would.
end_full_screen() {
  still_running "$SAVER_PID" && key space
  wait_exit "$SAVER_PID" "$PATIENCE" || stop_process "$SAVER_PID"
}

# check_closes DESC: the run ends with exit code 0 and its window goes.
check_closes() {
  if wait_exit "$SAVER_PID" "$PATIENCE"; then
    check_eq "$1 ends the saver with exit code 0" 0 "$EXIT_CODE"
    check "$1: the saver window is gone" wait_gone "$SAVER_WINDOW" "$PATIENCE"
  else
    fail "$1 ends the saver"
    stop_process "$SAVER_PID"
  fi
}

# The first line of a test window's output: the handle it prints.
printed_handle() {
  PARENT=$(head -n 1 "$CASE_DIR/$1.out" 2>/dev/null | tr -d '\r')
  [ -n "$PARENT" ] || ! still_running "$PARENT_PID"
}

# The handle comes from the probe's own output, not from a search by class:
# a test window of an earlier step may still be on its way out.
parent_start() {
  local name=$1
  shift
  bg_start "$name" "$KORV_PROBE" parent "$@"
  PARENT_PID=$BG_PID
  PARENT=
  wait_until "$PATIENCE" printed_handle "$name"
  [ -n "$PARENT" ]
}

# --- windows --------------------------------------------------------------------

# Prints the handle of a visible window once there.
wait_window() {
  probe wait-window "$1" "$2" "$(seconds_to_ms "$3")"
}

# 0 once the handle names no window.
wait_gone() {
  probe wait-gone "$1" "$(seconds_to_ms "$2")"
}

# The saver's preview window inside PARENT, if there is one: sets PREVIEW.
preview_inside() {
  PREVIEW=$(probe children "$1" "$SAVER_CLASS" Preview | head -n 1)
  PREVIEW=${PREVIEW%% *}
  [ -n "$PREVIEW" ]
}

# Prints the handle of the saver's preview window inside PARENT once there.
wait_preview() {
  wait_until "$2" preview_inside "$1" || return 1
  echo "$PREVIEW"
}

# One look at the foreground for wait_front_steady: counts the looks in a row
# that found the window there.
front_look() {
  if [ "$(probe foreground)" = "$1" ]; then FRONT_LOOKS=$((FRONT_LOOKS + 1)); else FRONT_LOOKS=0; fi
  [ "$FRONT_LOOKS" -ge 2 ] && return 0
  sleep 0.15
  return 1
}

# Wine settles the foreground from X focus events that may come late: a new
# window counts as in front once two looks 0.2 s apart found it there.
wait_front_steady() {
  FRONT_LOOKS=0
  wait_until "$PATIENCE" front_look "$1"
}

# 0 when the X keyboard focus is on the window with that title.
focus_on() {
  [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]
}

# Keys typed with xdotool go to the X focus, which Wine moves a second or two
# after the window asked for it.
wait_focus() {
  wait_until "$PATIENCE" focus_on "$1"
}

# One field of `probe info`.
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

# The root window (or X window XID) as a PNG.
screenshot() {
  import -window "${2:-root}" "$1" 2>/dev/null
}

# One pixel of a PNG as "R G B".
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 rgb:- | od -An -v -tu1 | awk '{ print $1, $2, $3 }'
}

# A counter for wait_for_scene: one screenshot of the screen, its colour counts.
screen_colours() {
  SCREEN_SHOTS=$((${SCREEN_SHOTS:-0} + 1))
  screenshot "$KIT_TMP/screen-$SCREEN_SHOTS.png" && scene_colours "$KIT_TMP/screen-$SCREEN_SHOTS.png"
}

# A counter for wait_for_scene: the X windows of a preview's size captured,
# their colour counts summed; PREVIEW_XID names the one that showed the surface.
preview_colours() {
  local xid counts class line=""
  local -A sum=()
  for xid in $(x_window_of_size "$1" "$2"); do
    screenshot "$KIT_TMP/preview-$xid.png" "$xid" || continue
    counts=$(scene_colours "$KIT_TMP/preview-$xid.png") || continue
    [ "$(count_of blue+green "$counts")" -gt 0 ] && PREVIEW_XID=$xid
    for class in blue green red white black other; do sum[$class]=$((${sum[$class]:-0} + $(count_of "$class" "$counts"))); done
  done
  for class in blue green red white black other; do line+="$class ${sum[$class]:-0} "; done
  echo "${line% }"
}

# X window ids (hex) in the root tree with exactly this size.
x_window_of_size() {
  xwininfo -root -tree | awk -v size="$1x$2" '$1 ~ /^0x/ { for (i = 2; i <= NF; i++) if (index($i, size "+") == 1) { print $1; break } }'
}

# "W H" of each X window whose line in the root tree matches the pattern.
x_window_sizes() {
  xwininfo -root -tree | grep -E -- "$1" | grep -oE ' [0-9]+x[0-9]+\+' | head -n 1000 | tr -d ' +' | tr x ' '
}

# "W H" of each offscreen X window of a child's OpenGL: the windows whose
# place on the screen is -1,-1, the placeholder itself (1 x 1) left out.
x_gl_child_sizes() {
  x_window_sizes ' \+-1\+-1$' | grep -vx '1 1'
}

# 0 when a new capture differs from FIRST in more than PIXELS pixels.
capture_differs() {
  local first=$1 xid=$2 pixels=$3 n
  screenshot "$KIT_TMP/frames-b.png" "$xid" || return 1
  n=$(compare -metric AE -fuzz 2% "$first" "$KIT_TMP/frames-b.png" null: 2>&1 | cut -d' ' -f1)
  [ "${n%.*}" -gt "$pixels" ] 2>/dev/null
}

# The program draws new frames: a capture taken now and one taken later differ.
frames_change() {
  local xid=${1:-root}
  screenshot "$KIT_TMP/frames-a.png" "$xid" || return 1
  wait_until "$PATIENCE" capture_differs "$KIT_TMP/frames-a.png" "$xid" "${2:-2000}"
}

# --- several monitors ------------------------------------------------------------

# What Windows says about the screens.
read_monitors() {
  local seen
  seen=$(probe monitors) || return 1
  VIRTUAL_RECT=$(awk '$1 == "virtual" { print $2, $3, $4, $5 }' <<<"$seen")
  MONITOR_COUNT=$(awk '$1 == "count" { print $2 }' <<<"$seen")
  MONITOR_RECTS=$(awk '$1 == "monitor" { $1 = ""; sub(/^ /, ""); print }' <<<"$seen" | sort)
  [ -n "$VIRTUAL_RECT" ]
}

# Wine puts the virtual screen's top left corner at the X root's origin.
root_point() {
  local left top _
  read -r left top _ <<<"$VIRTUAL_RECT"
  echo "$(($1 - left)) $(($2 - top))"
}

# A counter for wait_for_scene: one rectangle of one screenshot of the screen.
region_colours() {
  REGION_SHOTS=$((${REGION_SHOTS:-0} + 1))
  local shot=$KIT_TMP/region-$REGION_SHOTS.png
  screenshot "$shot" || return 1
  scene_colours "$shot[$3x$4+$1+$2]"  # ImageMagick reads that rectangle of the file
}

# --- cases of the test build with the test components ---------------------------

# A fresh case folder with the test build in it.
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

# A test component beside the case's program.
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

# Sets (or removes) ScreenSaveUsePassword.
use_password() {
  local key='HKCU\Control Panel\Desktop'
  case $1 in
    dword) reg add "$key" /v ScreenSaveUsePassword /t REG_DWORD /d "$2" /f ;;
    binary) reg add "$key" /v ScreenSaveUsePassword /t REG_BINARY /d "$2" /f ;;
    missing) reg delete "$key" /v ScreenSaveUsePassword /f ;;
  esac
}

# How many lines of the components' log contain TEXT.
log_lines() { cat "$CASE_DIR/pwtest.log" 2>/dev/null | grep -c -- "$1"; }

# 0 when at least COUNT lines of the components' log contain TEXT.
log_has() { [ "$(log_lines "$1")" -ge "$2" ]; }

# Waits until COUNT lines of the components' log contain TEXT.
wait_log() {
  wait_until "${3:-$PATIENCE}" log_has "$1" "$2"
}

# The set_saver_running lines of the test build's log.
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
