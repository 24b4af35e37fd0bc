# Native tests of the saver's command-line scan, and its fuzz target.
# Included from tests/native/CMakeLists.txt; works inside that directory alone.
find_package(GTest REQUIRED)

add_executable(command_scan_test command_scan_test.cpp)
target_link_libraries(command_scan_test PRIVATE korv_command_scan GTest::gtest GTest::gtest_main)
add_test(NAME command_scan_test COMMAND command_scan_test)

# The fuzz run belongs to the sanitizer tree, whose compiler is clang (libFuzzer
# needs it); the target has flags of its own, so a custom command builds it.
if(KORV_SANITIZE)
  set(_fuzz ${CMAKE_CURRENT_BINARY_DIR}/fuzz_command_scan)
  add_custom_command(OUTPUT ${_fuzz}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
            -I${CMAKE_SOURCE_DIR}
            ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_command_scan.cpp ${CMAKE_SOURCE_DIR}/host/command_scan.cpp
            -o ${_fuzz}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/fuzz_command_scan.cpp ${CMAKE_SOURCE_DIR}/host/command_scan.cpp
            ${CMAKE_SOURCE_DIR}/host/command_scan.h
    COMMENT "Building the command-line fuzz target with clang")
  add_custom_target(fuzz_command_scan ALL DEPENDS ${_fuzz})
  # A short run in the tests; run it longer by hand (-max_total_time=600).
  add_test(NAME fuzz_command_scan COMMAND ${_fuzz} -runs=200000 -max_len=64 -seed=1)
endif()
