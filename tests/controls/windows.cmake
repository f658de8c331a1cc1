# The button pixel rules under Wine: the face and frame suites, each picture drawn into a
# memory device context over a DIB section, and the caption's code page 936 text. The
# caption and window suites need a live dialog and its font, and run on Linux.
set(controls_dir ${CMAKE_SOURCE_DIR}/tests/controls)
add_executable(controls_tests
  ${controls_dir}/probe_button.cpp
  ${controls_dir}/win32/picture.cpp
  ${controls_dir}/face_tests.cpp
  ${controls_dir}/frame_tests.cpp
  ${controls_dir}/win32/caption_text_tests.cpp
)
target_include_directories(controls_tests PRIVATE ${controls_dir})
target_link_libraries(controls_tests PRIVATE
  "$<LINK_LIBRARY:WHOLE_ARCHIVE,brimlock_window>" GTest::gtest_main)
gtest_discover_tests(controls_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "controls.")
