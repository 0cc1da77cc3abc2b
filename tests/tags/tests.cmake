list(APPEND MIRTEL_CORE_TEST_SOURCES
    tags/batch_writer_test.cpp
    tags/group_rows_test.cpp
    tags/tag_catalogue_test.cpp)
