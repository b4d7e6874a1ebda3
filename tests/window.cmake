# The window test builds the window's and the printer dialog's forms itself
# (AUTOUIC; the window's form makes the options panel with its own form) and
# checks the controls found by name.
add_executable(tst_window tst_window.cpp)
set_target_properties(tst_window PROPERTIES
  AUTOUIC_SEARCH_PATHS "${CMAKE_CURRENT_LIST_DIR}/../app;${CMAKE_CURRENT_LIST_DIR}/../output")
target_link_libraries(tst_window PRIVATE veldra_app Qt6::Test)
add_test(NAME tst_window COMMAND tst_window)
set_tests_properties(tst_window PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
