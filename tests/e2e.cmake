# End-to-end tests: the real veldraplot on a private Xvfb screen, driven from
# outside with xdotool and xclip. The run also refreshes the README pictures.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  set(_e2e_python ${Python3_EXECUTABLE})
else()
  set(_e2e_python python3)
endif()
add_test(NAME e2e
  COMMAND ${_e2e_python} ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_e2e.py
          --bin $<TARGET_FILE:veldraplot>
          --examples ${CMAKE_SOURCE_DIR}/examples
          --shots ${CMAKE_SOURCE_DIR}/docs/screenshots)
set_tests_properties(e2e PROPERTIES LABELS e2e TIMEOUT 600)
