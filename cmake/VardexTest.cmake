# vardex_add_gtest(NAME SOURCES... LIBS ...): one GoogleTest executable registered with CTest.
# Tests run from the source root so that they can reach tests/data and ../shared by relative path;
# VARDEX_BINARY_DIR tells them the build tree. (gtest_discover_tests splits a list-valued
# ENVIRONMENT into separate arguments, so only one variable can be passed this way.)
function(vardex_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  vardex_test_warnings(${name})
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator every start costs a second: the whole suite runs as one test.
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_SOURCE_DIR})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "VARDEX_BINARY_DIR=${PROJECT_BINARY_DIR}")
    return()
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "VARDEX_BINARY_DIR=${PROJECT_BINARY_DIR}")
endfunction()
