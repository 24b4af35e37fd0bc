# The Linux edition's part of the shell kit: every system-test script of the
# Linux edition sources it, and it sources the kit that every shell test shares
# (tests/kit/lib.sh: results, waiting, processes, the scene's colours; its head
# lists them).
#
#   source "$(dirname "$0")/lib.sh"
#   kit_init                       (the fixture's display, then kit_start)
#   ... checks ...
#   kit_done
#
# Environment (set by the CTest registration, korv_x11_test):
#   KORVANTHEL   the built program         X11_TOOL  the test client (x11_tool.cpp)
#   FIXTURE      the fixture directory whose display the test uses (xvfb.display in it)
#   KORV_SCRATCH, KORV_COLOURS   the scratch folder and the colour classifier
#
#   start NAME ARGS...            runs the program under the test client, which writes how it
#                                 ended ("exit N" or "signal N") to $KIT_TMP/NAME.end; its pid is
#                                 in NAME.out (pid_of NAME), its standard error in NAME.err
#   pid_of NAME                   the program's pid
#   ended NAME                    0 once the program has ended and its end is written
#   expect_end NAME END           waits for the end ("exit 0", "signal 15") and requires it
#   colours WINDOW [X Y W H]      the colour counts of a window (or a region of it), as the X
#                                 server has it
#   scene_seen WINDOW [X Y W H]   the scene in that window: wait_for_scene on its frames
#   drawn_in WINDOW X Y W H       0 once some frame puts scene pixels (blue, green, red) there
#   own_window                    the id of the program's own window, titled Korvanthel
#   no_own_window                 0 when no window titled Korvanthel exists
#   root_window                   the id of the root window
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../kit/lib.sh"

# Uses the fixture's display, then starts the test (kit_start). The program
# takes the X11 road: WAYLAND_DISPLAY (a Wayland session's) is unset.
kit_init() {
  : "${FIXTURE:?FIXTURE must name the fixture directory}"
  DISPLAY=$(cat "$FIXTURE/xvfb.display")
  export DISPLAY
  unset WAYLAND_DISPLAY
  kit_start
}

# Runs the program under the test client.
start() {
  local name=$1
  shift
  spawn "$name" "$X11_TOOL" run "$KIT_TMP/$name.end" "$KORVANTHEL" "$@"
  wait_until "$PATIENCE" test -s "$KIT_TMP/$name.out" || fail_now "$name did not start"
  KIT_PIDS+=("$(pid_of "$name")")
}

# The program's pid.
pid_of() { cat "$KIT_TMP/$1.out"; }

# 0 once the program has ended and its end is written.
ended() { [ -s "$KIT_TMP/$1.end" ]; }

# Waits for the program's end and requires it to be END.
expect_end() {
  wait_until "$PATIENCE" ended "$1" || fail_now "$1 still running after $PATIENCE s"
  local got
  got=$(cat "$KIT_TMP/$1.end")
  [ "$got" = "$2" ] || fail_now "$1 ended with '$got', wanted '$2'; stderr: $(cat "$KIT_TMP/$1.err")"
}

# The colour counts of a window or a region of it.
colours() { "$X11_TOOL" colours "$@"; }

# The whole scene in a window within PATIENCE.
scene_seen() {
  wait_for_scene "$PATIENCE" "blue 50 green 50 red 20 white 5" colours "$@"
}

# Scene pixels in a region of a window within PATIENCE.
drawn_in() {
  wait_until "$PATIENCE" counted blue+green+red 100 colours "$@" && return 0
  note "nothing drawn in $*: $(colours "$@" 2>&1 || true)"
  return 1
}

# The program's own window.
own_window() { "$X11_TOOL" find Korvanthel; }

# 0 when no window titled Korvanthel exists.
no_own_window() { ! own_window >/dev/null; }

# The root window.
root_window() { xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p'; }
