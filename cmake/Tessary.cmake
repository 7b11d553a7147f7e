# Helpers shared by the project's CMake files.

# tessary_program(<target> <sources>...): a Windows GUI program with a wWinMain entry point.
function(tessary_program target)
  add_executable(${target} WIN32 ${ARGN})
  target_link_options(${target} PRIVATE -municode)
endfunction()

# tessary_test(<target> SOURCES <files>... LIBS <targets>... [DESKTOP])
# A GoogleTest executable whose cases ctest discovers when it runs (under Wine, with the wineserver of
# the test run). DESKTOP tests create top-level windows, move focus or read the screen: they take the
# desktop lock so that no two of them run at once.
function(tessary_test target)
  cmake_parse_arguments(T "DESKTOP" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(props TIMEOUT 120)
  if(T_DESKTOP)
    list(APPEND props RESOURCE_LOCK desktop)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props})
endfunction()
