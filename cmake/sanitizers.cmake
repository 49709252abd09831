# REPARADOR_SANITIZE builds everything with ASan + UBSan; any report aborts the test.
if(REPARADOR_SANITIZE)
  # -O1, as the sanitizers' authors advise: several times faster than -O0,
  # and every report still names its line.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer -O1)
  add_link_options(-fsanitize=address,undefined)
endif()
if(REPARADOR_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "REPARADOR_FUZZ needs clang (libFuzzer)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
