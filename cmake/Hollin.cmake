# Helpers shared by the folders' CMakeLists.

# hollin_library(name SOURCES ... LIBS ...): a static library of the core.
function(hollin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# hollin_gtest(name SOURCES ... LIBS ... [ENV VAR=value ...]): a GoogleTest binary whose tests ctest
# discovers one by one.
function(hollin_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
                       PROPERTIES TIMEOUT 120 ENVIRONMENT "${ARG_ENV}")
endfunction()
