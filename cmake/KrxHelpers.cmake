# Coverage for libFuzzer: the clang sanitizer build compiles the libraries
# with it, so the fuzz targets link them as they are. Without
# KRX_FUZZ_COMPARES the coverage leaves out the comparisons: their callbacks
# make every test of the build half as slow again, and the suite's replays of
# the corpora are guided by the edges alone (`make fuzz` explores with them).
function(krx_fuzzing out)
  if(KRX_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(${out} ON PARENT_SCOPE)
  else()
    set(${out} OFF PARENT_SCOPE)
  endif()
endfunction()

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
  krx_fuzzing(fuzzing)
  if(fuzzing)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
    if(NOT KRX_FUZZ_COMPARES)
      target_compile_options(${target} PRIVATE -fno-sanitize-coverage=trace-cmp)
    endif()
  endif()
  if(A_DEPS)
    target_link_libraries(${target} PUBLIC ${A_DEPS})
  endif()
endfunction()

# krx_tests(<name> [LABEL <label>] [DATASET] [THREADS] [SLOW <regex> <cost>...]
#           [TIMED <regex> <percent>...] DEPS <lib>...)
# One GoogleTest program of the .cpp files in the current test folder (not its
# subfolders, which make programs of their own), every case labelled with the
# source folder it tests.
#
# Tests that read the generated data set wait for the generator (the CTest
# fixture `dataset`); the others start at once. A test declares that it reads
# the data by its suite's name ending in `DataSet` (`GroundDataSet`), or the
# whole program does with DATASET. krxtest::DataDir() fails a test run by
# CTest that did not declare it, so a missing declaration never passes by
# luck of ordering.
#
# SLOW gives the cases whose names match each regex that cost: the long
# scenarios start first, so that a clean run (which has no timings of an
# earlier one) does not end on one of them started last.
#
# TIMED marks the cases whose names match each regex as the cases that judge
# time (they play in real time, or wait on the network or a device, and hold
# a pace, a gap or a latency to a bound): the label `timed`, and the percent
# of a core their processes and threads keep busy together in this
# configuration (the caller choosing by KRX_SANITIZE and KRX_TSAN), which
# they hold of the `cpu` resource while they run (a hundred slots to a core;
# scripts/run_tests.sh). No case asks for more than a core: the scheduler
# starts whatever fits first, and a larger share would wait for the end.
#
# THREADS marks a program whose tests start threads: the label `threads`.
# The ThreadSanitizer build (KRX_TSAN) builds and runs those programs only;
# the others are still defined there, so that folders can add to them, but
# neither built by default nor run.
function(krx_tests name)
  cmake_parse_arguments(A "DATASET;THREADS" "LABEL" "DEPS;SLOW;TIMED" ${ARGN})
  if(NOT A_LABEL)
    set(A_LABEL ${name})
  endif()
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  set(target test_${name})
  add_executable(${target} ${srcs})
  target_link_libraries(${target} PRIVATE ${A_DEPS} krx_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  # Every test file starts with the framework's header: parsed once for all
  # the programs (two thirds of an unoptimised test file's compile time, and
  # as long again to precompile). The programs on SDL see its definitions,
  # which a header precompiled without them may not meet: they parse their
  # own.
  if(NOT TARGET krx_test_header)
    file(WRITE ${CMAKE_BINARY_DIR}/test_header.cpp "")
    add_library(krx_test_header OBJECT ${CMAKE_BINARY_DIR}/test_header.cpp)
    target_link_libraries(krx_test_header PRIVATE krx_test_support GTest::gtest)
    target_compile_options(krx_test_header PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1> -O0)
    target_precompile_headers(krx_test_header PRIVATE <gtest/gtest.h>)
  endif()
  if("krx_platform_sdl" IN_LIST A_DEPS)
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h>)
  else()
    target_precompile_headers(${target} REUSE_FROM krx_test_header)
  endif()
  # Line tables are all a failing test's trace needs (full debug
  # information for test code is a third of the optimised build's time), and
  # the test code itself is not optimised, which halves its compile time in
  # the sanitizer build and saves a third in the optimised one: the code it
  # checks keeps its configuration's optimisation in its libraries.
  target_compile_options(${target} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1> -O0)
  if(KRX_TSAN AND NOT A_THREADS)
    set_target_properties(${target} PROPERTIES EXCLUDE_FROM_ALL ON)
    return()
  endif()
  set(labels ${A_LABEL})
  if(A_THREADS)
    list(APPEND labels threads)
    set_property(GLOBAL APPEND PROPERTY KRX_THREADS_TESTS ${target})
    # The ThreadSanitizer build makes the generator only for programs that
    # read the data set.
    set(reads_data ${A_DATASET})
    foreach(src ${srcs})
      file(STRINGS ${src} suites REGEX "DataSet")
      if(suites)
        set(reads_data ON)
      endif()
    endforeach()
    if(reads_data)
      set_property(GLOBAL PROPERTY KRX_THREADS_NEED_DATA ON)
    endif()
  endif()
  # The cases are found after the build; their properties are set by a
  # script CTest runs after the lists of cases are read (a list of labels
  # does not pass through the discovery's own properties). The data set's
  # readers, mostly whole scenes, start before the short cases once the
  # generator is done.
  set(discover ${target} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} DISCOVERY_TIMEOUT 60)
  if(A_DATASET)
    gtest_discover_tests(${discover} TEST_LIST ${target}_DATA)
  else()
    gtest_discover_tests(${discover} TEST_LIST ${target}_PLAIN TEST_FILTER "-*DataSet.*:*DataSet/*")
    gtest_discover_tests(${discover} TEST_LIST ${target}_DATA TEST_FILTER "*DataSet.*:*DataSet/*")
  endif()
  set(plain_env KRX_DATASET=undeclared ${KRX_TEST_ENVIRONMENT})
  set(data_env KRX_DATASET=ready ${KRX_TEST_ENVIRONMENT})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${script}
    "foreach(t IN LISTS ${target}_PLAIN)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${labels}\"\n"
    "                       ENVIRONMENT \"${plain_env}\")\n"
    "endforeach()\n"
    "foreach(t IN LISTS ${target}_DATA)\n"
    "  set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${labels}\"\n"
    "                       ENVIRONMENT \"${data_env}\"\n"
    "                       FIXTURES_REQUIRED dataset COST 100)\n"
    "endforeach()\n")
  while(A_SLOW)
    list(POP_FRONT A_SLOW regex cost)
    file(APPEND ${script}
      "foreach(t IN LISTS ${target}_PLAIN ${target}_DATA)\n"
      "  if(t MATCHES \"${regex}\")\n"
      "    set_tests_properties(\"\${t}\" PROPERTIES COST ${cost})\n"
      "  endif()\n"
      "endforeach()\n")
  endwhile()
  # Set once, the last regex that matches giving the share: each setting of
  # the groups adds to them.
  if(A_TIMED)
    file(APPEND ${script}
      "foreach(t IN LISTS ${target}_PLAIN ${target}_DATA)\n"
      "  set(share 0)\n")
    while(A_TIMED)
      list(POP_FRONT A_TIMED regex percent)
      file(APPEND ${script} "  if(t MATCHES \"${regex}\")\n    set(share ${percent})\n  endif()\n")
    endwhile()
    file(APPEND ${script}
      "  if(share)\n"
      "    set_tests_properties(\"\${t}\" PROPERTIES LABELS \"${labels};timed\" RESOURCE_GROUPS cpu:\${share})\n"
      "  endif()\n"
      "endforeach()\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

# krx_fuzz_target(<name> LABEL <label> SOURCES <fuzz main>... DEPS <libs>...
#                 [MAX_LEN <bytes>] [RUNS <inputs>])
# A libFuzzer program over the readers in the given libraries (the sanitizer
# build compiles them with coverage) and its run in the suite: the committed
# seeds in corpus/ replayed, then RUNS inputs mutated from a fixed seed, so a
# commit always passes or always fails. New inputs go to a scratch folder in
# the build tree that each run starts empty; corpus/ is only read.
# `make fuzz` explores with the same programs (scripts/fuzz.sh).
# Only clang sanitizer builds have libFuzzer.
function(krx_fuzz_target name)
  cmake_parse_arguments(A "" "LABEL;MAX_LEN;RUNS" "SOURCES;READERS;DEPS" ${ARGN})
  if(A_READERS)
    message(FATAL_ERROR "krx_fuzz_target(${name}): the readers are not compiled in again; "
                        "name their libraries in DEPS instead of READERS")
  endif()
  krx_fuzzing(fuzzing)
  if(NOT fuzzing)
    return()
  endif()
  if(NOT A_MAX_LEN)
    set(A_MAX_LEN 4096)
  endif()
  if(NOT A_RUNS)
    set(A_RUNS 4000)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus)
  # Paths are absolute: some targets change folder around each input.
  add_test(NAME ${name}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz.sh replay $<TARGET_FILE:${name}> ${corpus}
            ${CMAKE_CURRENT_BINARY_DIR}/${name}.replay ${A_MAX_LEN} ${A_RUNS}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  # Started before the short tests, so that they do not end the suite alone.
  # A replay is a fixed amount of work, run below the timed cases' priority:
  # on a machine busy with other work it takes many times its quiet minute
  # or two, so its limit is the one every other case has.
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABEL};fuzz" TIMEOUT 1500 COST 1000
                       ENVIRONMENT "${KRX_TEST_ENVIRONMENT}")
  set_property(GLOBAL APPEND PROPERTY KRX_FUZZ_TARGETS ${name})
  set_property(GLOBAL APPEND PROPERTY KRX_FUZZ_LIST
               "${name} $<TARGET_FILE:${name}> ${corpus} ${A_MAX_LEN}")
