# Helpers shared by the folder CMakeLists: each library is every .cpp below its folder,
# so adding a source file never needs an edit here.

set(KILN_WARNINGS -Wall -Wextra -Wpedantic)

function(kiln_glob_sources out_var)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
    list(APPEND result ${found})
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

# A static library from the sources below the given folders (an empty folder still
# gives a linkable library, so targets exist before their first source does).
function(kiln_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;EXCLUDE" ${ARGN})
  kiln_glob_sources(srcs ${ARG_DIRS})
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(FILTER srcs EXCLUDE REGEX "${ex}")
  endforeach()
  if(NOT srcs)
    set(empty ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${empty} "// no sources yet\n")
    set(srcs ${empty})
  endif()
  add_library(${name} STATIC ${srcs})
  target_compile_options(${name} PRIVATE ${KILN_WARNINGS})
endfunction()
