# velmaro_add_lab_test(name SOURCES a.cpp ... [GUI]): a suite that runs inside the lab's
# client namespace. Placeholder until the lab fixture lands: builds, registers nothing.
function(velmaro_add_lab_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_GUI)
    target_link_libraries(${name} PRIVATE velmaro_test_main_gui)
  else()
    target_link_libraries(${name} PRIVATE velmaro_test_main_core)
  endif()
  target_link_libraries(${name} PRIVATE velmaro_core velmaro_test_support
                        GTest::gtest GTest::gmock ${T_LIBS})
endfunction()
