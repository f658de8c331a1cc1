# The platform's own serial calls under Wine, against the virtual encoders the test
# environment puts on COM1 (answering) and COM2 (silent). The ports are shared, and Wine
# does not open them exclusively, so the tests take them one at a time.
add_executable(serial_tests ${CMAKE_SOURCE_DIR}/tests/serial/com_port_tests.cpp)
target_include_directories(serial_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(serial_tests PRIVATE brimlock_encoder brimlock_serial brimlock_text GTest::gtest_main)
gtest_discover_tests(serial_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "serial."
  PROPERTIES RESOURCE_LOCK encoder_ports)
