#!/usr/bin/env bash
# The shell kit (tests/kit/lib.sh) on itself: results and the test's end,
# the scratch folder (and the values of KORV_SCRATCH it refuses to empty),
# a script's list of cases, waiting, processes, the colour classifier on
# rendered frames and on images of known colours, and the scene poll, which
# must fail on a black screen and on a screen that lacks some of the scene.
#   KORV_COLOURS   the colour classifier      KORV_SNAPSHOT  the snapshot tool
KIT_LIB=$(cd "$(dirname "$0")" && pwd)/lib.sh
. "$KIT_LIB"
kit_start
: "${KORV_SNAPSHOT:?KORV_SNAPSHOT must name the snapshot tool}"

# child NAME LINE...: runs a script of these lines on the kit in a bash of its
# own (no scratch folder given); its output is in NAME.out, its exit code in
# CHILD_STATUS.
child() {
  local name=$1
  shift
  printf '%s\n' ". '$KIT_LIB'" "$@" >"$KIT_TMP/$name.sh"
  CHILD_STATUS=0
  env -u KORV_SCRATCH bash "$KIT_TMP/$name.sh" >"$KIT_TMP/$name.out" 2>&1 || CHILD_STATUS=$?
}

# said NAME TEXT: 0 when the child's output has a line that is exactly TEXT.
said() { grep -qxF -- "$2" "$KIT_TMP/$1.out"; }

# --- results and the end of a test ---------------------------------------------------
child passing 'kit_start' 'pass one' 'check two true' 'check_eq three a a' 'kit_done'
check_eq "a test whose checks pass ends with 0" 0 "$CHILD_STATUS"
check "it prints the summary" said passing "# 3 passed, 0 failed"

child failing 'kit_start' 'pass one' 'check "two" false' 'check_eq three a b' 'fail four why' 'echo after' 'kit_done'
check_eq "a test with a failed check ends with 1" 1 "$CHILD_STATUS"
check "check names the command that failed" said failing "FAIL - two: command failed: false"
check "check_eq shows both strings" said failing "FAIL - three: expected 'a', got 'b'"
check "fail gives its reason" said failing "FAIL - four: why"
check "fail goes on" said failing "after"
check "the summary counts both kinds" said failing "# 1 passed, 3 failed"

child empty 'kit_start' 'kit_done'
check_eq "a test in which nothing passed ends with 1" 1 "$CHILD_STATUS"

child now 'kit_start' 'at_exit echo queued first' 'at_exit echo queued last' 'on_failure echo the logs' 'pass one' \
  'fail_now two' 'echo after'
check_eq "fail_now ends the test with 1" 1 "$CHILD_STATUS"
check "fail_now ends it at once" test "$(grep -c '^after$' "$KIT_TMP/now.out")" = 0
check "a failed test runs its on_failure commands" said now "the logs"
check_eq "and its at_exit commands, the last queued first" "queued last,queued first," \
  "$(grep '^queued' "$KIT_TMP/now.out" | tr '\n' ,)"

child quiet 'kit_start' 'on_failure echo the logs' 'pass one' 'kit_done'
check "a test that passes runs no on_failure command" test "$(grep -c 'the logs' "$KIT_TMP/quiet.out")" = 0

child scratch 'kit_start' 'echo "folder $KIT_TMP"' 'pass one' 'kit_done'
folder=$(sed -n 's/^folder //p' "$KIT_TMP/scratch.out")
check "without KORV_SCRATCH the scratch folder is temporary and removed" test -n "$folder" -a ! -e "$folder"
KORV_SCRATCH=$KIT_TMP/kept bash -c ". '$KIT_LIB'; kit_start; touch mark; pass one; kit_done" >/dev/null
check "KORV_SCRATCH names a folder that is kept, where the test runs" test -e "$KIT_TMP/kept/mark"

