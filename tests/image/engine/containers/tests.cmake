# The container readers and writers, and the bytes their tests build.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/containers/format_test_support.cpp
    image/engine/containers/gif_reader_test.cpp
    image/engine/containers/jpeg_reader_test.cpp
    image/engine/containers/jpeg_writer_test.cpp
    image/engine/containers/other_formats_test.cpp
    image/engine/containers/png_reader_test.cpp
    image/engine/containers/png_test_bytes.cpp
    image/engine/containers/png_text_test.cpp
    image/engine/containers/png_writer_test.cpp
    image/engine/containers/text_bytes_test.cpp
    image/engine/containers/tiff_builder.cpp
    image/engine/containers/tiff_directory_rewrite_test.cpp
    image/engine/containers/tiff_reader_test.cpp
    image/engine/containers/zlib_inflate_test.cpp)
# exiftool's reading of what the JPEG writer wrote.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/engine/containers/jpeg_writer_oracle_test.cpp)
