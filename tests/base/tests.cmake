# Tests of base/: portable, so they join core_tests on both builds.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    base/kestrov_exception_test.cpp
    base/system_message_test.cpp
    base/text_conversion_test.cpp
    base/win32_error_from_errno_test.cpp)
