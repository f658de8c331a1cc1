# The window layer's edit limit on the platform's real edit, under Wine (a file name apart
# from *_tests.cpp, which the Linux suite gathers). Real windows need a
# display: run under Xvfb (xvfb-run) when there is none.
add_executable(edit_limit_windows_tests ${CMAKE_SOURCE_DIR}/tests/app/windows_edit_limit.cpp)
target_link_libraries(edit_limit_windows_tests PRIVATE brimlock_ui GTest::gtest_main)
gtest_discover_tests(edit_limit_windows_tests DISCOVERY_MODE PRE_TEST)
