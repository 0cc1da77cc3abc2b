list(APPEND MIRTEL_CORE_TEST_SOURCES
    tags/tag_catalogue_test.cpp)
