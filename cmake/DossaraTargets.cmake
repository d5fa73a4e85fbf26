# Helpers shared by every area's CMakeLists.txt.

# Warnings as errors in our own code only.
set(DOSSARA_WARNINGS -Wall -Wextra -Werror -Wno-unused-parameter -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # g++ 12 reports false positives on std::optional<QString> at -O2.
  list(APPEND DOSSARA_WARNINGS -Wno-maybe-uninitialized)
endif()

# dossara_library(<target> SOURCES ... [LIBS ...])
function(dossara_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${DOSSARA_WARNINGS})
  target_link_libraries(${target} PUBLIC ${ARG_LIBS})
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    target_compile_definitions(${target} PUBLIC DOSSARA_ASSERTS_FATAL=0)
  else()
    target_compile_definitions(${target} PUBLIC DOSSARA_ASSERTS_FATAL=1)
  endif()
endfunction()

# dossara_tests(<target> SOURCES ... [LIBS ...])
# One GoogleTest program per area, linked with the shared test main.
function(dossara_tests target)
  if(NOT DOSSARA_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${DOSSARA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} dossara_testsupport GTest::gtest GTest::gmock)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${target}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DOSSARA_SOURCE_DIR=${CMAKE_SOURCE_DIR}" TIMEOUT 300)
endfunction()

# dossara_bench(<target> SOURCES ... [LIBS ...])
function(dossara_bench target)
  if(NOT DOSSARA_BENCH)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_compile_options(${target} PRIVATE ${DOSSARA_WARNINGS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} benchmark::benchmark)
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
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address)
  target_link_libraries(${target} PRIVATE ${ARG_LIBS})
endfunction()