endfunction()

# Called once after every test folder: the fuzz targets and the list of them
# that `make fuzz` explores, and the targets that build what the
# ThreadSanitizer build runs.
function(krx_finish_tests)
  get_property(fuzz GLOBAL PROPERTY KRX_FUZZ_LIST)
  list(JOIN fuzz "\n" fuzz)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz_targets.txt CONTENT "${fuzz}\n")
  get_property(fuzz GLOBAL PROPERTY KRX_FUZZ_TARGETS)
  add_custom_target(krx_fuzz_targets)
  if(fuzz)
    add_dependencies(krx_fuzz_targets ${fuzz})
  endif()
  # The programs alone serve a run given a data set made elsewhere
  # (KRX_SHARED_TESTDATA); the generator comes too when they read one.
  get_property(threads GLOBAL PROPERTY KRX_THREADS_TESTS)
  add_custom_target(krx_threads_programs)
  if(threads)
    add_dependencies(krx_threads_programs ${threads})
  endif()
  add_custom_target(krx_threads_tests)
  add_dependencies(krx_threads_tests krx_threads_programs)
  get_property(need_data GLOBAL PROPERTY KRX_THREADS_NEED_DATA)
  if(need_data)
    add_dependencies(krx_threads_tests krx_datagen)
  endif()
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
