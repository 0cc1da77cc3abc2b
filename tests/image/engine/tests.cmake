list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/tiff_builder.cpp
    image/engine/tiff_reader_test.cpp)
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/jpeg_reader_test.cpp)
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/jpeg_writer_test.cpp
    image/engine/tiff_writer_test.cpp)
