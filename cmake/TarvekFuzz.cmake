# Fuzz targets. Each target is one LLVMFuzzerTestOneInput and builds two ways:
#  - always (with the tests): <name>_replay, a program that ctest runs over every saved
#    input in fuzz/corpus/<name>/, so every input ever found stays a regression test;
#  - with TARVEK_FUZZ=ON (clang and libFuzzer, see fuzz/run.sh): the fuzzer <name>.
option(TARVEK_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(TARVEK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Readers may skip checksums in fuzzing builds, so that mutated inputs get past them.
  add_compile_definitions(FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION)
endif()

# tarvek_add_fuzz_target(<name> SOURCES <file>... [LINKS <target>...] [TWINS <library>...])
# TWINS: libraries whose internals the target reaches, linked as their static twins.
function(tarvek_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS;TWINS" ${ARGN})
  if(TARVEK_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LINKS} tarvek_warnings)
    tarvek_link_static_twin(${name} ${ARG_TWINS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    return()
  endif()
  if(NOT TARVEK_TESTS)
    return()
  endif()
  add_executable(${name}_replay ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${ARG_LINKS} tarvek_warnings)
  tarvek_link_static_twin(${name}_replay ${ARG_TWINS})
  set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  add_test(NAME fuzz_replay.${name}
    COMMAND ${TARVEK_TEST_SANDBOX} $<TARGET_FILE:${name}_replay> ${corpus})
  set_tests_properties(fuzz_replay.${name} PROPERTIES
    ENVIRONMENT "${TARVEK_SANITIZER_ENV}" TIMEOUT 300)
endfunction()
