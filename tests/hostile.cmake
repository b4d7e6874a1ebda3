# Hostile chart files through the window's start-up and through the batch
# renderer as a separate process.
add_executable(tst_hostile tst_hostile.cpp testfiles.h scriptedplatform.h)
target_include_directories(tst_hostile PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tst_hostile PRIVATE veldra_app Qt6::Test)
add_dependencies(tst_hostile veldraplot-render veldraplot)
target_compile_definitions(tst_hostile PRIVATE
  VELDRA_RENDER_PATH="$<TARGET_FILE:veldraplot-render>"
  VELDRA_VIEWER_PATH="$<TARGET_FILE:veldraplot>"
  VELDRA_CORPUS_DIR="${CMAKE_CURRENT_SOURCE_DIR}/corpus"
  VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases")
add_test(NAME tst_hostile COMMAND tst_hostile)
set_tests_properties(tst_hostile PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
