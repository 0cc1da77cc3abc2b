# Tests of app/: portable ones join core_tests, Windows ones join win_tests.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    app/event_log_text_test.cpp
    app/message_box_style_test.cpp
    app/settings_test.cpp
    app/version_text_test.cpp)
list(APPEND MIRTEL_WIN_TEST_SOURCES
    app/application_base_win_test.cpp
    app/settings_store_win_test.cpp)

if(WIN32)
    # Tests that read the program's own version resource. win_tests carries none, so there the
    # product name shows its fallback.
    add_executable(win_version_tests app/version_info_win_test.cpp
                                     ${PROJECT_SOURCE_DIR}/res/version.rc)
    target_link_libraries(win_version_tests PRIVATE mirtel_app_win GTest::gtest_main)
    target_include_directories(win_version_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    mirtel_warnings(win_version_tests)
    add_test(NAME win_version_tests COMMAND win_version_tests)
    set_tests_properties(win_version_tests PROPERTIES TIMEOUT 120)
endif()
