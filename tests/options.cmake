# The options panel handlers, driven through the real widgets.
add_executable(tst_options tst_options.cpp)
# The window's generated form header lives with the library's build files.
target_include_directories(tst_options PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
  ${CMAKE_BINARY_DIR}/veldra_app_autogen/include)
target_link_libraries(tst_options PRIVATE veldra_app Qt6::Test)
add_test(NAME tst_options COMMAND tst_options)
set_tests_properties(tst_options PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
target_compile_definitions(tst_options PRIVATE VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases")
