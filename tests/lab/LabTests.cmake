# The virtual LAN lab as a ctest fixture: "lab_up" brings it up before the first lab suite,
# "lab_down" takes it down after the last, also when suites fail. Both, and every lab suite,
# report SKIP (77) when not root, so a normal user's run skips the lab instead of failing.
# The lab is made of Linux network namespaces: other systems build no lab suite.
if(NOT VELMARO_LINUX)
  function(velmaro_add_lab_test name)
  endfunction()
  return()
endif()

set(VELMARO_LAB_SCRIPT ${CMAKE_SOURCE_DIR}/lab/velmaro-lab)
set(VELMARO_LAB_STATE ${CMAKE_BINARY_DIR}/lab.state)
set(VELMARO_LAB_REGISTRATION ${CMAKE_CURRENT_LIST_DIR}/LabRegistration.cpp)
set(VELMARO_LAB_RUN_AS ${CMAKE_CURRENT_LIST_DIR}/RunAsUser.sh)

add_test(NAME lab_up COMMAND ${VELMARO_LAB_SCRIPT} up --state ${VELMARO_LAB_STATE}
         --unitsim $<TARGET_FILE:velmaro-unitsim>)
add_test(NAME lab_down COMMAND ${VELMARO_LAB_SCRIPT} down --state ${VELMARO_LAB_STATE})
set_tests_properties(lab_up PROPERTIES FIXTURES_SETUP velmaro_lab LABELS lab
                     SKIP_RETURN_CODE 77 RESOURCE_LOCK velmaro_lab TIMEOUT 120)
set_tests_properties(lab_down PROPERTIES FIXTURES_CLEANUP velmaro_lab LABELS lab
                     SKIP_RETURN_CODE 77 RESOURCE_LOCK velmaro_lab TIMEOUT 120)

# velmaro_add_lab_test(name SOURCES a.cpp ... [GUI] [LIBS ...] [HOST key] [RUN_AS user]): a gtest
# suite that runs as ONE ctest test inside the lab's client namespace (or host `key`'s, e.g.
# cl2), as root or, with RUN_AS, as that user with no other group. Every such suite carries the lab guard
# (LabEnvironment): outside a lab namespace it runs no test and fails.
function(velmaro_add_lab_test name)
  cmake_parse_arguments(T "GUI" "HOST;RUN_AS" "SOURCES;LIBS" ${ARGN})
  if(NOT T_HOST)
    set(T_HOST cli)
  endif()
  set(as_user "")
  if(T_RUN_AS)
    set(as_user bash ${VELMARO_LAB_RUN_AS} ${T_RUN_AS})
  endif()
  add_executable(${name} ${T_SOURCES} ${VELMARO_LAB_REGISTRATION})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE velmaro_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE velmaro_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE velmaro_core velmaro_test_support velmaro_lab_support
                        GTest::gtest GTest::gmock ${T_LIBS})
  add_dependencies(${name} velmaro-unitsim)
  add_test(NAME ${name}
           COMMAND ${VELMARO_LAB_SCRIPT} exec --state ${VELMARO_LAB_STATE} --host ${T_HOST}
                   ${as_user} $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED velmaro_lab
    LABELS lab
    SKIP_RETURN_CODE 77
    RESOURCE_LOCK velmaro_lab
    TIMEOUT 300
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMARO_LAB_STATE=${VELMARO_LAB_STATE};VELMARO_LAB_SCRIPT=${VELMARO_LAB_SCRIPT};VELMARO_UNITSIM=$<TARGET_FILE:velmaro-unitsim>")
endfunction()
