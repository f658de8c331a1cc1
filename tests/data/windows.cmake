# The data layer on odbc32, under Wine. Wine's odbc32 forwards to the host's unixODBC, so
# the SQLite suite runs on the host's SQLite3 driver against a file the host made.
add_executable(data_tests
  ${CMAKE_SOURCE_DIR}/tests/data/message_text_tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/data/holder_tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/data/connection_string_tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/data/dialect_tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/data/sqlite_odbc32_tests.cpp
  ${CMAKE_SOURCE_DIR}/tests/data/win32/sql_server_string_tests.cpp)
target_include_directories(data_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(data_tests PRIVATE brimlock_data GTest::gtest_main)

# The database is made on the host before the suite runs, by the project's own script.
set(data_db_dir ${CMAKE_BINARY_DIR}/tests/data)
file(MAKE_DIRECTORY ${data_db_dir})
target_compile_definitions(data_tests PRIVATE BRIMLOCK_SQLITE_DIR="${data_db_dir}")
add_test(NAME data.make_sqlite_db
  COMMAND sh -c "\"$0\" -f \"$1/tickets.db\" && sqlite3 \"$1/tickets.db\" < \"$2\" && \"$0\" -f \"$1/locked.db\""
          ${CMAKE_SOURCE_DIR}/sql/make-sqlite-db ${data_db_dir} ${CMAKE_SOURCE_DIR}/tests/data/ticket_match_extra.sql)
set_tests_properties(data.make_sqlite_db PROPERTIES FIXTURES_SETUP data_sqlite_db)

gtest_discover_tests(data_tests DISCOVERY_MODE PRE_TEST TEST_PREFIX "data."
  PROPERTIES FIXTURES_REQUIRED data_sqlite_db)
