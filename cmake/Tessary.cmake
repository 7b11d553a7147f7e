# Helpers shared by the project's CMake files.

# tessary_program(<target> <sources>...): a Windows GUI program with a wWinMain entry point.
function(tessary_program target)
  add_executable(${target} WIN32 ${ARGN})
  target_link_options(${target} PRIVATE -municode)
endfunction()

# tessary_test(<target> SOURCES <files>... LIBS <targets>... [DESKTOP] [LOCKS <names>...])
# A GoogleTest executable whose cases ctest discovers when it runs (under Wine, with the wineserver of
# the test run). DESKTOP tests create top-level windows, move focus or read the screen: they take the
# desktop lock so that no two of them run at once. LOCKS names further ctest resource locks, such as
# device_service for tests that talk to the one running device service.
function(tessary_test target)
  cmake_parse_arguments(T "DESKTOP" "" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(props TIMEOUT 120)
  set(locks ${T_LOCKS})
  if(T_DESKTOP)
    list(APPEND locks desktop)
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props})
  if(locks)
    # gtest_discover_tests hands PROPERTIES on word by word, which would split a list of locks: a file
    # that ctest includes after the discovered tests sets them on every test of the target.
    set(lock_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_locks.cmake)
    file(WRITE ${lock_file}
      "if(DEFINED ${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES RESOURCE_LOCK \"${locks}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${lock_file})
  endif()
endfunction()
