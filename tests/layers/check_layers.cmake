# Fails when a file in jet/ includes a file of a higher layer.
#   cmake -DROOT=<project root> -DLAYERS="core;io;..." -P check_layers.cmake
# LAYERS lists jet/'s folders from the bottom up (jet/CMakeLists.txt); the
# files directly in jet/ (engine.*) sit above them all. Every include path is
# the project root, so the compiler cannot see an upward include: this can.
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "usage: cmake -DROOT=... -DLAYERS=... -P check_layers.cmake")
endif()
list(LENGTH LAYERS top)
# Returns in `out` the level of a path below jet/ (a file of jet/ or an
# include), or -1 for a folder that is no layer.
function(layer_of path out)
  string(REGEX MATCH "^([^/]+)/" _ "${path}")
  if(NOT CMAKE_MATCH_1)
    set(${out} ${top} PARENT_SCOPE)
    return()
  endif()
  list(FIND LAYERS "${CMAKE_MATCH_1}" level)
  set(${out} ${level} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files RELATIVE "${ROOT}/jet" "${ROOT}/jet/*.h" "${ROOT}/jet/*.cpp")
set(wrong)
foreach(file ${files})
  layer_of("${file}" from)
  if(from EQUAL -1)
    list(APPEND wrong "jet/${file}: its folder is no layer")
    continue()
  endif()
  file(STRINGS "${ROOT}/jet/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"jet/")
  foreach(line ${includes})
    string(REGEX REPLACE ".*\"jet/([^\"]*)\".*" "\\1" target "${line}")
    layer_of("${target}" to)
    if(to EQUAL -1 OR to GREATER from)
      list(APPEND wrong "jet/${file} includes jet/${target}")
    endif()
  endforeach()
endforeach()
if(wrong)
  list(JOIN wrong "\n  " text)
  message(FATAL_ERROR "Includes that run upward:\n  ${text}")
endif()
list(LENGTH files count)
message(STATUS "${count} files of jet/: no include runs upward")
