# Builds the shipped program a second time, from a copy of the sources in
# another folder into another build folder, and requires the same bytes as the
# first build. Also requires that neither folder's path is in the program.
#   cmake -DSOURCE=... -DTOOLCHAIN=... -DSHIPPED=... -DSHIPPED_EXE=...
#         -DFIRST_BUILD=... -DWORK=... -P second_build.cmake
foreach(variable SOURCE TOOLCHAIN SHIPPED SHIPPED_EXE FIRST_BUILD WORK)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "second_build.cmake: ${variable} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
set(copy ${WORK}/other-sources)
set(build ${WORK}/other-build)
file(MAKE_DIRECTORY ${copy})
# What the shipped program is built from; the tests are left out.
foreach(item CMakeLists.txt VERSION cmake scene toolkit hooks host setup)
  file(COPY ${SOURCE}/${item} DESTINATION ${copy})
endforeach()
get_filename_component(toolchain_name ${TOOLCHAIN} NAME)

execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${copy} -B ${build} -DCMAKE_TOOLCHAIN_FILE=${copy}/cmake/${toolchain_name}
          -DKORV_WINDOWS_TESTS=OFF -DKORV_RELEASE_TESTS=OFF
  RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
  message(FATAL_ERROR "the second build tree did not configure")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} -j2 --target korvanthel
                RESULT_VARIABLE built OUTPUT_QUIET)
if(NOT built EQUAL 0)
  message(FATAL_ERROR "the second build failed")
endif()

function(require_same first second)
  file(SHA256 ${first} first_sum)
  file(SHA256 ${second} second_sum)
  message(STATUS "${first}: ${first_sum}")
  message(STATUS "${second}: ${second_sum}")
  if(NOT first_sum STREQUAL second_sum)
    message(FATAL_ERROR "two builds of the same sources differ: ${first} and ${second}")
  endif()
endfunction()
require_same(${SHIPPED} ${build}/Korvanthel.scr)
require_same(${SHIPPED_EXE} ${build}/Korvanthel.exe)
require_same(${SHIPPED} ${SHIPPED_EXE})

# No folder of either build, as text, anywhere in the program.
file(READ ${SHIPPED} program HEX)
foreach(path ${SOURCE} ${FIRST_BUILD} ${copy} ${build})
  string(HEX "${path}" path_hex)
  string(FIND "${program}" "${path_hex}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "the program holds the build path ${path}")
  endif()
endforeach()
message(STATUS "two builds in two folders give the same bytes")
