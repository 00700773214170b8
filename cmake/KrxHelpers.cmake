# krx_library(<target> DIRS <dir>... [DEPS <lib>...])
# A static library made of every .cpp under the given folders, so that adding
# a source file needs no edit here.
function(krx_library target)
  cmake_parse_arguments(A "" "" "DIRS;DEPS;EXCLUDE" ${ARGN})
  set(srcs)
  foreach(d ${A_DIRS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${d}/*.cpp)
    list(APPEND srcs ${found})
  endforeach()
  add_library(${target} STATIC ${srcs})
  target_include_directories(${target} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(A_DEPS)
    target_link_libraries(${target} PUBLIC ${A_DEPS})
  endif()
endfunction()

# krx_tests(<name> [LABEL <label>] DEPS <lib>...)
# One GoogleTest program of the .cpp files in the current test folder (not its
# subfolders, which make programs of their own), every case labelled with the
# source folder it tests.
function(krx_tests name)
  cmake_parse_arguments(A "" "LABEL" "DEPS" ${ARGN})
  if(NOT A_LABEL)
    set(A_LABEL ${name})
  endif()
  set(folder ${A_LABEL})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  set(target test_${name})
  add_executable(${target} ${srcs})
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  target_link_libraries(${target} PRIVATE ${A_DEPS} krx_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${folder} FIXTURES_REQUIRED dataset
    DISCOVERY_TIMEOUT 60)
endfunction()
