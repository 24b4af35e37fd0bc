# The shell kit of every test script: results, waiting, processes and the
# scene's colours. The Windows tests source it through tests/wine-kit/lib.sh,
# the Linux edition's through tests/x11-system/lib.sh (each harness's kit_init
# calls kit_start); a test that needs neither sources it alone:
#
#   . "$(dirname "$0")/../kit/lib.sh"
#   kit_start
#   ... checks ...
#   kit_done                      (exit 1 if a check failed, or if none passed)
#
# Environment:
#   KORV_SCRATCH    the test's scratch folder, emptied by kit_start and kept afterwards
#                   (without it: a temporary folder, removed at the end); an absolute
#                   path at least two levels below /, without . or .. parts, that holds
#                   neither the current folder, HOME nor the kit and lies outside the
#                   tests' sources: any other value ends the test before anything is
#                   removed. Every harness's scratch folder is made here: the browser
#                   tests' Python runs on kit_results
#   KORV_COLOURS    the colour classifier (scene_colours, built in the build tree)
#
# Results (TAP-like lines on stdout):
#   check DESC COMMAND...         runs COMMAND; "ok - DESC" or "FAIL - DESC"
#   check_eq DESC EXPECTED ACTUAL compares two strings
#   pass DESC                     records a success
#   fail DESC [WHY]               records a failure and goes on
#   fail_now DESC [WHY]           records a failure and ends the test (for a step that the
#                                 rest depends on; not from a subshell)
#   note TEXT                     prints TEXT, each line after "# "
#   at_exit COMMAND...            runs COMMAND when the test ends, whatever the way (the last
#                                 queued first)
#   on_failure COMMAND...         runs COMMAND when the test ends failed (to show logs)
#   kit_done                      prints the summary and ends the test
#   kit_cases "$@"                for a script of cases (a function case_NAME each, run as
#                                 `SCRIPT NAME`): with --cases lists them and exits; ends the
#                                 test at once when no case of that name exists
#   kit_results COMMAND...        a test program of another language (program_test.sh runs
#                                 one): COMMAND runs in the scratch folder with KIT_TMP and
#                                 PATIENCE in its environment; the lines it prints that begin
#                                 "ok - " or "FAIL - " are this test's results, the others are
#                                 printed as they are; an exit code other than 0 is a failure
#
# Waiting: a wait returns as soon as its condition holds; its limit only catches a
# hang, so it is generous. PATIENCE (60 s) is the limit for what normally takes a moment.
#   wait_until SECONDS COMMAND... 0 once COMMAND succeeds (tried every 50 ms), 1 once SECONDS
#                                 (fractions allowed) passed without it
#   seconds_to_ms SECONDS         prints the milliseconds
#
# Processes (each starts in $CASE_DIR, stdin from /dev/null):
#   spawn NAME COMMAND...         starts COMMAND in the background; sets SPAWN_PID; its output
#                                 goes to $CASE_DIR/NAME.out and NAME.err; stopped at the end
#   still_running PID             0 while the process runs (a zombie has ended)
#   wait_exit PID SECONDS         waits for the process to end: 0 and EXIT_CODE set to its exit
#                                 code (of a child of this shell), or 1 and EXIT_CODE=running
#   stop_process PID              ends one process (TERM, then KILL)
#
# The scene's colours (the classes of tests/kit/scene_colours.h: blue, green, red, white,
# black, other; counts are printed as "blue N green N red N white N black N other N"):
#   scene_colours FILE [--where]  the counts of an image file, or of a rectangle of it named
#                                 as ImageMagick reads one ('shot.png[WxH+X+Y]'); with --where
#                                 also where each class lies (scene_colours.cpp)
#   colour_count FILE CLASS       the number of pixels of one class
#   count_of CLASSES COUNTS       the number of CLASSES (one, or a sum: blue+green+red) in a
#                                 counts line; 0 for a class it lacks
#   counted CLASSES N COUNTER...  0 when the counts that COUNTER prints hold more than N
#   wait_for_scene SECONDS WANTED COUNTER...
#                                 the scene on the screen: 0 once, within SECONDS, the frames
#                                 counted by COUNTER (a command that looks at one frame and
#                                 prints its counts) have shown every class of WANTED ("blue 50
#                                 green 50 red 20 white 5": more than that many pixels), each in
#                                 some frame (the surface's sheets hide the cone and the marker
#                                 in some frames); sets SCENE_MISSING (the classes not seen),
#                                 SCENE_LOOKS (frames looked at) and SCENE_LAST (the last counts)
#   check_seen CLASS:DESC...      after wait_for_scene: a check DESC per class, passed when the
#                                 class was seen
set -u

KIT_PIDS=()
KIT_AT_EXIT=()
KIT_ON_FAILURE=()
KIT_PASSED=0
KIT_FAILED=0
# The one patience of every harness: kit_results gives it to a program of
# another language, register.cmake reads this line for the C++ helpers.
PATIENCE=60
# Where programs start and write their output: the current folder until
# kit_start sets the scratch folder (a benchmark may set it itself).
CASE_DIR=${CASE_DIR:-.}
KIT_TMP=${KIT_TMP:-}

