add_executable(tst_input ${CMAKE_CURRENT_LIST_DIR}/tst_input.cpp)
set_target_properties(tst_input PROPERTIES AUTOMOC ON)
target_link_libraries(tst_input PRIVATE veldra_input Qt6::Test)
add_test(NAME tst_input COMMAND tst_input)
