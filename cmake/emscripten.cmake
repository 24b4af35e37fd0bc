# Toolchain file of the browser edition's tree (build/web): the core and the
# web host compiled to WebAssembly by Debian's emscripten, through its own
# CMake platform file.
#   cmake -S . -B build/web -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake
set(KORV_EMSCRIPTEN_ROOT /usr/share/emscripten CACHE PATH "Where the emscripten package keeps its files")
include(${KORV_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# emcc runs its JavaScript optimizer under node when it links. Debian's own
# nodejs finds the optimizer's modules (acorn and the like) in
# /usr/share/nodejs; a node from elsewhere does not look there, so every
# link is given the path, on any machine.
set(korv_node_path /usr/share/nodejs)
if(DEFINED ENV{NODE_PATH} AND NOT "$ENV{NODE_PATH}" STREQUAL "")
  string(APPEND korv_node_path ":$ENV{NODE_PATH}")
endif()
set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${korv_node_path})
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${korv_node_path})
