# tarvek_add_shared_library(<name> FOLDERS <dir>... [LINKS <target>...])
#
# A shared library made of every .c/.cpp file in the given folders (relative to the
# calling CMakeLists.txt), with its public headers in include/. Symbols are hidden
# unless marked with the library's export macro; <NAME>_BUILDING is defined while
# the library itself is compiled.
function(tarvek_add_shared_library name)
  cmake_parse_arguments(ARG "" "" "FOLDERS;LINKS;PRIVATE_LINKS" ${ARGN})
  set(sources "")
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.c)
    list(APPEND sources ${folder_sources})
  endforeach()
  add_library(${name} SHARED ${sources})
  string(TOUPPER ${name} upper)
  target_compile_definitions(${name} PRIVATE ${upper}_BUILDING=1)
  target_include_directories(${name}
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE tarvek_warnings ${ARG_PRIVATE_LINKS})
  # Undefined symbols are link errors, not load-time surprises. (Not in the fuzz
  # build: clang links its sanitizer runtime into programs only.)
  if(NOT TARVEK_FUZZ)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
