# End-to-end tests: the real veldraplot on a private Xvfb screen, driven from
# outside with xdotool and xclip. Its screenshots go to the build folder;
# scripts/refresh-screenshots.sh copies a run's pictures into docs/.
add_test(NAME e2e
  COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_e2e.py
          --bin $<TARGET_FILE:veldraplot>
          --examples ${CMAKE_SOURCE_DIR}/examples
          --shots ${CMAKE_CURRENT_BINARY_DIR}/e2e-shots)
set_tests_properties(e2e PROPERTIES LABELS e2e TIMEOUT 600)
