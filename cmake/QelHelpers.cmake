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

# qel_add_e2e_test(NAME MODULE path/test_x.py [LABELS ...] [TIMEOUT s])
# A Python unittest module that builds real setups with the host qelbuild and
# runs them under Wine through tests/e2e/qel_e2e.py (64-bit Windows builds only).
function(qel_add_e2e_test name)
  if(NOT QEL_E2E_ENABLED)
    return()
  endif()
  cmake_parse_arguments(T "" "MODULE;TIMEOUT" "LABELS" ${ARGN})
  get_filename_component(module_path ${T_MODULE} ABSOLUTE)
  get_filename_component(module_dir ${module_path} DIRECTORY)
  get_filename_component(module_name ${module_path} NAME_WE)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 900)
  endif()
  add_test(NAME ${name}
    COMMAND python3 -m unittest -v ${module_name}
    WORKING_DIRECTORY ${module_dir})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "E2E;${T_LABELS}"
    ENVIRONMENT "PYTHONPATH=${CMAKE_SOURCE_DIR}/tests/e2e;PYTHONDONTWRITEBYTECODE=1;QEL_QELBUILD=${QEL_QELBUILD_PROGRAM};QEL_DIST=${QEL_E2E_DIST};QEL_E2E_ROOT=${QEL_E2E_ROOT}/${name};QEL_WINE_TEMPLATE=${QEL_E2E_ROOT}/template;QEL_RUNNER=$<TARGET_FILE:qelrun>")
endfunction()
