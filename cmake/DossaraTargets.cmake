# Helpers shared by every area's CMakeLists.txt.

# Warnings as errors in our own code only.
set(DOSSARA_WARNINGS -Wall -Wextra -Werror -Wno-unused-parameter -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # g++ 12 reports false positives on std::optional<QString> at -O2.
  list(APPEND DOSSARA_WARNINGS -Wno-maybe-uninitialized)
endif()
if(DOSSARA_SANITIZE)
  # The sanitizers' instrumentation misleads g++'s flow analysis (out-of-bounds warnings
  # inside Qt's own headers); the plain build keeps every warning an error.
  list(APPEND DOSSARA_WARNINGS -Wno-error)
endif()

# The libraries with their sources and links, one line each, for scripts/check_links.py.
set(DOSSARA_LINK_MANIFEST ${CMAKE_BINARY_DIR}/dossara_links.txt)
get_target_property(_qt_include_dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
list(FILTER _qt_include_dirs INCLUDE REGEX "/QtCore$")
list(TRANSFORM _qt_include_dirs REPLACE "/QtCore$" "")
file(WRITE ${DOSSARA_LINK_MANIFEST} "qt\t${_qt_include_dirs}\n")

# dossara_library(<target> SOURCES ... [PUBLIC ...] [PRIVATE ...])
# One static library. PUBLIC names what the target's own headers expose to their includers
# (a base class, a member type, an inline call); everything its sources alone use is PRIVATE,
# so an includer that needs it says so itself. Every target includes from the repository root.
function(dossara_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;PUBLIC;PRIVATE;LIBS" ${ARGN})
  if(ARG_LIBS)
    message(FATAL_ERROR "dossara_library(${target}): LIBS is not taken; list what the headers "
                        "of ${target} expose under PUBLIC and the rest under PRIVATE")
  endif()
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "dossara_library(${target}): unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${DOSSARA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  file(APPEND ${DOSSARA_LINK_MANIFEST}
    "lib\t${target}\t${CMAKE_CURRENT_SOURCE_DIR}\t${ARG_SOURCES}\t${ARG_PUBLIC}\t${ARG_PRIVATE}\n")
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_definitions(${target} PUBLIC DOSSARA_ASSERTS_FATAL=0)
  else()
    target_compile_definitions(${target} PUBLIC DOSSARA_ASSERTS_FATAL=1)
  endif()
endfunction()

# dossara_program(<target> SOURCES ... [LIBS ...]): a program of our own. Tests and
# benchmarks below are programs with more settings.
function(dossara_program target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  if(ARG_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "${target}: unknown arguments ${ARG_UNPARSED_ARGUMENTS}")
  endif()
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${DOSSARA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
endfunction()

# The environment of every test: the offscreen platform, the source folder, and under
# DOSSARA_SANITIZE the sanitizers' options (stack traces on every report).
set(DOSSARA_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen" "DOSSARA_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
if(DOSSARA_SANITIZE)
  list(APPEND DOSSARA_TEST_ENVIRONMENT
    "ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:strict_init_order=1"
    "UBSAN_OPTIONS=print_stacktrace=1")
else()
  # Tests kill programs, never the machine: what a killed program wrote is in the system's
  # cache either way, so the tests skip the disk syncs (tens of thousands per test program,
  # minutes on a busy disk). Every write, commit and journal step still runs as in the
  # programs; benchmarks keep the full syncs. The sanitizer runtime must load first, so the
  # sanitizer build keeps the syncs.
  find_library(DOSSARA_EATMYDATA NAMES eatmydata)
  if(DOSSARA_EATMYDATA)
    list(APPEND DOSSARA_TEST_ENVIRONMENT "LD_PRELOAD=${DOSSARA_EATMYDATA}")
  endif()
endif()

# dossara_tests(<target> SOURCES ... [LIBS ...])
# One GoogleTest program per area, linked with the shared test main. Its data files are at
# TEST_DATA_DIR (a macro of its generated "test_paths.h"), the tests/data folder beside its sources. Every file of the program sees the
# gtest printers for Qt types: a printer that one file sees and another does not would give
# two different definitions of the same gtest template, and the linker keeps either.
function(dossara_tests target)
  if(NOT DOSSARA_TESTS)
    return()
  endif()
  dossara_program(${target} ${ARGN})
  target_compile_options(${target} PRIVATE -include ${PROJECT_SOURCE_DIR}/testsupport/qt_printers.h)
  # The paths a test program needs (its data folder, the helper programs it starts) reach its
  # sources as macros of a header generated for it, "test_paths.h", never as -D switches:
  # they are this clone's absolute paths, and on the command line they would keep every
  # object of the program out of ccache in another clone of the same commit; in a header
  # only the files that include it miss. dossara_test_paths() adds more macros.
  set(_paths_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_paths)
  set_property(TARGET ${target} PROPERTY DOSSARA_TEST_PATHS
    "#define TEST_DATA_DIR \"${CMAKE_CURRENT_SOURCE_DIR}/tests/data\"")
  file(GENERATE OUTPUT ${_paths_dir}/test_paths.h CONTENT
    "#pragma once\n$<TARGET_GENEX_EVAL:${target},$<JOIN:$<TARGET_PROPERTY:${target},DOSSARA_TEST_PATHS>,\n>>\n")
  target_include_directories(${target} PRIVATE ${_paths_dir})
  target_link_libraries(${target} PRIVATE dossara_testsupport GTest::gtest GTest::gmock Qt6::Test)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # The environment goes through `env` as the tests' launcher: a list in the ENVIRONMENT
  # property would reach the discovery script split, keeping only its first variable.
  set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR "env;${DOSSARA_TEST_ENVIRONMENT}")
  # The longest tests (the failing-write and kill loops, a global update committing every
  # record) take about a minute alone; under `make load` they run six times slower.
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES TIMEOUT 600)
endfunction()

# dossara_test_paths(<target> NAME VALUE [NAME VALUE ...]): more path macros in the test
# program's test_paths.h (values may hold generator expressions such as $<TARGET_FILE:x>).
# A target that is not built is passed over.
function(dossara_test_paths target)
  if(NOT TARGET ${target})
    return()
  endif()
  set(_args ${ARGN})
  while(_args)
    list(POP_FRONT _args _name _value)
    set_property(TARGET ${target} APPEND PROPERTY DOSSARA_TEST_PATHS "#define ${_name} \"${_value}\"")
  endwhile()
endfunction()

# dossara_bench(<target> SOURCES ... [LIBS ...])
function(dossara_bench target)
  if(NOT DOSSARA_BENCH)
    return()
  endif()
  dossara_program(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE benchmark::benchmark)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  set_property(GLOBAL APPEND PROPERTY DOSSARA_BENCH_TARGETS ${target})
endfunction()

# dossara_fuzz(<target> SOURCES ... [LIBS ...]): a libFuzzer target, only with -DDOSSARA_FUZZ=ON.
function(dossara_fuzz target)
  if(NOT DOSSARA_FUZZ)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
endfunction()
