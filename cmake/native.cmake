# Native tree: the portable core against Mesa, its tests, tools and benchmarks;
# with KORV_LINUX_ONLY the core and the Linux edition alone.
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_library(GLU_LIBRARY GLU REQUIRED)
if(NOT KORV_LINUX_ONLY)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa)
  find_package(PNG REQUIRED)
endif()

add_compile_options(-Wall -Wextra)

# The sanitizer tree (build/native-sanitize, clang): every native program and
# test under AddressSanitizer and UndefinedBehaviorSanitizer; any report ends
# the program with a failure.
option(KORV_SANITIZE "Build the native tree with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(KORV_SANITIZE)
  set(korv_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${korv_sanitize_flags} -g)
  add_link_options(${korv_sanitize_flags})
endif()

# The core library itself names no GL backend: each program links exactly one
# (OSMesa for the tools, tests and benchmarks, libGL with GLX and EGL for the
# Linux program), since OSMesa and libGL in one process only work by
# accident.
# The core's native-only part: the surface mesh draws from arrays and buffer
# objects (OpenGL 1.5), which the Windows program never uses and whose
# functions its OpenGL 1.1 headers lack.
set(KORV_NATIVE_CORE_SOURCES scene/surface_mesh.cpp)
add_library(korv_core STATIC ${KORV_CORE_SOURCES} ${KORV_NATIVE_CORE_SOURCES} toolkit/report_error_posix.cpp)
target_include_directories(korv_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(korv_core PUBLIC ${GLU_LIBRARY})
if(KORV_SANITIZE)
  target_sources(korv_core INTERFACE ${CMAKE_SOURCE_DIR}/tests/native/sanitizer_defaults.cpp)
endif()

# The Linux edition: its two hosts and the room they share, with the program.
if(KORV_LINUX_ONLY)
  add_subdirectory(x11)
  add_subdirectory(wayland)
  add_subdirectory(linux)
  return()
endif()

# Pure host logic (the command-line scan) builds natively too.
add_library(korv_command_scan STATIC host/command_scan.cpp)
target_include_directories(korv_command_scan PUBLIC ${CMAKE_SOURCE_DIR})

add_subdirectory(tools)
add_subdirectory(x11)
add_subdirectory(wayland)
add_subdirectory(linux)
# The test kit first: the other test folders register their tests with its functions.
add_subdirectory(tests/kit)
add_subdirectory(tests/native)
# Every C and C++ file of the project is in the house style of .clang-format.
if(NOT KORV_SANITIZE)
  korv_command_test(house_style COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-format)
endif()
# The sanitizer tree runs the native tests only; benchmarks measure the
# programs as built, and the Linux edition's system tests run in this tree.
if(NOT KORV_SANITIZE)
  add_subdirectory(tests/x11-system)
  add_subdirectory(tests/wayland)
  add_subdirectory(bench)
  add_subdirectory(bench/linux)
endif()
