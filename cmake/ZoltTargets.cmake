# zolt_test(NAME SOURCES... LIBS libs...): one GoogleTest program and one ctest entry, run under Wine.
function(zolt_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
