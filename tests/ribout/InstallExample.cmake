# Installs blorp into a fresh prefix, builds docs/examples against it as an
# outside project would, runs the example and compares its RIB file with
# docs/examples/expected.rib.
#
# Variables: BUILD_DIR, EXAMPLE_DIR, WORK_DIR, GENERATOR, CXX, LINK_FLAGS.

include("${CMAKE_CURRENT_LIST_DIR}/ScratchInstall.cmake")

# The public face is ri.h alone: the writer's own headers stay inside.
file(GLOB_RECURSE installed_headers RELATIVE "${prefix}/include" "${prefix}/include/*")
if(NOT installed_headers STREQUAL "ri.h")
  message(FATAL_ERROR "installed headers: '${installed_headers}', expected only ri.h")
endif()

run(${CMAKE_COMMAND} -S "${EXAMPLE_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_CXX_COMPILER=${CXX}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK_DIR}/build")
run("${WORK_DIR}/build/rib_scene" "${WORK_DIR}/scene.rib")

file(READ "${WORK_DIR}/scene.rib" actual)
file(READ "${EXAMPLE_DIR}/expected.rib" expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "the example wrote:\n${actual}\nexpected:\n${expected}")
endif()
message(STATUS "example built against the installed library wrote the expected RIB")
