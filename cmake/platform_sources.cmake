# Sources that speak to the operating system come in pairs: foo.cpp for Linux
# and foo_win32.cpp for Windows; or, where most of foo is the same on both,
# a shared foo.cpp with only what differs in foo_posix.cpp and foo_win32.cpp.
# reparador_platform_sources(VAR [NAME...]) keeps in the list VAR the files
# that this build is for; the NAMEs (without .cpp) are Linux files with no
# Windows twin, left out of a Windows build.
function(reparador_platform_sources var)
  set(linux_only ${ARGN})
  set(kept)
  foreach(src ${${var}})
    get_filename_component(dir ${src} DIRECTORY)
    get_filename_component(name ${src} NAME_WE)
    if(name MATCHES "_win32$")
      if(WIN32)
        list(APPEND kept ${src})
      endif()
    elseif(name MATCHES "_posix$")
      if(NOT WIN32)
        list(APPEND kept ${src})
      endif()
    elseif(WIN32 AND ((EXISTS "${dir}/${name}_win32.cpp" AND NOT EXISTS "${dir}/${name}_posix.cpp")
                      OR name IN_LIST linux_only))
      # replaced by its Windows twin, or not part of a Windows build
    else()
      list(APPEND kept ${src})
    endif()
  endforeach()
  set(${var} ${kept} PARENT_SCOPE)
endfunction()
