# Windows tree (MinGW-w64): the saver program, and under Wine its tests.
option(KORV_WINDOWS_TESTS "Build and register the tests that run under Wine" ON)

set(CMAKE_CXX_FLAGS_RELEASE "-Os")
set(CMAKE_C_FLAGS_RELEASE "-Os")
add_compile_options(-Wall -Wextra -fno-exceptions -fno-rtti -ffunction-sections -fdata-sections
  $<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # Nothing unwinds through the 32-bit program (no exceptions; its fault guard
  # is the platform's filter, and 32-bit structured exceptions are frame
  # based), so its DWARF unwind tables are dead weight. The 64-bit build keeps
  # them: 64-bit exception dispatch walks the stack by them.
  add_compile_options(-fno-asynchronous-unwind-tables -fno-unwind-tables)
endif()

set(KORV_WIN_LIBS opengl32 glu32 gdi32 user32 kernel32 advapi32 shell32)

add_library(korv_core STATIC ${KORV_CORE_SOURCES} toolkit/report_error_win32.cpp)
target_include_directories(korv_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(korv_core PUBLIC ${KORV_WIN_LIBS})

# The host, the scene's window and the setup dialogs. Built twice: once as
# shipped, where the hooks of hooks/test_hooks.h are empty, and once for the
# test build of the program, linked with hooks/test_hooks.cpp, which records
# what tests need to see and injects faults on request.
set(KORV_HOST_SOURCES
  host/host_state.cpp
  host/command_scan.cpp
  host/entry.cpp
  host/saver_window.cpp
  host/password.cpp
  scene/scene_window.cpp
  setup/config_dialog.cpp
  setup/installer.cpp
  setup/agreement_text.cpp)
set(KORV_RESOURCES setup/resources.rc)

# The version, from the file VERSION (KORV_VERSION): as written, for the
# configuration dialog's caption and the version resource's strings; and as
# four numbers for the version resource's and the manifest's numeric fields,
# which hold numbers only: VERSION's leading numbers, up to four, the rest 0
# ("1.2b" gives 1.2.0.0; a letter has no number). Both go into the
# build's generated folder, which every target of this tree may include from:
# korv_version.h (resources.rc, the tests) and korvanthel.manifest
# (resources.rc).
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/VERSION)
if(KORV_VERSION MATCHES "[\"\\]")
  message(FATAL_ERROR "VERSION (${KORV_VERSION}) holds a quote or a backslash")
endif()
if(NOT KORV_VERSION MATCHES "^([0-9]+)(\\.([0-9]+))?(\\.([0-9]+))?(\\.([0-9]+))?")
  message(FATAL_ERROR "VERSION (${KORV_VERSION}) does not begin with a number")
endif()
set(KORV_VERSION_PARTS)
foreach(group 1 3 5 7)
  set(part "${CMAKE_MATCH_${group}}")
  if(part STREQUAL "")
    set(part 0)
  endif()
  if(part GREATER 65535)
    message(FATAL_ERROR "VERSION (${KORV_VERSION}): ${part} does not fit a version resource (at most 65535)")
  endif()
  math(EXPR part "${part}")
  list(APPEND KORV_VERSION_PARTS ${part})
endforeach()
list(JOIN KORV_VERSION_PARTS "," KORV_VERSION_COMMAS)
list(JOIN KORV_VERSION_PARTS "." KORV_VERSION_DOTTED)
set(KORV_GENERATED ${CMAKE_BINARY_DIR}/generated)
configure_file(setup/version.h.in ${KORV_GENERATED}/korv_version.h @ONLY)
configure_file(setup/korvanthel.manifest.in ${KORV_GENERATED}/korvanthel.manifest @ONLY)
include_directories(${KORV_GENERATED})
# The resource compiler follows #include but not the manifest's file name.
set_source_files_properties(setup/resources.rc PROPERTIES OBJECT_DEPENDS ${KORV_GENERATED}/korvanthel.manifest)

function(korv_host_library name)
  add_library(${name} STATIC ${KORV_HOST_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC korv_core ${ARGN} ${KORV_WIN_LIBS})
endfunction()

function(korv_saver_program name library)
  add_executable(${name} WIN32 host/main.cpp ${KORV_RESOURCES})
  target_link_libraries(${name} PRIVATE ${library})
  # No time stamp in the PE header: two builds of one commit give the same bytes.
  target_link_options(${name} PRIVATE -s -Wl,--gc-sections -Wl,--no-insert-timestamp)
endfunction()

korv_host_library(korv_host)
korv_saver_program(korvanthel korv_host)
set_target_properties(korvanthel PROPERTIES OUTPUT_NAME Korvanthel SUFFIX .scr)
# The self-installing form: the same bytes under the name Korvanthel.exe.
add_custom_command(TARGET korvanthel POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:korvanthel> ${CMAKE_BINARY_DIR}/Korvanthel.exe)

# korv_test_session(FIXTURE [DPI] [HEADS right|left]): the CTest fixture FIXTURE starts a private X
# server and a persistent wineserver on its own Wine prefix,
# wineprefix-FIXTURE in the build tree, before the tests that require it (test
# FIXTURE.start) and stops both after them (FIXTURE.stop). The environment
# that names the prefix and the loader is kept in the global property
# KORV_SESSION_ENV_FIXTURE for the tests of the session (tests/wine-kit). One
# prefix per fixture, so that what one suite writes to the registry never
# reaches another. With DPI, the prefix is made at that scale, with Wine's DPI
# scaling on, so that programs are scaled by their manifests
# (scripts/wine-prefix); without it, at Wine's default of 96 DPI. With HEADS,
# the X server has two monitors in that layout (scripts/two-heads) and the
# prefix reads them from Xinerama.
function(korv_test_session fixture)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "HEADS" "")
  set(env "KORV_WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix-${fixture}" "KORV_WINE_ARCH=${KORV_WINE_ARCH}")
  if(arg_UNPARSED_ARGUMENTS)
    list(APPEND env "KORV_WINE_DPI=${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(arg_HEADS)
    list(APPEND env "KORV_TWO_HEADS=${arg_HEADS}")
  endif()
  set_property(GLOBAL PROPERTY KORV_SESSION_ENV_${fixture} "${env}")
  # Making a prefix takes Wine about 10 s, more on a loaded machine: the
  # time-outs only catch a hang (korv_add_test: tests/kit/register.cmake).
  korv_add_test(${fixture}.start COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-session start ENVIRONMENT ${env})
  set_tests_properties(${fixture}.start PROPERTIES FIXTURES_SETUP ${fixture})
  korv_add_test(${fixture}.stop COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-session stop ENVIRONMENT ${env} TIMEOUT 300)
  set_tests_properties(${fixture}.stop PROPERTIES FIXTURES_CLEANUP ${fixture})
endfunction()

if(KORV_WINDOWS_TESTS)
  # The test side of the hooks; whatever links it is compiled with them.
  add_library(korv_test_hooks STATIC hooks/test_hooks.cpp)
  target_include_directories(korv_test_hooks PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_definitions(korv_test_hooks PUBLIC KORV_TEST_HOOKS=1)
  korv_host_library(korv_host_test korv_test_hooks)
  korv_saver_program(korvanthel_test korv_host_test)
  set_target_properties(korvanthel_test PROPERTIES OUTPUT_NAME Korvanthel_test SUFFIX .scr)
  # The kit first: the others build on its targets and functions.
  foreach(dir tests/wine-kit tests/wine-unit tests/wine-system bench/windows bench/password)
    add_subdirectory(${dir})
  endforeach()
endif()

# The release checks (reproducible bytes, the zip) belong to the shipped
# 32-bit tree and need no Wine.
option(KORV_RELEASE_TESTS "Register the release checks in the shipped tree" ON)
if(KORV_RELEASE_TESTS AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_subdirectory(tests/release)
endif()
