# Test registration helpers. Every test gets the shared test data path and a
# private config folder, so no test reads or writes the user's real settings.
include(GoogleTest)
find_package(GTest REQUIRED)

set(REELIX_TEST_HOME "${CMAKE_BINARY_DIR}/test-home")
file(MAKE_DIRECTORY "${REELIX_TEST_HOME}")

function(_reelix_test_defaults target)
  target_compile_definitions(${target} PRIVATE
    REELIX_TESTDATA_DIR="${REELIX_TESTDATA_DIR}"
    REELIX_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
    REELIX_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Tests stand above every layer and may reach any of them.
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  reelix_warnings(${target})
endfunction()

# reelix_add_gtest(NAME n SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT seconds])
# One GoogleTest executable; each test case is registered with CTest.
function(reelix_add_gtest)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_SOURCES)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  _reelix_test_defaults(${T_NAME})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 1500)
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${T_LABELS}"
               TIMEOUT ${T_TIMEOUT}
               ENVIRONMENT "XDG_CONFIG_HOME=${REELIX_TEST_HOME}/${T_NAME};HOME=${REELIX_TEST_HOME}")
endfunction()

# reelix_add_qttest(NAME n SOURCES ... [LIBS ...])
# One Qt Test executable, run on the offscreen platform.
function(reelix_add_qttest)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  set_target_properties(${T_NAME} PROPERTIES AUTOMOC ON)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} reelix_app Qt6::Test)
  _reelix_test_defaults(${T_NAME})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    LABELS gui
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${REELIX_TEST_HOME}/${T_NAME};HOME=${REELIX_TEST_HOME}")
endfunction()

# Adds one GoogleTest executable per test folder from its *Test.cpp files, a
# second one labelled "data" from its *DataTest.cpp files (tests on shared
# data), and a third from its *ScaleTest.cpp files: work on very many frames
# that must stay linear, run under a timeout a quadratic step cannot meet.
function(reelix_add_gtest_folder name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  file(GLOB data CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*DataTest.cpp)
  file(GLOB scale CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*ScaleTest.cpp)
  file(GLOB support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
  set(unit ${all})
  foreach(other IN LISTS data scale)
    list(REMOVE_ITEM unit ${other})
  endforeach()
  reelix_add_gtest(NAME ${name}_tests SOURCES ${unit} ${support} LIBS ${T_LIBS} LABELS unit)
  reelix_add_gtest(NAME ${name}_data_tests SOURCES ${data} ${support} LIBS ${T_LIBS} LABELS data)
  reelix_add_gtest(NAME ${name}_scale_tests SOURCES ${scale} ${support} LIBS ${T_LIBS} LABELS "unit;scale" TIMEOUT 30)
endfunction()

# Adds one Qt Test executable per tst_*.cpp file in the folder.
function(reelix_add_qttest_folder)
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(base "${src}" NAME_WE)
    reelix_add_qttest(NAME ${base} SOURCES ${src} ${ARGN})
  endforeach()
endfunction()
