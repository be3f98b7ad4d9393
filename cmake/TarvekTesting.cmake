# Test support: GoogleTest executables registered with ctest, each test process in a
# fresh sandbox folder (HOME, XDG_*, TMPDIR), since Osmark starts up at load time and
# reads and writes its settings there.
if(TARVEK_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

set(TARVEK_TEST_SANDBOX ${CMAKE_SOURCE_DIR}/cmake/test_sandbox.sh)

# tarvek_add_test(<name> SOURCES <file>... [LINKS <target>...] [TWINS <library>...] [QT])
# TWINS: libraries whose internals the test reaches, linked as their static twins
# (the shared libraries export their C interface only).
# QT: the test uses Qt in its own code (the framework and the viewer): it compiles
# position-independent, as Qt requires, with a precompiled header of its own kind.
function(tarvek_add_test name)
  if(NOT TARVEK_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "QT" "" "SOURCES;LINKS;TWINS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main GTest::gmock
    tarvek_test_support tarvek_warnings)
  tarvek_link_static_twin(${name} ${ARG_TWINS})
  if(ARG_QT)
    target_link_libraries(${name} PRIVATE Qt6::Core)
    target_precompile_headers(${name} REUSE_FROM tarvek_test_pch_qt)
  else()
    target_precompile_headers(${name} REUSE_FROM tarvek_test_pch)
  endif()
  # Compiled with -fPIC like the precompiled headers: Qt adds it to whatever links Qt.
  target_compile_options(${name} PRIVATE -fPIC)
  # The environment goes through the sandbox command itself: a list-valued
  # ENVIRONMENT property does not survive gtest_discover_tests.
  set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR
    "${TARVEK_TEST_SANDBOX};env;${TARVEK_SANITIZER_ENV};QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()

# tarvek_add_test_program(<name> SOURCES <file>... [LINKS <target>...])
# A helper program that tests start as a child process (it runs outside gtest).
function(tarvek_add_test_program name)
  if(NOT TARVEK_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;TWINS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} tarvek_warnings)
  tarvek_link_static_twin(${name} ${ARG_TWINS})
endfunction()

if(TARVEK_TESTS)
  # One precompiled GoogleTest header shared by every test executable.
  file(WRITE ${CMAKE_BINARY_DIR}/tarvek_test_pch.cpp "int tarvek_test_pch_anchor;\n")
  add_library(tarvek_test_pch OBJECT ${CMAKE_BINARY_DIR}/tarvek_test_pch.cpp)
  target_link_libraries(tarvek_test_pch PRIVATE GTest::gtest GTest::gmock)
  # Tests that link Qt are compiled position-independent (Qt's requirement), so all
  # tests are, and the header they share is too.
  set_target_properties(tarvek_test_pch PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_precompile_headers(tarvek_test_pch PRIVATE
    <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <cstring> <cstdint>)

  # The same with Qt's strings, for tests on Qt.
  find_package(Qt6 REQUIRED COMPONENTS Core)
  file(WRITE ${CMAKE_BINARY_DIR}/tarvek_test_pch_qt.cpp "int tarvek_test_pch_qt_anchor;\n")
  add_library(tarvek_test_pch_qt OBJECT ${CMAKE_BINARY_DIR}/tarvek_test_pch_qt.cpp)
  target_link_libraries(tarvek_test_pch_qt PRIVATE GTest::gtest GTest::gmock Qt6::Core)
  set_target_properties(tarvek_test_pch_qt PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_precompile_headers(tarvek_test_pch_qt PRIVATE
    <gtest/gtest.h> <gmock/gmock.h> <string> <vector> <cstring> <cstdint> <QtCore/QString>)
endif()
