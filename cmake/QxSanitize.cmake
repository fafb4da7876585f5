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

# The test programs' own code (fixtures, GoogleTest's macros, the test main)
# is built without instrumentation: the program's libraries keep it, and the
# sanitizers' run-time is linked into every test program, so reports and the
# leak check cover the code under test. Instrumenting the tests themselves
# caught nothing of the program's and made each test file a third slower to
# build. QX_SANITIZED tells the test code that the run-time is there.
function(qx_test_code target)
  if(QX_SANITIZE AND NOT QX_FUZZ)
    target_compile_options(${target} PRIVATE -fno-sanitize=all)
    target_compile_definitions(${target} PRIVATE QX_SANITIZED=1)
  endif()
endfunction()
