# Faults of the machine while the chart is saved or restyled: a full disk, a
# vanished folder, a background picture that went away.
add_executable(tst_faults tst_faults.cpp testfiles.h scriptedplatform.h)
target_include_directories(tst_faults PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(tst_faults PRIVATE veldra_app Qt6::Test)
add_test(NAME tst_faults COMMAND tst_faults)
set_tests_properties(tst_faults PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
target_compile_definitions(tst_faults PRIVATE VELDRA_CASES_DIR="${CMAKE_CURRENT_SOURCE_DIR}/cases")
