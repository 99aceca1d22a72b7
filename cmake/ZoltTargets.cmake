# zolt_test(NAME SOURCES... LIBS libs...): one GoogleTest program and one ctest entry, run under Wine.
function(zolt_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/UnbufferedOutput.cpp
                 ${CMAKE_SOURCE_DIR}/tests/support/WindowText.cpp)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  add_test(NAME ${name} COMMAND ${name})
  # In-process programs; e2e_test labels the ones that start other programs.
  set_tests_properties(${name} PROPERTIES TIMEOUT 300 LABELS inprocess)
endfunction()

# zolt_needs_desktop(TEST...): tests whose windows must be alone on their desktop (window searches,
# the foreground window and focus, single-instance hand-offs, pixels read off the screen). Each takes
# one "desktops" resource. scripts/test offers several desktops, each an Xvfb and a Wine prefix of its
# own that scripts/winerun picks, so several such tests run at once; a plain ctest run reads the
# build's desktops.json, which offers the current desktop only, so there they run one at a time.
function(zolt_needs_desktop)
  set_tests_properties(${ARGN} PROPERTIES RESOURCE_GROUPS "desktops:1")
  set(spec ${CMAKE_BINARY_DIR}/desktops.json)
  set(spec_include ${CMAKE_BINARY_DIR}/desktops.cmake)
  file(CONFIGURE OUTPUT ${spec} CONTENT
       "{\"version\": {\"major\": 1, \"minor\": 0}, \"local\": [{\"desktops\": [{\"id\": \"0\", \"slots\": 1}]}]}\n")
  file(CONFIGURE OUTPUT ${spec_include} CONTENT "set(CTEST_RESOURCE_SPEC_FILE \"${spec}\")\n")
  # Each directory's test file names the spec, so ctest run in a subfolder of the build reads it too.
  get_property(includes DIRECTORY PROPERTY TEST_INCLUDE_FILES)
  if(NOT spec_include IN_LIST includes)
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${spec_include})
  endif()
endfunction()

# zolt_split_debug(TARGET): moves the target's debug information into TARGET_FILE.debug, linked back
# by a debug link. A 60 MB image costs Wine a noticeable read at every start; debuggers follow the link.
function(zolt_split_debug target)
  if(NOT CMAKE_OBJCOPY)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
    VERBATIM)
endfunction()
