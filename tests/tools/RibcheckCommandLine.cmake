# Runs the ribcheck executable as a user does and checks its exit statuses,
# its finding lines on standard output and its summary on standard error.
# Called with -DRIBCHECK=<executable> -DWORK_DIR=<scratch directory>.

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}")
file(WRITE "${WORK_DIR}/good.rib" "FrameBegin 0\nWorldBegin\nSphere 1 -1 1 360\nWorldEnd\nFrameEnd\n")
file(WRITE "${WORK_DIR}/bad.rib" "WorldBegin\nSphere 1 -1 1\nAttributeEnd\n")
set(points "")
foreach(i RANGE 1 36)
  string(APPEND points " 0.5")
endforeach()
set(partial_mesh "PatchMesh \"bicubic\" 4 \"nonperiodic\" 3 \"nonperiodic\" \"P\" [${points}]\n")
file(WRITE "${WORK_DIR}/partial.rib" "WorldBegin\n${partial_mesh}${partial_mesh}${partial_mesh}WorldEnd\n")
# The frame structure that renderers refuse at WorldBegin.
file(WRITE "${WORK_DIR}/nested.rib"
  "FrameBegin 0\nProjection \"perspective\"\nTransformBegin\nScale 1 1 -1\nWorldBegin\nWorldEnd\nTransformEnd\nFrameEnd\n")

set(failures 0)

# expect(<name> STATUS <n> [OUT <regex>] [ERR <regex>] [INPUT <file>] ARGS <arguments...>)
function(expect name)
  cmake_parse_arguments(E "" "STATUS;OUT;ERR;INPUT" "ARGS" ${ARGN})
  set(input_option "")
  if(E_INPUT)
    set(input_option INPUT_FILE "${E_INPUT}")
  endif()
  execute_process(COMMAND "${RIBCHECK}" ${E_ARGS} ${input_option}
                  WORKING_DIRECTORY "${WORK_DIR}"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(problem "")
  if(NOT "${status}" STREQUAL "${E_STATUS}")
    string(APPEND problem "exit status ${status}, expected ${E_STATUS}; ")
  endif()
  if(DEFINED E_OUT AND NOT out MATCHES "${E_OUT}")
    string(APPEND problem "standard output does not match '${E_OUT}'; ")
  endif()
  if(DEFINED E_ERR AND NOT err MATCHES "${E_ERR}")
    string(APPEND problem "standard error does not match '${E_ERR}'; ")
  endif()
  if(problem)
    message(SEND_ERROR "${name}: ${problem}\n--- stdout:\n${out}--- stderr:\n${err}")
  endif()
endfunction()

expect("a clean file" STATUS 0 OUT "^$"
       ERR "^ribcheck: good.rib: 5 requests, 1 frames, 0 problems\n$" ARGS good.rib)
expect("a file with problems" STATUS 1
       OUT "^bad.rib:2: Sphere: missing thetamax\nbad.rib:3: AttributeEnd without AttributeBegin\nbad.rib:1: WorldBegin never closed\n$"
       ERR "ribcheck: bad.rib: 3 requests, 0 frames, 3 problems" ARGS bad.rib)
expect("one bad file among good ones" STATUS 1
       ERR "good.rib: 5 requests.*bad.rib: 3 requests.*good.rib: 5 requests" ARGS good.rib bad.rib good.rib)
expect("standard input" STATUS 1 OUT "^<stdin>:2: Sphere: missing thetamax\n" ERR "ribcheck: <stdin>: 3 requests"
       INPUT "${WORK_DIR}/bad.rib" ARGS -)
expect("a world inside a transform block" STATUS 1
       OUT "^nested.rib:5: WorldBegin inside the TransformBegin of line 3: [^\n]*\n$" ARGS nested.rib)
expect("a partial mesh is a problem" STATUS 1
       OUT "^partial.rib:2: PatchMesh \"bicubic\" does not fit the basis[^\n]*\npartial.rib:3: [^\n]*\npartial.rib:4: [^\n]*\n$"
       ARGS partial.rib)
expect("a repeated note is printed once with its count" STATUS 0
       OUT "^partial.rib:2: note: PatchMesh \"bicubic\" does not fit the basis: nv 3 [^\n]* \\(3 notes of this kind, the first on this line; --verbose lists each\\)\n$"
       ERR "0 problems" ARGS --allow-partial-meshes partial.rib)
expect("--verbose prints every note" STATUS 0
       OUT "^partial.rib:2: note: PatchMesh[^\n]*\\)\npartial.rib:3: note: [^\n]*\\)\npartial.rib:4: note: [^\n]*\\)\n$"
       ARGS --verbose --allow-partial-meshes partial.rib)
expect("a file that does not exist" STATUS 2 ERR "ribcheck: cannot open missing.rib" ARGS missing.rib)
expect("a missing file outweighs problems" STATUS 2 ARGS bad.rib missing.rib)
expect("no file" STATUS 2 ERR "usage: ribcheck" ARGS)
expect("an unknown option" STATUS 2 ERR "unknown option --strict\nusage: ribcheck" ARGS --strict good.rib)
expect("help" STATUS 0 OUT "--allow-partial-meshes.*--verbose.*Exit status" ARGS --help)
