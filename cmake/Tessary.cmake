# Helpers shared by the project's CMake files.

# tessary_program(<target> <sources>...): a Windows GUI program with a wWinMain entry point.
# Its debug information goes into <program>.debug beside it (found again through a debug link): MinGW
# stores it in sections of the image, and Wine reads an image whose sections are not page-aligned in
# the file wholly into memory, so a program that carried it would start with some 20 MB more working
# set that nobody ever reads.
function(tessary_program target)
  add_executable(${target} WIN32 ${ARGN})
  target_link_options(${target} PRIVATE -municode)
  if(CMAKE_OBJCOPY)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
      COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
              $<TARGET_FILE:${target}>
      WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
      VERBATIM)
  endif()
endfunction()

# tessary_test(<target> SOURCES <files>... LIBS <targets>... [DESKTOP] [LOCKS <names>...] [LANE <n>])
# A GoogleTest executable whose cases ctest discovers when it runs (under Wine, with the wineserver of
# the test run). DESKTOP tests create top-level windows, move focus or read the screen: they take the
# desktop lock so that no two of them run at once. LOCKS names further ctest resource locks, such as
# device_service for tests that talk to the one running device service.
# The test command runs its tests in two Wine prefixes at once, each with its own display and service,
# so that the two locks are held twice: every test carries the label lane1 or lane2. A test that holds
# one of the two locks only goes to lane 2, where the desktop tests run beside the service tests; the
# rest go to lane 1. LANE puts a target elsewhere, to even out the lanes' waiting.
function(tessary_test target)
  cmake_parse_arguments(T "DESKTOP" "LANE" "SOURCES;LIBS;LOCKS" ${ARGN})
  add_executable(${target} ${T_SOURCES})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(props TIMEOUT 120)
  set(locks ${T_LOCKS})
  if(T_DESKTOP)
    list(APPEND locks desktop)
  endif()
  set(lane ${T_LANE})
  if(NOT lane)
    set(lane 1)
    list(FIND locks desktop desktop_at)
    list(FIND locks device_service service_at)
    if((desktop_at EQUAL -1) AND NOT (service_at EQUAL -1) OR NOT (desktop_at EQUAL -1) AND (service_at EQUAL -1))
      set(lane 2)
    endif()
  endif()
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ${props} LABELS lane${lane})
  if(locks)
    # gtest_discover_tests hands PROPERTIES on word by word, which would split a list of locks: a file
    # that ctest includes after the discovered tests sets them on every test of the target.
    set(lock_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_locks.cmake)
    file(WRITE ${lock_file}
      "if(DEFINED ${target}_TESTS)\n  set_tests_properties(\${${target}_TESTS} PROPERTIES RESOURCE_LOCK \"${locks}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${lock_file})
  endif()
endfunction()

# tessary_resources(<target> <rc> [ICON <svg>] [MANIFEST <manifest>]): what the resource script <rc> of
# <target> names by file name and the build makes or keeps elsewhere: the icon rendered from the SVG at
# 16, 32 and 48 pixels (rsvg-convert, packed by ImageMagick) as <svg name>.ico, and the manifest. Both
# are found through the target's resource include path, and the script is compiled again when they change.
function(tessary_resources target rc)
  cmake_parse_arguments(R "" "ICON;MANIFEST" "" ${ARGN})
  if(R_ICON)
    get_filename_component(stem ${R_ICON} NAME_WE)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/icons)
    set(ico ${dir}/${stem}.ico)
    add_custom_command(
      OUTPUT ${ico}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND rsvg-convert -w 16 -h 16 ${R_ICON} -o ${dir}/${stem}-16.png
      COMMAND rsvg-convert -w 32 -h 32 ${R_ICON} -o ${dir}/${stem}-32.png
      COMMAND rsvg-convert -w 48 -h 48 ${R_ICON} -o ${dir}/${stem}-48.png
      COMMAND convert ${dir}/${stem}-16.png ${dir}/${stem}-32.png ${dir}/${stem}-48.png ${ico}
      DEPENDS ${R_ICON}
      COMMENT "Rendering ${stem}.ico"
      VERBATIM)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${ico})
    target_include_directories(${target} PRIVATE ${dir})
  endif()
  if(R_MANIFEST)
    get_filename_component(manifest_dir ${R_MANIFEST} DIRECTORY)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${R_MANIFEST})
    target_include_directories(${target} PRIVATE ${manifest_dir})
  endif()
endfunction()
