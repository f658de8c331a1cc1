# The window layer's edit limit on the platform's real edit, under Wine: the same table the
# Linux suite runs on its Qt edit. Real windows need a display: run under Xvfb (xvfb-run)
# when there is none.
add_executable(edit_limit_windows_tests ${CMAKE_SOURCE_DIR}/tests/app/edit_limit.cpp
               ${CMAKE_SOURCE_DIR}/tests/app/win32/edit_input.cpp)
target_include_directories(edit_limit_windows_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/app)
target_link_libraries(edit_limit_windows_tests PRIVATE brimlock_ui GTest::gtest_main)
gtest_discover_tests(edit_limit_windows_tests DISCOVERY_MODE PRE_TEST)
