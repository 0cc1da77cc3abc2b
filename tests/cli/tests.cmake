list(APPEND MIRTEL_CORE_TEST_SOURCES
    cli/arguments_test.cpp)
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    cli/cli_test.cpp)
