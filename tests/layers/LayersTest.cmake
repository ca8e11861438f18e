# Runs the include-layer check over small source trees, one per case, and compares its
# verdict. Run as: cmake -DCHECK=<repo>/cmake/CheckLayers.cmake -DWORK=<scratch> -P LayersTest.cmake
# Each case: file|included header|"pass" or the text the failure must name.
set(cases
  "cli/A.cpp|platform/Platform.h|pass"
  "platform/linux/B.cpp|platform/linux/LinuxBackends.h|pass"
  "platform/C.cpp|platform/windows/WindowsBackends.h|pass"
  "cli/D.cpp|platform/linux/LinuxBackends.h|reaches into the linux backend"
  "form/E.h|platform/windows/WindowsBackends.h|reaches into the windows backend"
  "support/F.cpp|platform/Platform.h|reaches up into platform/"
  "netinfo/G.cpp|form/MainForm.h|reaches up into form/")
set(failed "")
foreach(case IN LISTS cases)
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 file)
  list(GET fields 1 header)
  list(GET fields 2 expected)
  set(tree ${WORK}/layers-case)
  file(REMOVE_RECURSE ${tree})
  file(WRITE ${tree}/${file} "#include \"${header}\"\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${tree} -P ${CHECK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(expected STREQUAL "pass")
    if(NOT status EQUAL 0)
      string(APPEND failed "${file} including ${header} was refused:\n${out}\n")
    endif()
  elseif(status EQUAL 0 OR NOT out MATCHES "${expected}")
    string(APPEND failed "${file} including ${header} should fail with \"${expected}\":\n${out}\n")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK}/layers-case)
if(failed)
  message(FATAL_ERROR "${failed}")
endif()
