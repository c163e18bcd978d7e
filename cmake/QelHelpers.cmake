# qel_add_gtest(NAME SOURCES... LIBS lib...)
# A GoogleTest program registered with ctest; under Windows builds ctest runs it through Wine.
function(qel_add_gtest name)
  if(NOT QEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 600
                       PROPERTIES LABELS "${T_LABELS}")
endfunction()
