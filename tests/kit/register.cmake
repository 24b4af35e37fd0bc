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
# Every time-out here only catches a hang.

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
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()

# korv_command_test(NAME [WILL_FAIL] [PASS_REGULAR_EXPRESSION RE] [LABELS L...]
# [ENVIRONMENT VAR=VALUE...] COMMAND ARGS...): the command as the test NAME,
# passed by its exit code 0 (WILL_FAIL: by a failure; with RE, by output that
# matches). KORV_SCRATCH in its environment names a scratch folder of its own
# in the build tree (scratch/NAME), which the shell kit uses and keeps.
function(korv_command_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WILL_FAIL" "PASS_REGULAR_EXPRESSION" "LABELS;ENVIRONMENT;COMMAND")
  set(env KORV_SCRATCH=${CMAKE_BINARY_DIR}/scratch/${name} ${arg_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600 WILL_FAIL ${arg_WILL_FAIL} ENVIRONMENT "${env}")
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
  add_test(NAME ${name} COMMAND ${program} ${arg_ARGS})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
