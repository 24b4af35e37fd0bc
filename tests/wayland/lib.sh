# The Wayland tests' part of the shell kit: every Wayland test script sources
# it, and it sources the kit that every shell test shares (tests/kit/lib.sh:
# results, waiting, processes, the scene's colours; its head lists them).
#
#   source "$(dirname "$0")/lib.sh"
#   kit_start
#   start_compositor sway [CONFIG-LINE...]
#   ... checks ...
#   kit_done
#
# Environment (set by the CTest registration):
#   KORVANTHEL    the built program      POINTER_TOOL  the virtual pointer (pointer_tool.cpp)
#   KORV_SCRATCH, KORV_COLOURS           the scratch folder and the colour classifier
#
#   start_compositor sway|weston [ARGS...]
#                                 a headless compositor of the test's own (the compositor
#                                 script: sway with one 1024 x 768 output HEADLESS-1 and the
#                                 config lines given), its environment exported; stopped at the end
#   start_compositor nested [CONFIG-LINE...]
#                                 a sway whose outputs (WL-1, ...) are windows of the sway
#                                 started before, which it takes the place of; that one's IPC
#                                 socket stays in PARENT_SWAYSOCK
#   sway_do COMMAND...            swaymsg COMMAND; fails when sway refuses it
#   start NAME ARGS...            runs the program (spawn: NAME.out, NAME.err); its pid in PID_NAME
#   expect_end NAME END           waits for the program's end and requires END: "exit N" or
#                                 "signal N" (the program never exits above 128 itself)
#   output_rect NAME              "X Y W H" of a sway output in the layout
#   region_colours X Y W H        the colour counts of that part of a fresh picture of the
#                                 whole layout (grim)
#   scene_on OUTPUT               the whole scene on that output within PATIENCE
#   colour_pixels '#RRGGBB'       how many pixels of exactly that colour a fresh picture shows
#   pointer_start                 a virtual pointer on the seat (pointer_tool), held until the end
#   pointer_do COMMAND            sends it a command (wait MS, move DX DY, click) and waits until done
#   press KEY                     a key typed from a virtual keyboard (wtype), after 300 ms
#                                 (the time a client takes to bind a keyboard that appears)
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/../kit/lib.sh"
WAYLAND_KIT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

start_compositor() {
  # The compositor's folder is its XDG_RUNTIME_DIR: short, for the socket's path.
  local folder
  folder=$(mktemp -u /tmp/korv-wl.XXXXXX)
  at_exit "$WAYLAND_KIT/compositor" stop "$folder"
  if [ "$1" = nested ]; then
    PARENT_SWAYSOCK=$SWAYSOCK
    set -- nested "$COMPOSITOR" "${@:2}"
  fi
  "$WAYLAND_KIT/compositor" start "$folder" "$@" || fail_now "the compositor did not start"
  COMPOSITOR=$folder
  unset DISPLAY
  # shellcheck disable=SC1091
  . "$COMPOSITOR/env"
  on_failure sed 's/^/compositor: /' "$COMPOSITOR/log"
}

sway_do() { swaymsg "$@" >/dev/null; }

start() {
  local name=$1
  shift
  spawn "$name" "$KORVANTHEL" "$@"
  printf -v "PID_${name//-/_}" '%s' "$SPAWN_PID"
  on_failure sh -c "tail -n 20 '$KIT_TMP/$name.err' | sed 's/^/$name: /'"
}

expect_end() {
  local name=$1 want=$2 pid_var="PID_${1//-/_}" got
  wait_exit "${!pid_var}" "$PATIENCE" || fail_now "$name still running after $PATIENCE s"
  if [ "$EXIT_CODE" -gt 128 ]; then got="signal $((EXIT_CODE - 128))"; else got="exit $EXIT_CODE"; fi
  [ "$got" = "$want" ] || fail_now "$name ended with '$got', wanted '$want'; stderr: $(cat "$KIT_TMP/$name.err")"
}

output_rect() {
  swaymsg -t get_outputs -r | jq -r --arg name "$1" '.[] | select(.name == $name) | .rect | "\(.x) \(.y) \(.width) \(.height)"'
}

region_colours() {
  grim "$KIT_TMP/layout.png" && scene_colours "$KIT_TMP/layout.png[$3x$4+$1+$2]"
}

scene_on() {
  local rect
  rect=$(output_rect "$1")
  [ -n "$rect" ] || { note "no output $1"; return 1; }
  # shellcheck disable=SC2086
  wait_for_scene "$PATIENCE" "blue 50 green 50 red 20 white 5" region_colours $rect
}

colour_pixels() {
  grim "$KIT_TMP/layout.png" &&
    convert "$KIT_TMP/layout.png" -fill black +opaque "$1" -fill white -opaque "$1" -format '%[fx:round(mean*w*h)]' info:
}

pointer_start() {
  mkfifo "$KIT_TMP/pointer.in"
  ("$POINTER_TOOL" <"$KIT_TMP/pointer.in" >"$KIT_TMP/pointer.out" 2>"$KIT_TMP/pointer.err") &
  KIT_PIDS+=("$!")
  exec 7>"$KIT_TMP/pointer.in"
  POINTER_DONE=0
}

pointer_do() {
  echo "$*" >&7
  POINTER_DONE=$((POINTER_DONE + 1))
  wait_until "$PATIENCE" pointer_answered || fail_now "the virtual pointer did not do '$*': $(cat "$KIT_TMP/pointer.err")"
}

pointer_answered() { [ "$(grep -c '^ok$' "$KIT_TMP/pointer.out")" -ge "$POINTER_DONE" ]; }

press() { wtype -s 300 -k "$1"; }
