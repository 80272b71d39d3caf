# Helpers that keep every folder's CMakeLists.txt to a line or two.
#
# cartova_module(<name> [DEPENDS <module>...] [LIBS <library>...])
#   Builds the *.cpp files of the current folder into the static library
#   cartova_<name> (position-independent, hidden symbols) that libcartova.so,
#   the tools and the tests link. A folder without sources yet gives an
#   interface library, so that dependants can name it already.
#
# cartova_test(<name> [LIBS <library>...])
#   Builds the *.cpp files of the current folder into one GoogleTest program
#   and registers each of its tests with CTest.
#
# cartova_portable_test(<name> <gtest filter>)
#   Registers the tests of program <name> that match the filter once more,
#   as <name>.portable, with CARTOVA_NO_AVX2=1: the framework then runs its
#   portable loops instead of the 256-bit vector ones, which a machine with
#   AVX2 would otherwise never test.

function(cartova_module name)
  cmake_parse_arguments(M "" "" "DEPENDS;LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(target cartova_${name})
  set(deps)
  foreach(d IN LISTS M_DEPENDS)
    list(APPEND deps cartova_${d})
  endforeach()
  if(sources)
    add_library(${target} STATIC ${sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/framework)
    target_link_libraries(${target} PUBLIC ${deps} ${M_LIBS} Threads::Threads)
    set_target_properties(${target} PROPERTIES
      POSITION_INDEPENDENT_CODE ON
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  else()
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/framework)
    target_link_libraries(${target} INTERFACE ${deps} ${M_LIBS} Threads::Threads)
  endif()
endfunction()

function(cartova_test name)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
  target_compile_definitions(${name} PRIVATE CARTOVA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
endfunction()

function(cartova_portable_test name filter)
  add_test(NAME ${name}.portable COMMAND ${name} --gtest_filter=${filter})
  set_tests_properties(${name}.portable PROPERTIES ENVIRONMENT CARTOVA_NO_AVX2=1 TIMEOUT 600)
endfunction()
