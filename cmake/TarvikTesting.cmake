# A test's TIMEOUT guards against a hang, not a speed: code built with a sanitizer runs several
# times slower (ThreadSanitizer at -O0 some ten times), so its trees give every test three times
# the time. Timings a test itself checks are its own business.
if(TARVIK_SANITIZE OR TARVIK_TSAN)
  set(TARVIK_TIMEOUT_SCALE 3)
else()
  set(TARVIK_TIMEOUT_SCALE 1)
endif()

# tarvik_add_gtest(<name> LABEL <folder> SOURCES ... [LIBS ...] [ENV VAR=VALUE ...] [BOARD_MAIN])
# One GoogleTest executable registered with CTest under the folder's label. BOARD_MAIN runs the
# process on a fresh virtual board of its own (see platform/tests/support/TestBoardMain.cpp).
function(tarvik_add_gtest name)
  cmake_parse_arguments(T "BOARD_MAIN" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_BOARD_MAIN)
    set(main tarvik_testboardmain)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE tarvik_testsupport ${main} GTest::gtest GTest::gmock Threads::Threads ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${TARVIK_TIMEOUT_SCALE}")
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
  if(T_ENV)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
  endif()
endfunction()

# tarvik_add_benchmark(<name> SOURCES ... [LIBS ...]): built when Google Benchmark is present,
# never registered as a test, never installed.
function(tarvik_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT benchmark_FOUND OR NOT TARVIK_TOOLS)
    return()
  endif()
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark Threads::Threads ${B_LIBS})
  set_target_properties(${name} PROPERTIES TARVIK_BUILD_TOOL ON)
endfunction()

# tarvik_add_fuzz(<name> LABEL <folder> SOURCES ... [INCLUDES ...] [SEEDS file...] [DICT file] [RUNS n]
#                 [MAX_LEN bytes])
# A libFuzzer target built with clang++ (address and undefined-behaviour sanitizers) beside the
# GCC build, from the sources themselves, and a test (labels <folder> and fuzz) that runs it from a
# fixed seed for RUNS inputs (at most 10 s) of at most MAX_LEN bytes (default 4096). libFuzzer cuts
# a longer seed silently, so a seed above MAX_LEN stops the configuration. Without clang++ the test
# reports itself skipped. build/fuzz/<name>.args lists the target's options and seeds, one a line,
# for scripts/fuzz. Nothing of it in a build with TARVIK_FUZZ off.
find_program(TARVIK_CLANGXX NAMES clang++ clang++-14)
function(tarvik_add_fuzz name)
  cmake_parse_arguments(F "" "LABEL;DICT;RUNS;MAX_LEN" "SOURCES;INCLUDES;SEEDS" ${ARGN})
  if(NOT TARVIK_FUZZ)
    return()
  endif()
  if(NOT F_RUNS)
    set(F_RUNS 3000)
  endif()
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  foreach(seed ${F_SEEDS})
    file(SIZE ${seed} seed_size)
    if(seed_size GREATER F_MAX_LEN)
      message(FATAL_ERROR "${name}: seed ${seed} has ${seed_size} bytes, more than MAX_LEN ${F_MAX_LEN}; "
                          "the fuzzer would cut it. Raise MAX_LEN.")
    endif()
  endforeach()
  if(NOT TARVIK_CLANGXX)
    add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "clang++ not found: ${name} not built")
    set_tests_properties(${name} PROPERTIES LABELS "${F_LABEL};fuzz" SKIP_REGULAR_EXPRESSION "clang\\+\\+ not found")
    return()
  endif()
  set(exe ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name})
  set(includes)
  set(headers)
  foreach(dir ${F_INCLUDES})
    list(APPEND includes -I${dir})
    file(GLOB dir_headers CONFIGURE_DEPENDS ${dir}/*.h)
    list(APPEND headers ${dir_headers})
  endforeach()
  add_custom_command(OUTPUT ${exe}
    COMMAND ${TARVIK_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=undefined -Wall -Wextra ${includes} ${F_SOURCES} -o ${exe}
    DEPENDS ${F_SOURCES} ${headers}
    COMMENT "Building fuzz target ${name} with clang++"
    VERBATIM)
  add_custom_target(${name}_build ALL DEPENDS ${exe})
  set(artifacts ${CMAKE_BINARY_DIR}/fuzz-artifacts/${name}/)
  file(MAKE_DIRECTORY ${artifacts})
  set(limits -timeout=5 -rss_limit_mb=1024 -max_len=${F_MAX_LEN})
  if(F_DICT)
    list(APPEND limits -dict=${F_DICT})
  endif()
  string(REPLACE ";" "\n" lines "${exe};${limits};${F_SEEDS}")
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz/${name}.args "${lines}\n")
  set(args -seed=1 -runs=${F_RUNS} -max_total_time=10 ${limits} -artifact_prefix=${artifacts} -print_final_stats=1)
  if(F_SEEDS)
    string(REPLACE ";" "," seeds "${F_SEEDS}")
    list(APPEND args -seed_inputs=${seeds})
  endif()
  add_test(NAME ${name} COMMAND ${exe} ${args})
  set_tests_properties(${name} PROPERTIES LABELS "${F_LABEL};fuzz" TIMEOUT 60)
endfunction()

# tarvik_add_qtest(<name> LABEL <folder> SOURCES ... [LIBS ...]): one Qt Test executable (a
# tst_<Class>.cpp using TARVIK_QTEST_MAIN) on offscreen windows, a fresh virtual board and a private
# runtime folder (app/shell/tests/support), registered with CTest under the folder's label.
function(tarvik_add_qtest name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE tarvik_qtestsupport Qt6::Test ${T_LIBS})
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${TARVIK_TIMEOUT_SCALE}")
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
endfunction()
