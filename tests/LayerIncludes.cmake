cmake_minimum_required(VERSION 3.16)
# Fails when a library includes the headers of a library above it. The
# arrows point one way: geometry <- softbody <- world, and ribout, which
# geometry and world use, knows nothing of physics.
#   cmake -DSOURCE_DIR=<project> [-DCHECK_DIR=<tree to check>] -P LayerIncludes.cmake
# CHECK_DIR (the project itself by default) lets the check's own test run it
# on a tree that breaks the rule.
if(NOT DEFINED CHECK_DIR)
  set(CHECK_DIR ${SOURCE_DIR})
endif()

# Each library and the folders whose headers it may include besides its own.
set(allowed_ribout "")
set(allowed_geometry "ribout")
set(allowed_softbody "geometry;ribout")
set(allowed_world "softbody;geometry;ribout")
set(project_folders ribout geometry softbody world app bench tests tools)

set(faults "")
foreach(library ribout geometry softbody world)
  file(GLOB_RECURSE sources "${CHECK_DIR}/${library}/*.h" "${CHECK_DIR}/${library}/*.cpp")
  foreach(source ${sources})
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"/]+)/.*$" "\\1" folder "${line}")
      if(folder STREQUAL library OR NOT folder IN_LIST project_folders)
        continue()
      endif()
      if(NOT folder IN_LIST allowed_${library})
        file(RELATIVE_PATH name "${CHECK_DIR}" "${source}")
        string(STRIP "${line}" line)
        string(APPEND faults "  ${name}: ${line} (${library}/ may include only ${library}/ and: ${allowed_${library}})\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "A library includes a library above it:\n${faults}")
endif()
message(STATUS "Every library includes only itself and the libraries below it.")
