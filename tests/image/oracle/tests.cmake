# The exiftool oracle: its parser's own tests and the comparison over the sample photos.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/oracle/exiftool_oracle.cpp
    image/oracle/exiftool_verbose_output.cpp
    image/oracle/exiftool_oracle_test.cpp
    image/oracle/exiftool_corpus_test.cpp)
