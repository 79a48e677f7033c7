# add_velmo_test(NAME SOURCES... LIBS libs...): one GoogleTest executable, discovered by CTest.
function(add_velmo_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} velmo_test_support GTest::gtest GTest::gtest_main velmo_warnings)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()
