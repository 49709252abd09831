# Warnings for the project's own targets.
function(reparador_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                         -Wnon-virtual-dtor -Wimplicit-fallthrough)
endfunction()
