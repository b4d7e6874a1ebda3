# The input, start-up, output, faults, hostile and print tests (their case
# tables are in cases/); print.cmake adds the print server around tst_print.
foreach(name input startup output faults hostile print)
  add_executable(tst_${name} tst_${name}.cpp testfiles.h scriptedplatform.h)
  set_target_properties(tst_${name} PROPERTIES AUTOMOC ON)
  target_include_directories(tst_${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tst_${name} PRIVATE veldra_app Qt6::Test)
  target_compile_definitions(tst_${name} PRIVATE VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases")
  add_test(NAME tst_${name} COMMAND tst_${name})
  set_tests_properties(tst_${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
endforeach()
# tst_hostile runs the batch renderer and the viewer as processes.
add_dependencies(tst_hostile veldraplot-render veldraplot)
target_compile_definitions(tst_hostile PRIVATE
  VELDRA_RENDER_PATH="$<TARGET_FILE:veldraplot-render>"
  VELDRA_VIEWER_PATH="$<TARGET_FILE:veldraplot>"
  VELDRA_CORPUS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/corpus")
