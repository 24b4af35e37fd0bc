# Shared by the Linux edition's system tests (sourced). Expects
#   KORVANTHEL  the built program      X11_TOOL  the test client
#   FIXTURE     the fixture directory whose display the test uses
set -euo pipefail
export DISPLAY
DISPLAY=$(cat "$FIXTURE/display")
work=$(mktemp -d "${TMPDIR:-/tmp}/korv-x11-test.XXXXXX")
started=()  # pids of the programs this test started

cleanup() {
  for pid in "${started[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# True while the process runs; a zombie has ended.
alive() {
  [ -e "/proc/$1" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$1/stat" 2>/dev/null
}

# wait_until SECONDS COMMAND...: polls every 50 ms, whole seconds.
wait_until() {
  local steps=$(($1 * 20))
  shift
  for _ in $(seq "$steps"); do
    "$@" && return 0
    sleep 0.05
  done
  "$@"
}

# start NAME ARGS...: runs the program under the test client, which writes
# how it ended to $work/NAME.end; the program's pid goes to $work/NAME.pid
# and its standard error to $work/NAME.err.
start() {
  local name=$1
  shift
  "$X11_TOOL" run "$work/$name.end" "$KORVANTHEL" "$@" >"$work/$name.pid" 2>"$work/$name.err" &
  wait_until 5 test -s "$work/$name.pid" || fail "$name did not start"
  started+=("$(cat "$work/$name.pid")")
}

pid_of() { cat "$work/$1.pid"; }

# ended NAME: true once the program has ended and its end is written.
ended() { [ -s "$work/$1.end" ]; }

# expect_end NAME SECONDS "exit 0"|"signal 15": the program ends so in time.
expect_end() {
  wait_until "$2" ended "$1" || fail "$1 still running after $2 s"
  local got
  got=$(cat "$work/$1.end")
  [ "$got" = "$3" ] || fail "$1 ended with '$got', wanted '$3'; stderr: $(cat "$work/$1.err")"
}

# The counts "blue N green N red N white N black N other N" of a window region.
colours() { "$X11_TOOL" colours "$@"; }
count_of() { # count_of COLOUR "counts...": 0 when the counts are missing
  local colour=$1 counts=$2 n
  n=$(echo "$counts" | sed -n "s/.*\\b$colour \\([0-9]*\\).*/\\1/p")
  echo "${n:-0}"
}

# scene_seen WINDOW [X Y W H]: within 5 s some frames show every colour of
# the scene (the sheets hide the cone and the marker in some frames).
scene_seen() {
  local seen_blue=0 seen_green=0 seen_red=0 seen_white=0 counts
  for _ in $(seq 50); do
    counts=$(colours "$@" 2>/dev/null) || counts=""
    [ "$(count_of blue "$counts")" -gt 50 ] && seen_blue=1
    [ "$(count_of green "$counts")" -gt 50 ] && seen_green=1
    [ "$(count_of red "$counts")" -gt 20 ] && seen_red=1
    [ "$(count_of white "$counts")" -gt 5 ] && seen_white=1
    [ $((seen_blue + seen_green + seen_red + seen_white)) -eq 4 ] && return 0
    sleep 0.1
  done
  echo "last counts: $counts (blue $seen_blue green $seen_green red $seen_red white $seen_white)" >&2
  return 1
}

# drawn_in WINDOW X Y W H: within 5 s some frame puts scene pixels there.
drawn_in() {
  local counts
  for _ in $(seq 50); do
    counts=$(colours "$@" 2>/dev/null) || counts=""
    [ $(($(count_of blue "$counts") + $(count_of green "$counts") + $(count_of red "$counts"))) -gt 100 ] &&
      return 0
    sleep 0.1
  done
  echo "nothing drawn in $*: $counts" >&2
  return 1
}

own_window() { "$X11_TOOL" find Korvanthel; }
