# Sanitizer and fuzzer builds. They apply to every target, so that the code
# under test is instrumented, not only the test programs.
#   -DQX_SANITIZE=ON  AddressSanitizer and UndefinedBehaviorSanitizer
#   -DQX_FUZZ=ON      (clang) also libFuzzer's coverage in every library, and
#                     the fuzz target tests/link/framereader_fuzz.cpp
option(QX_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(QX_FUZZ "Build the libFuzzer target of the frame reader (clang only)" OFF)

if(QX_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "QX_FUZZ needs clang: cmake -DCMAKE_CXX_COMPILER=clang++ -DQX_FUZZ=ON")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(QX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
