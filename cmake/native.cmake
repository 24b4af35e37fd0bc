# Native tree: the portable core against Mesa, its tests, tools and benchmarks.
find_package(OpenGL REQUIRED COMPONENTS OpenGL)
find_package(PkgConfig REQUIRED)
pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa)
find_library(GLU_LIBRARY GLU REQUIRED)
find_package(PNG REQUIRED)

add_compile_options(-Wall -Wextra)

# The core library itself names no GL backend: each program links exactly one
# (OSMesa for the tools, tests and benchmarks, libGL and GLX for the X11
# program), since OSMesa and libGL in one process only work by accident.
add_library(korv_core STATIC ${KORV_CORE_SOURCES} toolkit/report_error_posix.cpp)
target_include_directories(korv_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(korv_core PUBLIC ${GLU_LIBRARY})

# Pure host logic (the command-line scan) builds natively too.
add_library(korv_command_scan STATIC host/command_scan.cpp)
target_include_directories(korv_command_scan PUBLIC ${CMAKE_SOURCE_DIR})

foreach(dir tools bench tests/native x11 tests/x11-system bench/x11)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endforeach()
