set(KORV_TRIPLE x86_64-w64-mingw32)
set(KORV_TRIPLE_CPU x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
