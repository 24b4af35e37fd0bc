# Cross-compiling for Windows with MinGW-w64. Included by the toolchain files
# mingw-i686.cmake (the shipped 32-bit program) and mingw-x86_64.cmake (the
# same sources built 64-bit, for machines whose kernel runs no 32-bit code, so
# that Wine's 64-bit loader can still run every Windows test).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${KORV_TRIPLE_CPU})
set(CMAKE_C_COMPILER ${KORV_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KORV_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${KORV_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORV_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# The Wine loader that runs this tree's tests (scripts/wine-run, each test
# directory with a prefix of its own).
set(KORV_WINE_ARCH ${KORV_TRIPLE_CPU} CACHE STRING "Wine loader for this tree")
