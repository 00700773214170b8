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
  if(NOT srcs)
    # A folder whose first sources have not arrived yet still links.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_SOURCE_DIR})
    if(A_DEPS)
      target_link_libraries(${target} INTERFACE ${A_DEPS})
    endif()
    return()
  endif()
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

# krx_fuzz_target(<name> LABEL <label> SOURCES <fuzz main> READERS <reader sources>...
#                 DEPS <libs>... [MAX_LEN <bytes>])
# A libFuzzer program over the given readers, whose sources are compiled in so
# that they carry the fuzzer's coverage, and a bounded run of it in the suite:
# new inputs go to a scratch folder in the build tree, the committed seeds in
# corpus/ are only read. Only clang sanitizer builds have libFuzzer.
function(krx_fuzz_target name)
  cmake_parse_arguments(A "" "LABEL;MAX_LEN" "SOURCES;READERS;DEPS" ${ARGN})
  if(NOT (KRX_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    return()
  endif()
  if(NOT A_MAX_LEN)
    set(A_MAX_LEN 4096)
  endif()
  add_executable(${name} ${A_SOURCES} ${A_READERS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -Wall -Wextra -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/corpus_out)
  file(MAKE_DIRECTORY ${out})
  # Paths are absolute: some targets change folder around each input.
  add_test(NAME ${name}
    COMMAND ${name} -runs=20000 -max_len=${A_MAX_LEN} -max_total_time=10 -rss_limit_mb=2048
            -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/ ${out} ${CMAKE_CURRENT_SOURCE_DIR}/corpus
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES LABELS ${A_LABEL} TIMEOUT 120)
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(krx_add_subfolders)
  file(GLOB subdirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(d ${subdirs})
    if(IS_DIRECTORY ${d} AND EXISTS ${d}/CMakeLists.txt)
      add_subdirectory(${d})
    endif()
  endforeach()
endfunction()

# krx_add_labels(<test program> <label>...)
# Gives every case discovered in a test program these labels instead of its
# folder's alone (e.g. `threads` for the cases that start threads or
# processes, which the ThreadSanitizer build runs).
function(krx_add_labels target)
  if(NOT TARGET ${target})
    return()
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_labels.cmake)
  file(WRITE ${script} "set_tests_properties(\${${target}_TESTS} PROPERTIES LABELS \"${ARGN}\")\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()
