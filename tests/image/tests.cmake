list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/text_conversion_test.cpp)
