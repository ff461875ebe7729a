# Helpers shared by the folders' CMakeLists.

# hollin_library(name SOURCES ... LIBS ...): a static library of the core.
function(hollin_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# hollin_help(target SOURCE file VARIABLE name): the program's --help text as the header
# <name of the source>_help.h (constant `name`) and its man page as man/<program>.1 in the build tree,
# both written from one source by scripts/make_help.py. The target also sees hollin_version.h.
function(hollin_help target)
  cmake_parse_arguments(ARG "" "SOURCE;VARIABLE" "" ${ARGN})
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  get_filename_component(base ${ARG_SOURCE} NAME_WE)
  set(dir ${CMAKE_BINARY_DIR}/generated/help)
  set(header ${dir}/${base}_help.h)
  set(man ${CMAKE_BINARY_DIR}/man/${base}.1)
  add_custom_command(
    OUTPUT ${header} ${man} ${man}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir} ${CMAKE_BINARY_DIR}/man
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/scripts/make_help.py ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SOURCE}
            --header ${header} --variable ${ARG_VARIABLE} --man ${man} --man-gz ${man}.gz
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_SOURCE} ${PROJECT_SOURCE_DIR}/scripts/make_help.py
    COMMENT "Help text and man page of ${base}")
  target_sources(${target} PRIVATE ${header})
  target_include_directories(${target} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  install(FILES ${man}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
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
