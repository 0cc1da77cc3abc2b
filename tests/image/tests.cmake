list(APPEND MIRTEL_CORE_TEST_SOURCES
    image/bitmap_plus_test.cpp
    image/property_readers_test.cpp
    image/safe_replace_test.cpp
    image/saving_test.cpp
    image/supported_extensions_test.cpp
    image/unchangeable_formats_test.cpp)
# Further lists, each kept by the code it tests.
include(${CMAKE_CURRENT_LIST_DIR}/oracle/tests.cmake OPTIONAL)
include(${CMAKE_CURRENT_LIST_DIR}/engine/tests.cmake OPTIONAL)
