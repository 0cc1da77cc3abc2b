# The container readers and writers, and the bytes their tests build.
set(container_tests
    format_test_support gif_reader_test jpeg_reader_test jpeg_writer_test other_formats_test
    png_reader_test png_test_bytes png_text_test png_writer_test text_bytes_test tiff_builder
    tiff_directory_rewrite_test tiff_reader_test zlib_inflate_test)
list(TRANSFORM container_tests PREPEND image/engine/containers/)
list(TRANSFORM container_tests APPEND .cpp)
list(APPEND MIRTEL_CORE_TEST_SOURCES ${container_tests})
# exiftool's reading of what the JPEG writer wrote.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/engine/containers/jpeg_writer_oracle_test.cpp)