# A KORV_SCRATCH that may name more than a scratch folder ends the test with
# 2 before anything is removed. The test runs in outer/inner with HOME at
# home/user, and its rm only writes down what it was asked to remove.
mkdir -p "$KIT_TMP/outer/inner" "$KIT_TMP/home/user"
kit_root=$(cd "$(dirname "$KIT_LIB")/.." && pwd)
refused=("/|is not two levels below /" "/tmp/|is not two levels below /"
  "scratch/one|is not an absolute path" "$KIT_TMP/outer/../one|has empty, . or .. parts"
  "$KIT_TMP//one|has empty, . or .. parts" "$KIT_TMP/./one|has empty, . or .. parts"
  "$KIT_TMP/outer|holds $KIT_TMP/outer/inner" "$KIT_TMP/home/|holds $KIT_TMP/home/user"
  "$kit_root|holds $kit_root/kit" "$kit_root/web|lies among the tests' sources")
for entry in "${refused[@]}"; do
  value=${entry%%|*} why=${entry#*|} status=0
  (cd "$KIT_TMP/outer/inner" && HOME=$KIT_TMP/home/user KORV_SCRATCH=$value bash -c \
    "rm() { echo \"rm \$*\" >>'$KIT_TMP/removed'; }; . '$KIT_LIB'; kit_start; pass one; kit_done") \
    >/dev/null 2>"$KIT_TMP/refused.err" || status=$?
  check_eq "KORV_SCRATCH=$value ends the test, saying that it $why" \
    "2 Bail out! KORV_SCRATCH='$value' $why: it is not emptied" "$status $(cat "$KIT_TMP/refused.err")"
done
check "and nothing was removed" test ! -e "$KIT_TMP/removed"
status=0
KORV_SCRATCH=/tmp bash "$(dirname "$KIT_LIB")/program_test.sh" touch "$KIT_TMP/program-ran" >/dev/null 2>&1 || status=$?
check_eq "a test program of another language is refused the same scratch folder, before it runs" "2 no" \
  "$status $([ -e "$KIT_TMP/program-ran" ] && echo yes || echo no)"
child early 'wait_for_scene 1 "blue 1" echo blue 5'
check "wait_for_scene before kit_start ends the test and says why" \
  test "$CHILD_STATUS" != 0 -a "$(grep -c 'needs the scratch folder: kit_start comes first' "$KIT_TMP/early.out")" = 1

# --- a program of another language on the kit (program_test.sh) ----------------------
# program NAME COMMAND...: COMMAND run by program_test.sh with a scratch folder
# of its own; its output is in NAME.out, the test's exit code in CHILD_STATUS.
program() {
  local name=$1
  shift
  CHILD_STATUS=0
  KORV_SCRATCH=$KIT_TMP/$name bash "$(dirname "$KIT_LIB")/program_test.sh" "$@" >"$KIT_TMP/$name.out" 2>&1 ||
    CHILD_STATUS=$?
}
program lines sh -c 'printf "%s\n" "ok - one" "FAIL - two: why" "in $(pwd) for $PATIENCE"; exit 3'
check_eq "the lines ok/FAIL of a program are the test's results, an exit code other than 0 a failure" \
  "1 # 1 passed, 2 failed" "$CHILD_STATUS $(tail -n 1 "$KIT_TMP/lines.out")"
check "its other lines are printed; it runs in the scratch folder, given the patience" said lines \
  "in $KIT_TMP/lines for $PATIENCE"
program passing sh -c 'echo "ok - one"'
check_eq "a program whose results pass passes" 0 "$CHILD_STATUS"
program silent true
check_eq "a program that reports nothing fails" 1 "$CHILD_STATUS"
# The browser tests' Python kit on it.
printf '%s\n' "import sys; sys.path.insert(0, '$(dirname "$KIT_LIB")/../web')" 'import browser_kit as kit' 'kit.start()' \
  "kit.check('in ' + kit.scratch + ' for %g' % kit.PATIENCE, True)" "kit.check('two', False, 'why')" \
  "kit.at_exit(print, 'at the end')" "kit.fail_now('three')" "kit.ok('after')" >"$KIT_TMP/python.py"
program python python3 "$KIT_TMP/python.py"
check "the Python kit takes the scratch folder and the patience" said python "ok - in $KIT_TMP/python for $PATIENCE"
check_eq "its failures are counted; fail_now ends the test at once, after its at_exit calls" \
  "1 FAIL - two: why|FAIL - three|at the end|# 1 passed, 2 failed|" "$CHILD_STATUS $(tail -n 4 "$KIT_TMP/python.out" | tr '\n' '|')"
status=0
python3 "$KIT_TMP/python.py" >/dev/null 2>"$KIT_TMP/alone.err" || status=$?
check_eq "alone, it refuses to run" "2 Bail out! run the test through tests/kit/program_test.sh" \
  "$status $(cat "$KIT_TMP/alone.err")"

# --- a script of cases ------------------------------------------------------------------
cases=(
  'case_alpha() { pass "alpha ran"; }'
  'case_beta()  { pass "beta ran"; }'
  'not_a_case() { :; }'
  'kit_cases "$@"'
  'kit_start'
  '"case_$1"'
  'kit_done')
printf '%s\n' ". '$KIT_LIB'" "${cases[@]}" >"$KIT_TMP/cases.sh"
# run_cases ARGS...: the script of cases with ARGS, in a scratch folder of its own.
run_cases() { env -u KORV_SCRATCH bash "$KIT_TMP/cases.sh" "$@"; }
check_eq "--cases lists the functions case_NAME" "alpha beta" "$(run_cases --cases | tr '\n' ' ' | sed 's/ $//')"
status=0
run_cases beta >"$KIT_TMP/beta.out" || status=$?
check_eq "a case runs by its name" "0 ok - beta ran" "$status $(head -n 1 "$KIT_TMP/beta.out")"
status=0
run_cases gamma >/dev/null 2>"$KIT_TMP/gamma.err" || status=$?
check_eq "a case that does not exist fails" 2 "$status"
check "and says which cases there are" grep -q "no case 'gamma'; the cases are: alpha beta" "$KIT_TMP/gamma.err"
status=0
run_cases >/dev/null 2>&1 || status=$?
check_eq "no case named fails too" 2 "$status"

# The registration reads the cases from the script: a new function is a new test.
# list_cases SCRIPT: the cases as korv_script_cases finds them.
list_cases() {
  printf '%s\n' "include($(dirname "$KIT_LIB")/register.cmake)" "korv_script_cases($1 cases)" \
    'message("${cases}")' >"$KIT_TMP/list_cases.cmake"
  cmake -P "$KIT_TMP/list_cases.cmake" 2>&1
}
check_eq "the registration finds the script's cases" "alpha;beta" "$(list_cases "$KIT_TMP/cases.sh")"
sed -i 's/^not_a_case() {/case_gamma() { pass "gamma ran"; }\n&/' "$KIT_TMP/cases.sh"
check_eq "and a case added as a function" "alpha;beta;gamma" "$(list_cases "$KIT_TMP/cases.sh")"
printf '%s\n' ". '$KIT_LIB'" 'kit_cases "$@"' >"$KIT_TMP/no_cases.sh"
if list_cases "$KIT_TMP/no_cases.sh" >/dev/null; then fail "a script without cases stops the registration"; else
  pass "a script without cases stops the registration"
fi

# --- waiting -------------------------------------------------------------------------
check "wait_until returns at once when the condition holds" wait_until 1 true
(sleep 0.3 && touch "$KIT_TMP/late") &
check "wait_until waits for a condition that comes to hold" wait_until "$PATIENCE" test -e "$KIT_TMP/late"
if wait_until 0.5 false; then fail "wait_until gives up on a condition that never holds"; else
  pass "wait_until gives up on a condition that never holds"
fi
check_eq "seconds_to_ms takes fractions" 2500 "$(seconds_to_ms 2.5)"

# --- processes -------------------------------------------------------------------------
spawn seven sh -c 'echo out; echo err >&2; exit 7'
if wait_exit "$SPAWN_PID" "$PATIENCE"; then
  check_eq "wait_exit collects the exit code" 7 "$EXIT_CODE"
else
  fail "wait_exit sees a process end"
fi
check_eq "spawn keeps the standard output" out "$(cat "$KIT_TMP/seven.out")"
check_eq "and the standard error" err "$(cat "$KIT_TMP/seven.err")"
spawn sleeper sleep 600
sleeper=$SPAWN_PID
if wait_exit "$sleeper" 0.2; then fail "wait_exit reports an end that did not happen"; else
  check_eq "wait_exit gives up on a running process" running "$EXIT_CODE"
fi
stop_process "$sleeper"
if still_running "$sleeper"; then fail "stop_process ends a process"; else pass "stop_process ends a process"; fi

# A zombie: a child of a process that never collects it. The child ends only
# when the test opens the pipe it reads, after its parent has become sleep, so
# that the parent's shell can never have collected it first.
mkfifo "$KIT_TMP/release"
spawn parent bash -c 'cat "$1" >/dev/null & echo $!; exec sleep 600' _ "$KIT_TMP/release"
zombie_state() { [ "$(sed 's/.*) \(.\).*/\1/' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
is_sleep() { [ "$(cat "/proc/$1/comm" 2>/dev/null)" = sleep ]; }
wait_until "$PATIENCE" test -s "$KIT_TMP/parent.out"
wait_until "$PATIENCE" is_sleep "$SPAWN_PID" && : >"$KIT_TMP/release"
zombie=$(cat "$KIT_TMP/parent.out")
if wait_until "$PATIENCE" zombie_state "$zombie"; then
  if still_running "$zombie"; then fail "a zombie counts as ended"; else pass "a zombie counts as ended"; fi
else
  fail "a zombie for the test" "process $zombie never became one"
fi
kill "$zombie" 2>/dev/null  # the child, if it still waits
stop_process "$SPAWN_PID"

child leftover 'kit_start' 'spawn long sleep 600' 'echo "pid $SPAWN_PID"' 'pass one' 'kit_done'
left=$(sed -n 's/^pid //p' "$KIT_TMP/leftover.out")
if [ -n "$left" ] && ! still_running "$left"; then pass "a spawned process is stopped when the test ends"; else
  fail "a spawned process is stopped when the test ends" "pid '$left'"
fi

# --- colours -------------------------------------------------------------------------------
check_eq "count_of sums classes" 12 "$(count_of blue+green 'blue 5 green 7 red 1')"
check_eq "count_of gives 0 for a class the counts lack" 0 "$(count_of white 'blue 5 green 7 red 1')"

"$KORV_SNAPSHOT" "$KIT_TMP/frame75.png" 75 1024 768 >/dev/null
"$KORV_SNAPSHOT" "$KIT_TMP/frame60.png" 60 1024 768 >/dev/null
counts75=$(scene_colours "$KIT_TMP/frame75.png")
note "frame 75: $counts75"
check_eq "every pixel of frame 75 is counted once" $((1024 * 768)) "$(count_of blue+green+red+white+black+other "$counts75")"
check "frame 75 shows the surface's blue and green, the cone and the marker" test \
  "$(count_of blue "$counts75")" -gt 20000 -a "$(count_of green "$counts75")" -gt 20000 -a \
  "$(count_of red "$counts75")" -gt 3000 -a "$(count_of white "$counts75")" -gt 1000
counts60=$(scene_colours "$KIT_TMP/frame60.png")
check_eq "frame 60 shows neither the cone nor the marker" "0 0" \
  "$(count_of red "$counts60") $(count_of white "$counts60")"

convert -size 10x10 'xc:rgb(23,69,23)' "$KIT_TMP/dark-green.png"
check_eq "the dark green of the ambient-lit back is green" 100 "$(colour_count "$KIT_TMP/dark-green.png" green)"
convert -size 10x10 'xc:rgb(23,23,69)' "$KIT_TMP/dark-blue.png"
check_eq "the dark blue of the ambient-lit front is blue" 100 "$(colour_count "$KIT_TMP/dark-blue.png" blue)"
convert -size 40x30 xc:black +antialias -fill 'rgb(229,61,61)' -draw 'rectangle 10,5 19,14' "$KIT_TMP/red.png"
check_eq "--where gives a class's count, box and centre" "red 100 10 5 19 14 15 10" \
  "$(scene_colours "$KIT_TMP/red.png" --where | grep '^red ')"
check_eq "--where gives the same for every lit pixel" "lit 100 10 5 19 14 15 10" \
  "$(scene_colours "$KIT_TMP/red.png" --where | grep '^lit ')"
check_eq "--where marks an empty class" "white 0 -1 -1 -1 -1 -1 -1" \
  "$(scene_colours "$KIT_TMP/red.png" --where | grep '^white ')"
check_eq "scene_colours counts a rectangle of an image" "blue 0 green 0 red 100 white 0 black 20 other 0" \
  "$(scene_colours "$KIT_TMP/red.png[12x10+9+5]")"
printf 'P5 1 1 255\n\0' >"$KIT_TMP/grey.pgm"
if "$KORV_COLOURS" "$KIT_TMP/grey.pgm" >/dev/null 2>&1; then fail "the classifier refuses what is not a PPM"; else
  pass "the classifier refuses what is not a PPM"
fi
printf 'P6 2 2 255\n\0\0\0' >"$KIT_TMP/short.ppm"
if "$KORV_COLOURS" "$KIT_TMP/short.ppm" >/dev/null 2>&1; then fail "the classifier refuses a short image"; else
  pass "the classifier refuses a short image"
fi
child unset 'unset KORV_COLOURS' 'kit_start' "scene_colours '$KIT_TMP/red.png'" 'pass one' 'kit_done'
check "scene_colours without KORV_COLOURS ends the test and says why" \
  test "$CHILD_STATUS" != 0 -a "$(grep -c 'KORV_COLOURS must name' "$KIT_TMP/unset.out")" = 1

# --- the scene poll ------------------------------------------------------------------------
convert -size 40x20 xc:black "$KIT_TMP/black.png"
convert -size 40x20 'xc:rgb(23,23,255)' +antialias -fill 'rgb(23,69,23)' -draw 'rectangle 20,0 39,19' "$KIT_TMP/surface.png"
convert -size 40x20 xc:black +antialias -fill 'rgb(229,61,61)' -draw 'rectangle 0,0 9,9' -fill white \
  -draw 'rectangle 30,10 39,19' "$KIT_TMP/cone.png"
# Counters: one frame each call.
black_screen() { scene_colours "$KIT_TMP/black.png"; }
surface_only() { scene_colours "$KIT_TMP/surface.png"; }
frame75() { scene_colours "$KIT_TMP/frame75.png"; }
FRAMES=0
alternating() {
  FRAMES=$((FRAMES + 1))
  if [ $((FRAMES % 2)) = 1 ]; then surface_only; else scene_colours "$KIT_TMP/cone.png"; fi
}
wanted="blue 50 green 50 red 20 white 5"
check "wait_for_scene finds the scene in a rendered frame" wait_for_scene "$PATIENCE" "$wanted" frame75
check_eq "in one look" 1 "$SCENE_LOOKS"
check "wait_for_scene finds colours spread over frames" wait_for_scene "$PATIENCE" "$wanted" alternating
check_eq "every colour was seen" "" "$SCENE_MISSING"
check_seen "blue:check_seen passes a colour that was seen"
if wait_for_scene 0.5 "$wanted" black_screen >/dev/null; then fail "wait_for_scene fails on a black screen"; else
  pass "wait_for_scene fails on a black screen"
fi
check_eq "and names every colour it missed" "blue green red white" "$SCENE_MISSING"
if wait_for_scene 0.5 "$wanted" surface_only >/dev/null; then
  fail "wait_for_scene fails on a screen without the cone and the marker"
else
  check_eq "wait_for_scene fails on a screen without the cone and the marker" "red white" "$SCENE_MISSING"
fi
if wait_for_scene 0.5 "blue 1000" surface_only >/dev/null; then fail "a threshold is a minimum"; else
  pass "a threshold is a minimum (400 blue pixels are not more than 1000)"
fi
child seen 'kit_start' 'SCENE_MISSING="red white"' 'check_seen "red:the cone" "blue:the surface"' 'kit_done'
check "check_seen fails a colour that was not seen" said seen "FAIL - the cone"
check "and passes one that was" said seen "ok - the surface"
check "counted compares a sum of classes" counted blue+green 799 surface_only
if counted blue+green 800 surface_only; then fail "counted wants more than N"; else pass "counted wants more than N"; fi

kit_done
