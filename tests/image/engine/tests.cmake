include(${CMAKE_CURRENT_LIST_DIR}/containers/tests.cmake)
# What reading may hold, built from crafted bytes.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/io/byte_reader_test.cpp
    image/engine/value_budget_test.cpp)
# The fuzzers' seeds and the sample photos, from the source tree and the corpus beside it.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/engine/seed_regression_test.cpp)
# XMP packets: reading and editing the descriptive properties.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/xmp/xmp_packet_test.cpp)
# mingw-w64's GCC 12 takes the std::optional inside the tables of edits for uninitialised once it
# inlines them (a known false positive of that version); the native GCC does not.
if(MINGW)
    set_source_files_properties(image/engine/xmp/xmp_packet_test.cpp
                                PROPERTIES COMPILE_OPTIONS -Wno-maybe-uninitialized)
endif()
# Photoshop image resource blocks and the IPTC-IIM datasets in them, from byte literals.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/engine/iptc/iim_test.cpp
    image/engine/iptc/image_resources_test.cpp)
# exiftool's reading of the texts edited.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/engine/iptc/iptc_oracle_test.cpp)
# exiftool reading the XMP packets written here.
list(APPEND MIRTEL_NATIVE_TEST_SOURCES
    image/engine/xmp/xmp_exiftool_test.cpp)
