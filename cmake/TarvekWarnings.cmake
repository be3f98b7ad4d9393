# Warnings are on for all our own code and kept clean.
add_library(tarvek_warnings INTERFACE)
target_compile_options(tarvek_warnings INTERFACE
  -Wall -Wextra -Wshadow=local -Wcast-align -Wformat=2
  $<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual>
  $<$<BOOL:${TARVEK_WERROR}>:-Werror>)
