# The same text tests, on the platform's own code page 936.
add_executable(text_tests ${CMAKE_SOURCE_DIR}/tests/text/text_tests.cpp)
target_link_libraries(text_tests PRIVATE brimlock_text GTest::gtest_main)
gtest_discover_tests(text_tests DISCOVERY_MODE PRE_TEST)
