# The exiftool oracle: its parser's own tests and the comparison over the sample photos.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/oracle/shell_command.cpp
    image/oracle/exiftool_oracle.cpp
    image/oracle/exiftool_verbose_output.cpp
    image/oracle/exiftool_oracle_test.cpp
    image/oracle/exiftool_corpus_test.cpp)
# Saving over the sample photos, judged by exiftool, exiv2 and ImageMagick.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/oracle/image_data.cpp
    image/oracle/peer_output.cpp
    image/oracle/peer_tools.cpp
    image/oracle/tag_comparison.cpp
    image/oracle/saved_copy_check.cpp
    image/oracle/save_roundtrip_helpers_test.cpp
    image/oracle/save_roundtrip_test.cpp)
# Structure a save adds: Exif blocks in JPEGs without one, PNG text chunks; damaged samples.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/oracle/container_changes_test.cpp
    image/oracle/descriptive_agreement_test.cpp)
