# One static library per source folder (with its subfolders). The sources
# are picked up by glob so that a new file needs no edit here; re-run cmake
# (or build, CONFIGURE_DEPENDS does it) after adding one.
function(qx_library name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE _srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.h
       ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.qrc)
  if(NOT _srcs)
    # A folder that has no code yet still gives a (empty) library.
    set(_stub ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${_stub} "namespace { [[maybe_unused]] int ${name}_empty; }\n")
    set(_srcs ${_stub})
  endif()
  add_library(${name} STATIC ${_srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qx_use_pch(${name})
endfunction()

# Targets with no Qt object of their own skip the moc step.
function(qx_no_moc target)
  set_target_properties(${target} PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
endfunction()

# One test program per test source file, each linked with the Qt-aware
# gtest main; every test case is registered with ctest.
function(qx_tests dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_test.cpp)
  foreach(_t IN LISTS _tests)
    get_filename_component(_n ${_t} NAME_WE)
    set(_exe ${dir}_${_n})
    add_executable(${_exe} ${_t})
    target_link_libraries(${_exe} PRIVATE qx_testmain ${ARG_LIBS})
    target_precompile_headers(${_exe} REUSE_FROM qx_testpch)
    qx_test_code(${_exe})
    # Test programs declare no Qt objects of their own: no moc step (its
    # near-empty file would still load the precompiled header).
    qx_no_moc(${_exe})
    # Sanitizer options come from the test main (__asan_default_options),
    # so no environment list is needed here. Test names carry the program's
    # name (link_comm_test.Comm.ScanListsPortsThatOpen): several programs
    # share fixture names.
    gtest_discover_tests(${_exe}
      TEST_PREFIX ${_exe}.
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 120)
  endforeach()
endfunction()

# Small demo programs next to the tests (tests/<folder>/*_demo.cpp): windows
# shown under Xvfb for screenshots; not run by ctest.
function(qx_demos dir)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _demos CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*_demo.cpp)
  foreach(_d IN LISTS _demos)
    get_filename_component(_n ${_d} NAME_WE)
    # Built on demand (a test that runs one depends on it), not with "all".
    add_executable(${dir}_${_n} EXCLUDE_FROM_ALL ${_d})
    target_include_directories(${dir}_${_n} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(${dir}_${_n} PRIVATE QX_TESTS_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
    target_link_libraries(${dir}_${_n} PRIVATE ${ARG_LIBS})
    qx_use_pch(${dir}_${_n})
  endforeach()
endfunction()
