# Compares the OpenGL and GLU names (gl..., glu...) that the CALLERS'
# objects (a comma-separated list of files) leave undefined with the names that the SUBSET's objects define;
# fails, naming them, when a caller needs one that the subset lacks, or when
# the subset itself calls an OpenGL name instead of WebGL's emscripten_gl
# ones. Writes STAMP when all is well.
#   cmake -DNM=emnm -DCALLERS=a.a,b.a -DSUBSET=subset.a -DSTAMP=file -P check_gl_names.cmake

# The gl/glu names in `nm` output lines of symbol kind KINDS (a regex class).
function(gl_names output kinds var)
  string(REGEX MATCHALL "[ \t][${kinds}][ \t]+glu?[A-Z][A-Za-z0-9_]*" found "${output}")
  set(names "")
  foreach(line IN LISTS found)
    string(REGEX REPLACE ".*[ \t]" "" name "${line}")
    list(APPEND names ${name})
  endforeach()
  list(REMOVE_DUPLICATES names)
  list(SORT names)
  set(${var} ${names} PARENT_SCOPE)
endfunction()

function(run_nm var)
  execute_process(COMMAND ${NM} ${ARGN} OUTPUT_VARIABLE output RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} ${ARGN} failed: ${error}")
  endif()
  set(${var} "${output}" PARENT_SCOPE)
endfunction()

string(REPLACE "," ";" CALLERS "${CALLERS}")
run_nm(called ${CALLERS})
run_nm(subset ${SUBSET})
gl_names("${called}" "U" needed)
gl_names("${subset}" "TtWw" defined)
gl_names("${subset}" "U" subset_calls)

if(NOT needed)
  message(FATAL_ERROR "no OpenGL call found in ${CALLERS}: the check looks at the wrong files")
endif()
set(missing ${needed})
list(REMOVE_ITEM missing ${defined})
set(outside ${subset_calls})
if(defined)
  list(REMOVE_ITEM outside ${defined})
endif()
if(missing)
  string(REPLACE ";" " " missing "${missing}")
  message(FATAL_ERROR "The core calls OpenGL or GLU functions that the browser's subset does not define: ${missing}")
endif()
if(outside)
  string(REPLACE ";" " " outside "${outside}")
  message(FATAL_ERROR "The browser's subset calls OpenGL names that it does not define itself: ${outside}")
endif()
list(LENGTH needed count)
string(REPLACE ";" " " needed "${needed}")
file(WRITE ${STAMP} "${count} OpenGL and GLU calls of the core, all defined by the subset: ${needed}\n")
