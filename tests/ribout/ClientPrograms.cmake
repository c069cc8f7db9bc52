# Installs blorp into a fresh prefix and builds the RenderMan client programs
# of tests/ribout/clients as C programs against it, the way their users would:
# a LANGUAGES C CMake project through find_package, and plain compiler calls
# through pkg-config, as C and as C++. Each program runs; its RIB must equal
# the expected text byte for byte and pass ribcheck.
#
# Variables: BUILD_DIR, CLIENT_DIR, WORK_DIR, GENERATOR, CC, CXX, RIBCHECK,
# LINK_FLAGS.

include("${CMAKE_CURRENT_LIST_DIR}/ScratchInstall.cmake")

# Runs `program` writing `name`.rib in the work directory, then compares it
# with the expected file and has ribcheck read it.
function(check_rib program name)
  set(rib "${WORK_DIR}/${name}.rib")
  file(REMOVE "${rib}")
  run("${program}" "${rib}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${rib}" "${CLIENT_DIR}/expected/${name}.rib"
                  RESULT_VARIABLE differs)
  if(differs)
    file(READ "${rib}" actual)
    message(FATAL_ERROR "${program} wrote a RIB file other than expected/${name}.rib:\n${actual}")
  endif()
  run("${RIBCHECK}" "${rib}")
endfunction()


# The flags under which C programs for the binding must build cleanly: a
# pointer type that does not match is an error, as newer compilers make it.
set(c_flags -std=c99 -Wall -Werror=incompatible-pointer-types)
string(REPLACE ";" " " c_flags_text "${c_flags}")
run(${CMAKE_COMMAND} -S "${CLIENT_DIR}" -B "${WORK_DIR}/build" -G "${GENERATOR}"
    "-DCMAKE_PREFIX_PATH=${prefix}" "-DCMAKE_C_COMPILER=${CC}" "-DCMAKE_C_FLAGS=${c_flags_text}"
    "-DCMAKE_EXE_LINKER_FLAGS=${LINK_FLAGS}")
run(${CMAKE_COMMAND} --build "${WORK_DIR}/build")

foreach(name lit_scene patch_mesh shadow_map motion_blur instancing color_samples binary_switch)
  check_rib("${WORK_DIR}/build/${name}" ${name})
endforeach()

# A failing RiBegin under RiErrorIgnore returns to the program, which ends
# by itself with status 0.
execute_process(COMMAND "${WORK_DIR}/build/failing_begin" RESULT_VARIABLE status
                OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(expected_out "Error making RIB file: bad filename: /missing/x.rib: No such file or directory\ncleaned up\n")
if(NOT status EQUAL 0 OR NOT out STREQUAL expected_out OR NOT err STREQUAL "")
  message(FATAL_ERROR "failing_begin: status ${status}\nout:\n${out}\nerr:\n${err}")
endif()

# Without CMake: the flags pkg-config gives are all a C or C++ compile needs.
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PKG_CONFIG_PATH=${prefix}/lib/pkgconfig"
                        pkg-config --cflags --libs blorp-ribout
                RESULT_VARIABLE status OUTPUT_VARIABLE pkg_flags ERROR_VARIABLE err
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "pkg-config --cflags --libs blorp-ribout: ${err}")
endif()
separate_arguments(pkg_flags UNIX_COMMAND "${pkg_flags}")
separate_arguments(link_flags UNIX_COMMAND "${LINK_FLAGS}")
run("${CC}" ${c_flags} "${CLIENT_DIR}/lit_scene.c" -o "${WORK_DIR}/lit_scene_pkg" ${pkg_flags} ${link_flags})
check_rib("${WORK_DIR}/lit_scene_pkg" lit_scene)
# The same C source as C++: char * token arrays and handlers still compile.
run("${CXX}" -Wall -x c++ "${CLIENT_DIR}/lit_scene.c" -x none -o "${WORK_DIR}/lit_scene_cxx" ${pkg_flags}
    ${link_flags})
check_rib("${WORK_DIR}/lit_scene_cxx" lit_scene)
message(STATUS "the client programs built as C and C++ against the installed library wrote the expected RIB")
