add_executable(tst_output tst_output.cpp)
# The window's generated form header lives in the library's autogen folder.
target_include_directories(tst_output PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
  ${CMAKE_BINARY_DIR}/veldra_ui_autogen/include)
target_link_libraries(tst_output PRIVATE veldra_ui Qt6::Test)
add_test(NAME tst_output COMMAND tst_output)
set_tests_properties(tst_output PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
