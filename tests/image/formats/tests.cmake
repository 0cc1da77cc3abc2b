# The PNG, GIF, BMP, ICO, EMF and WMF readers and what they share.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/formats/format_test_support.cpp
    image/formats/gif_reader_test.cpp
    image/formats/other_formats_test.cpp
    image/formats/png_reader_test.cpp
    image/formats/png_text_test.cpp
    image/formats/png_writer_test.cpp
    image/formats/png_test_bytes.cpp
    image/formats/text_bytes_test.cpp
    image/formats/zlib_inflate_test.cpp)
