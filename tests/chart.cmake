# The chart component, checked by the pictures and files it produces.
add_executable(tst_chart ${CMAKE_CURRENT_LIST_DIR}/tst_chart.cpp)
target_include_directories(tst_chart PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tst_chart PRIVATE veldra_app Qt6::Test)
add_test(NAME tst_chart COMMAND tst_chart)
set_tests_properties(tst_chart PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
target_compile_definitions(tst_chart PRIVATE VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases")
