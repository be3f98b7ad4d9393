# tarvek_add_shared_library(<name> FOLDERS <dir>... [LINKS <target>...]
#                           [PRIVATE_LINKS <target>...] [C_INTERFACE_ONLY])
#
# A shared library made of every .c/.cpp file in the given folders (relative to the
# calling CMakeLists.txt), with its public headers in include/. Symbols are hidden
# unless marked with the library's export macro; <NAME>_BUILDING is defined while
# the library itself is compiled.
#
# The sources compile once, into <name>_objects. The shared library and its static
# twin <name>_static are both made of those objects: tests and tools that need the
# library's internals link the twin (through tarvek_link_static_twin), so the shared
# library exports nothing beyond its C interface. With C_INTERFACE_ONLY the shared
# library's dynamic symbol table is limited to unmangled names: no C++ symbol (not
# even a standard-library template instance) leaks into it.
#
# Compile settings of the library's own code go on <name>_objects; link settings go
# through tarvek_library_link_private so that both the library and its twin get them.
function(tarvek_add_shared_library name)
  cmake_parse_arguments(ARG "C_INTERFACE_ONLY" "" "FOLDERS;LINKS;PRIVATE_LINKS" ${ARGN})
  set(sources "")
  foreach(folder IN LISTS ARG_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp
      ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.c)
    if(NOT folder_sources)
      message(FATAL_ERROR "${name}: folder ${folder} holds no sources")
    endif()
    list(APPEND sources ${folder_sources})
  endforeach()
  string(TOUPPER ${name} upper)

  add_library(${name}_objects OBJECT ${sources})
  set_target_properties(${name}_objects PROPERTIES POSITION_INDEPENDENT_CODE ON)
  target_compile_definitions(${name}_objects PRIVATE ${upper}_BUILDING=1)
  target_include_directories(${name}_objects
    PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
    PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_objects PUBLIC ${ARG_LINKS}
    PRIVATE tarvek_warnings ${ARG_PRIVATE_LINKS})

  add_library(${name} SHARED $<TARGET_OBJECTS:${name}_objects>)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(${name} PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
  # Undefined symbols are link errors, not load-time surprises. (Not in the fuzz
  # build: clang links its sanitizer runtime into programs only.)
  if(NOT TARVEK_FUZZ)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  if(ARG_C_INTERFACE_ONLY)
    target_link_options(${name} PRIVATE
      -Wl,--version-script=${CMAKE_SOURCE_DIR}/cmake/c_interface_only.map)
    set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS
      ${CMAKE_SOURCE_DIR}/cmake/c_interface_only.map)
  endif()

  # The twin sees the library's private headers by the same root-relative names
  # ("dxf/dxf_group_reader.h") as its own sources do.
  add_library(${name}_static STATIC $<TARGET_OBJECTS:${name}_objects>)
  target_include_directories(${name}_static PUBLIC
    ${CMAKE_CURRENT_SOURCE_DIR}/include ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${name}_static PUBLIC ${ARG_LINKS} PRIVATE ${ARG_PRIVATE_LINKS})
endfunction()

# tarvek_library_link_private(<name> <item>...)
# A private dependency of a library's own code: its compile settings reach the
# objects, its link items both the shared library and the static twin.
function(tarvek_library_link_private name)
  target_link_libraries(${name}_objects PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_link_libraries(${name}_static PRIVATE ${ARGN})
endfunction()

# tarvek_link_static_twin(<target> <library>...)
# Links the static twins whole: the libraries start up from constructors in objects
# that nothing references by name, and an archive would leave those out.
function(tarvek_link_static_twin target)
  foreach(library IN LISTS ARGN)
    target_link_libraries(${target} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${library}_static>")
  endforeach()
endfunction()
