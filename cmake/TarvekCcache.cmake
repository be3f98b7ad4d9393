# Use ccache when the machine has it: rebuilds after a clean checkout stay fast.
find_program(TARVEK_CCACHE ccache)
if(TARVEK_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${TARVEK_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${TARVEK_CCACHE})
endif()