# --- the test's start and end ----------------------------------------------------

# Why the folder $1 may not be emptied as a scratch folder; nothing when it
# may.
kit_scratch_refusal() {
  local dir=$1 held
  [ "$dir" = / ] || dir=${dir%/}
  [[ $dir == /* ]] || { echo "is not an absolute path"; return; }
  [[ $dir == /*/* ]] || { echo "is not two levels below /"; return; }
  [[ $dir/ != *//* && $dir/ != */./* && $dir/ != */../* ]] || { echo "has empty, . or .. parts"; return; }
  dir=$(realpath -m "$dir")
  local kit
  kit=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd -P)
  for held in "$(pwd -P)" "$(realpath -m "${HOME:-/}")" "$kit"; do
    [[ $held/ != "$dir"/* ]] || { echo "holds $held"; return; }
  done
  [[ $dir/ != "${kit%/*}"/* ]] || echo "lies among the tests' sources"
}

# Makes the scratch folder, moves into it and arms the cleanup.
kit_start() {
  if [ -n "${KORV_SCRATCH:-}" ]; then
    local refusal
    refusal=$(kit_scratch_refusal "$KORV_SCRATCH")
    if [ -n "$refusal" ]; then
      echo "Bail out! KORV_SCRATCH='$KORV_SCRATCH' $refusal: it is not emptied" >&2
      exit 2
    fi
    KIT_TMP=$KORV_SCRATCH
    rm -rf "$KIT_TMP"
    mkdir -p "$KIT_TMP" || exit 1
  else
    KIT_TMP=$(mktemp -d "${TMPDIR:-/tmp}/korv-test.XXXXXX") || exit 1
    at_exit rm -rf "$KIT_TMP"
  fi
  CASE_DIR=$KIT_TMP
  cd "$KIT_TMP" || exit 1
  trap kit_cleanup EXIT
  trap 'exit 130' INT TERM
}

# Queues a command for the end of the test.
at_exit() {
  local command
  printf -v command '%q ' "$@"
  KIT_AT_EXIT+=("$command")
}

# Queues a command for the end of a failed test.
on_failure() {
  local command
  printf -v command '%q ' "$@"
  KIT_ON_FAILURE+=("$command")
}

# The EXIT trap: what a failed test shows, then every process started here
# is stopped and the queued commands run, the last queued first.
kit_cleanup() {
  local status=$? pid command i
  if [ "$status" -ne 0 ]; then
    for command in "${KIT_ON_FAILURE[@]}"; do eval "$command" || true; done
  fi
  for pid in "${KIT_PIDS[@]}"; do stop_process "$pid"; done
  for ((i = ${#KIT_AT_EXIT[@]} - 1; i >= 0; i--)); do eval "${KIT_AT_EXIT[i]}" || true; done
}

# --- results -----------------------------------------------------------------------

# Records a success.
pass() {
  KIT_PASSED=$((KIT_PASSED + 1))
  echo "ok - $1"
}

# Records a failure; the test goes on.
fail() {
  KIT_FAILED=$((KIT_FAILED + 1))
  echo "FAIL - $1${2:+: $2}"
}

# Records a failure and ends the test.
fail_now() {
  fail "$@"
  kit_done
}

# Prints TEXT as comment lines.
note() {
  printf '%s\n' "$*" | sed 's/^/# /'
}

# Runs a command as a check.
check() {
  local desc=$1
  shift
  if "$@"; then pass "$desc"; else fail "$desc" "command failed: $*"; fi
}

# Compares two strings as a check.
check_eq() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "expected '$2', got '$3'"; fi
}

# Prints the summary and ends the test: 0 when nothing failed and something passed.
kit_done() {
  echo "# $KIT_PASSED passed, $KIT_FAILED failed"
  if [ "$KIT_FAILED" -eq 0 ] && [ "$KIT_PASSED" -gt 0 ]; then exit 0; fi
  exit 1
}

# Lists the script's cases (--cases), or ends the test when CASE names none.
kit_cases() {
  local cases
  cases=$(declare -F | sed -n 's/^declare -f case_//p')
  if [ "${1:-}" = --cases ]; then
    printf '%s\n' "$cases"
    exit 0
  fi
  if [ -z "${1:-}" ] || ! declare -F "case_$1" >/dev/null; then
    echo "Bail out! no case '${1:-}'; the cases are: $(echo $cases)" >&2
    exit 2
  fi
}

# Runs a test program whose results are the lines it prints.
kit_results() {
  local fd pid line status=0
  exec {fd}< <(KIT_TMP=$KIT_TMP PATIENCE=$PATIENCE "$@" 2>&1 </dev/null)
  pid=$!
  KIT_PIDS+=("$pid")
  while IFS= read -r -u "$fd" line; do
    case $line in
      "ok - "*) pass "${line#ok - }" ;;
      "FAIL - "*)
        KIT_FAILED=$((KIT_FAILED + 1))
        printf '%s\n' "$line"
        ;;
      *) printf '%s\n' "$line" ;;
    esac
  done
  exec {fd}<&-
  wait "$pid" || status=$?
  KIT_PIDS=("${KIT_PIDS[@]:0:${#KIT_PIDS[@]}-1}")  # collected: not to be stopped at the end
  [ "$status" -eq 0 ] || fail "the test program ends with exit code 0" "exit code $status from $*"
}

# --- waiting -----------------------------------------------------------------------

# Prints SECONDS (fractions allowed) as milliseconds.
seconds_to_ms() {
  awk -v s="$1" 'BEGIN { printf "%d", s * 1000 }'
}

# Tries COMMAND every 50 ms until it succeeds or SECONDS have passed.
wait_until() {
  local now=${EPOCHREALTIME/[.,]/} deadline
  deadline=$((now + $(seconds_to_ms "$1") * 1000))
  shift
  until "$@"; do
    now=${EPOCHREALTIME/[.,]/}
    [ "$now" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# --- processes ---------------------------------------------------------------------

# Starts a command in the background in the case folder.
spawn() {
  local name=$1
  shift
  (cd "$CASE_DIR" && exec "$@" </dev/null >"$CASE_DIR/$name.out" 2>"$CASE_DIR/$name.err") &
  SPAWN_PID=$!
  KIT_PIDS+=("$SPAWN_PID")
}

# 0 while the process exists and is not a zombie.
still_running() {
  local stat
  read -r stat 2>/dev/null <"/proc/$1/stat" || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# 0 once the process has ended.
has_ended() {
  ! still_running "$1"
}

# Waits for a process to end and collects its exit code.
wait_exit() {
  if ! wait_until "$2" has_ended "$1"; then
    EXIT_CODE=running
    return 1
  fi
  EXIT_CODE=0
  wait "$1" 2>/dev/null || EXIT_CODE=$?
  return 0
}

# Ends a process: TERM, and KILL when it is still there 2 s later.
stop_process() {
  local pid=$1
  if still_running "$pid"; then
    kill -TERM "$pid" 2>/dev/null || true
    wait_until 2 has_ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}

# --- the scene's colours -------------------------------------------------------------

# The colour counts of an image file, through the classifier.
scene_colours() {
  : "${KORV_COLOURS:?KORV_COLOURS must name the colour classifier scene_colours (built in the build tree)}"
  convert "$1" -depth 8 ppm:- | "$KORV_COLOURS" ${2:+"$2"}
}

# The number of pixels of one class in an image file.
colour_count() {
  count_of "$2" "$(scene_colours "$1")"
}

# The number of pixels of CLASSES (a class or a sum of them) in a counts line.
count_of() {
  local words sum=0 class i
  read -ra words <<<"$2"
  for class in ${1//+/ }; do
    for ((i = 0; i + 1 < ${#words[@]}; i += 2)); do
      [ "${words[i]}" = "$class" ] && sum=$((sum + words[i + 1]))
    done
  done
  echo "$sum"
}

# 0 when the counts that COUNTER prints hold more than N pixels of CLASSES.
counted() {
  local classes=$1 more_than=$2 counts
  shift 2
  counts=$("$@" 2>/dev/null) || return 1
  [ "$(count_of "$classes" "$counts")" -gt "$more_than" ]
}

# Waits until every wanted colour has been seen in some frame.
wait_for_scene() {
  local limit=$1 wanted i
  shift
  read -ra wanted <<<"$1"
  shift
  declare -gA SCENE_WANTED=()
  SCENE_MISSING="" SCENE_LOOKS=0 SCENE_LAST=""
  for ((i = 0; i + 1 < ${#wanted[@]}; i += 2)); do
    SCENE_WANTED[${wanted[i]}]=${wanted[i + 1]}
    SCENE_MISSING+=" ${wanted[i]}"
  done
  SCENE_MISSING=${SCENE_MISSING# }
  wait_until "$limit" scene_look "$@" && return 0
  note "after $SCENE_LOOKS frames not seen: $SCENE_MISSING; the last counts: $SCENE_LAST"
  return 1
}

# One frame of wait_for_scene: counts it and strikes the colours it shows.
scene_look() {
  : "${KIT_TMP:?wait_for_scene needs the scratch folder: kit_start comes first}"
  local counts=$KIT_TMP/scene-look.counts class still=""
  "$@" >"$counts" 2>/dev/null || : >"$counts"
  SCENE_LAST=$(head -n 1 "$counts")
  SCENE_LOOKS=$((SCENE_LOOKS + 1))
  for class in $SCENE_MISSING; do
    [ "$(count_of "$class" "$SCENE_LAST")" -gt "${SCENE_WANTED[$class]}" ] || still+="$class "
  done
  SCENE_MISSING=${still% }
  [ -z "$SCENE_MISSING" ]
}

# One check per class after wait_for_scene: was it seen?
check_seen() {
  local item
  for item in "$@"; do
    if [[ " $SCENE_MISSING " == *" ${item%%:*} "* ]]; then fail "${item#*:}"; else pass "${item#*:}"; fi
  done
}
