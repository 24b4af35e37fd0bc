set(KORV_TRIPLE i686-w64-mingw32)
set(KORV_TRIPLE_CPU i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
