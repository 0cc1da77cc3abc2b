# Tests of app/: portable ones join core_tests, Windows ones join win_tests.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    app/event_log_text_test.cpp
    app/kestrov_exception_test.cpp
    app/message_box_style_test.cpp
    app/system_message_test.cpp
    app/win32_error_from_errno_test.cpp)
list(APPEND MIRTEL_WIN_TEST_SOURCES
    app/application_base_win_test.cpp)
