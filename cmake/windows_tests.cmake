# The Windows programs and their tests, cross-built beside the Linux ones and
# run under Wine as part of this build's tests, wherever the machine has the
# cross compiler, Wine and a virtual X server (scripts/setup installs them):
# one test command covers the code of both systems. The Windows build lives in
# windows/ inside this build and is brought up to date with it.
set(REPARADOR_WINDOWS_TESTS AUTO CACHE STRING
    "Cross-build the Windows programs and test them under Wine (ON, OFF or AUTO: when the tools are here)")
set_property(CACHE REPARADOR_WINDOWS_TESTS PROPERTY STRINGS AUTO ON OFF)

set(windows_tools_found ON)
foreach(tool x86_64-w64-mingw32-g++-posix wine xvfb-run)
  string(MAKE_C_IDENTIFIER "${tool}" var)
  find_program(REPARADOR_${var} ${tool})
  if(NOT REPARADOR_${var})
    set(windows_tools_found OFF)
    list(APPEND windows_missing ${tool})
  endif()
endforeach()
if(NOT EXISTS /usr/src/googletest/CMakeLists.txt)
  set(windows_tools_found OFF)
  list(APPEND windows_missing "GoogleTest's sources (googletest)")
endif()

list(JOIN windows_missing ", " windows_missing)
if(REPARADOR_WINDOWS_TESTS STREQUAL "AUTO")
  set(windows_tests ${windows_tools_found})
  if(NOT windows_tools_found)
    message(STATUS "Windows programs not cross-built here: ${windows_missing} missing")
  endif()
else()
  set(windows_tests ${REPARADOR_WINDOWS_TESTS})
  if(windows_tests AND NOT windows_tools_found)
    message(FATAL_ERROR "REPARADOR_WINDOWS_TESTS=ON needs ${windows_missing}")
  endif()
endif()

if(windows_tests)
  include(ExternalProject)
  set(windows_dir ${CMAKE_BINARY_DIR}/windows)
  set(launcher)
  if(CMAKE_CXX_COMPILER_LAUNCHER)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER})
  endif()
  ExternalProject_Add(windows
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${windows_dir}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-w64.cmake
               -DCMAKE_BUILD_TYPE=Release -DREPARADOR_BENCH=OFF
               -DREPARADOR_CORPUS_DIR=${REPARADOR_CORPUS_DIR}
               -DREPARADOR_JET3_DIR=${REPARADOR_JET3_DIR} ${launcher}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    USES_TERMINAL_CONFIGURE ON
    USES_TERMINAL_BUILD ON)

  # Each in a Wine prefix of this build's own, so that they run side by side:
  # a test that ends its Wine session ends only its own.
  add_test(NAME windows_programs_pass_their_tests_under_wine
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/test-under-wine ${windows_dir})
  add_test(NAME windows_jetdb_answers_as_linux_jetdb_on_the_corpus
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/compare-windows-jetdb $<TARGET_FILE:jetdb>
                   ${windows_dir}/tools/jetdb.exe ${REPARADOR_CORPUS_DIR})
  set_tests_properties(windows_programs_pass_their_tests_under_wine PROPERTIES
                       ENVIRONMENT "WINEPREFIX=${windows_dir}/wine;REPARADOR_CORPUS_SOURCE=${REPARADOR_CORPUS_DIR}")
  set_tests_properties(windows_jetdb_answers_as_linux_jetdb_on_the_corpus PROPERTIES
                       ENVIRONMENT WINEPREFIX=${windows_dir}/wine-compare)
  set_tests_properties(windows_programs_pass_their_tests_under_wine
                       windows_jetdb_answers_as_linux_jetdb_on_the_corpus
                       PROPERTIES TIMEOUT 1800 SKIP_RETURN_CODE 77)
endif()
