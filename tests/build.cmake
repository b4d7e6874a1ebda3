add_executable(tst_build tst_build.cpp testfiles.h scriptedplatform.h)
target_include_directories(tst_build PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tst_build PRIVATE veldra_app Qt6::Test)
target_compile_definitions(tst_build PRIVATE
  EXAMPLES_DIR="${CMAKE_SOURCE_DIR}/examples" VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases"
  RENDER_EXE="$<TARGET_FILE:veldraplot-render>")
add_dependencies(tst_build veldraplot-render)
add_test(NAME tst_build COMMAND tst_build)
set_tests_properties(tst_build PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
