# Benchmarks: Google Benchmark programs, built only with -DTARVEK_BENCHMARKS=ON (Release).
# Speed and memory figures are met here, never in timed tests.
if(TARVEK_BENCHMARKS)
  find_package(benchmark REQUIRED)
endif()

# tarvek_add_benchmark(<name> SOURCES <file>... [LINKS <target>...])
function(tarvek_add_benchmark name)
  if(NOT TARVEK_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} benchmark::benchmark tarvek_warnings)
endfunction()

# tarvek_add_bench_tool(<name> SOURCES <file>... [LINKS <target>...])
# A plain program of the benchmarks (a generator of input files, say).
function(tarvek_add_bench_tool name)
  if(NOT TARVEK_BENCHMARKS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} tarvek_warnings)
endfunction()
