# How tests are registered: one function per harness. This file holds the
# native ones and the plain command test that both kinds of tree use; the
# others live beside their harness:
#
#   korv_native_test        GoogleTest programs of the native trees        (here)
#   korv_command_test       a command whose exit code is the result         (here; native and Windows trees)
#   korv_fuzz_run           libFuzzer runs of the sanitizer tree            (here)
#   korv_x11_test           the Linux edition's system tests on an X server (tests/x11-system)
#   korv_wine_program_test  Windows test programs under Wine                (tests/wine-kit)
#   korv_wine_script_test   Windows system-test scripts under Wine          (tests/wine-kit)
#
# and the test sessions and fixtures that they run on (korv_test_session in
# cmake/windows.cmake, korv_x11_fixture in tests/x11-system). Each of them adds
# its tests through korv_add_test, which gives every test process the one
# environment of the tests. Every time-out here only catches a hang.

# KORV_PATIENCE: how long, in seconds, a wait for what normally takes a moment
# goes on before it gives up (a hang): the shell kit's PATIENCE, read here for
# the waits written in another language (the Windows helpers in C++).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/lib.sh)
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/lib.sh KORV_PATIENCE REGEX "^PATIENCE=[0-9]+$")
string(REPLACE "PATIENCE=" "" KORV_PATIENCE "${KORV_PATIENCE}")
if(NOT KORV_PATIENCE MATCHES "^[0-9]+$")
  message(FATAL_ERROR "tests/kit/lib.sh sets no PATIENCE=SECONDS line")
endif()

# korv_add_test(NAME [TIMEOUT SECONDS] [ENVIRONMENT VAR=VALUE...] COMMAND
# ARGS...): the test NAME, with a time-out (600 s unless given) and the
# environment of every test process, and of what it starts, before
# ENVIRONMENT:
#   LP_NUM_THREADS=0   llvmpipe rasterises in the thread that draws. Every
#                      test's OpenGL is llvmpipe's (OSMesa, GLX on Xvfb and
#                      Xephyr, Wine's OpenGL through it), and a process whose
#                      llvmpipe has rasteriser threads can hang in Mesa's exit
#                      handler, joining a thread that waits on a barrier, after
#                      its last test passed; with no such thread it cannot.
function(korv_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "TIMEOUT" "ENVIRONMENT;COMMAND")
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 600)
  endif()
  set(env LP_NUM_THREADS=0 ${arg_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${arg_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# korv_native_test(NAME [SOURCES FILE...] [LIBS LIBRARY...]): the GoogleTest
# program NAME, built from NAME.cpp of the calling folder (or from SOURCES
# when given), linked with LIBS (by default korv_gl_test_support: an
# offscreen OpenGL context and the programs' main), and registered as the
# test NAME.
function(korv_native_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
  if(NOT arg_SOURCES)
    set(arg_SOURCES ${name}.cpp)
  endif()
  if(NOT arg_LIBS)
    set(arg_LIBS korv_gl_test_support)
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LIBS})
  korv_add_test(${name} COMMAND ${name})
endfunction()

# korv_command_test(NAME [WILL_FAIL] [PASS_REGULAR_EXPRESSION RE] [LABELS L...]
# [ENVIRONMENT VAR=VALUE...] COMMAND ARGS...): the command as the test NAME,
# passed by its exit code 0 (WILL_FAIL: by a failure; with RE, by output that
# matches). KORV_SCRATCH in its environment names a scratch folder of its own
# in the build tree (scratch/NAME), which the shell kit uses and keeps.
function(korv_command_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WILL_FAIL" "PASS_REGULAR_EXPRESSION" "LABELS;ENVIRONMENT;COMMAND")
  korv_add_test(${name} COMMAND ${arg_COMMAND}
    ENVIRONMENT KORV_SCRATCH=${CMAKE_BINARY_DIR}/scratch/${name} ${arg_ENVIRONMENT})
  set_tests_properties(${name} PROPERTIES WILL_FAIL ${arg_WILL_FAIL})
  if(arg_PASS_REGULAR_EXPRESSION)
    set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "${arg_PASS_REGULAR_EXPRESSION}")
  endif()
  if(arg_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
  endif()
endfunction()

# korv_script_cases(SCRIPT VAR): the cases of a bash script of cases (one
# function case_NAME each, run as `SCRIPT NAME`), as the script itself lists
# them (`SCRIPT --cases`, kit_cases in tests/kit/lib.sh), into VAR. A script
# that lists none is an error.
function(korv_script_cases script var)
  execute_process(COMMAND bash ${script} --cases OUTPUT_VARIABLE cases RESULT_VARIABLE listed)
  string(REGEX MATCHALL "[^\n]+" cases "${cases}")
  if(NOT listed EQUAL 0 OR NOT cases)
    message(FATAL_ERROR "${script} --cases lists no cases")
  endif()
  set(${var} ${cases} PARENT_SCOPE)
endfunction()

# korv_fuzz_run(NAME SOURCES FILE... [DEPENDS FILE...] ARGS ARG...): in the
# sanitizer tree (clang, KORV_SANITIZE) the libFuzzer target NAME, built from
# NAME.cpp of the calling folder and SOURCES (paths from the source root)
# with the fuzzer's and the sanitizers' flags, and the test NAME, a short run
# with ARGS (run it longer by hand: -max_total_time=600). The flags are the
# target's own, so a custom command builds it; DEPENDS names the headers it
# reads. Elsewhere nothing.
function(korv_fuzz_run name)
  if(NOT KORV_SANITIZE)
    return()
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;DEPENDS;ARGS")
  set(program ${CMAKE_CURRENT_BINARY_DIR}/${name})
  list(TRANSFORM arg_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
  list(TRANSFORM arg_DEPENDS PREPEND ${CMAKE_SOURCE_DIR}/)
  add_custom_command(OUTPUT ${program}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            -I${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp ${arg_SOURCES} -o ${program}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp ${arg_SOURCES} ${arg_DEPENDS}
    COMMENT "Building the fuzz target ${name} with clang")
  add_custom_target(${name} ALL DEPENDS ${program})
  korv_add_test(${name} COMMAND ${program} ${arg_ARGS})
endfunction()
