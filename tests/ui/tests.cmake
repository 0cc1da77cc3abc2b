# Tests of ui/. The pure rules (grey images, work area, control texts) join core_tests; the toolkit
# and the placement run in real windows and dialogs from their own resource script in win_tests.
list(APPEND MIRTEL_CORE_TEST_SOURCES
    ui/control_rules_test.cpp
    ui/grey_image_test.cpp
    ui/work_area_test.cpp)
list(APPEND MIRTEL_WIN_TEST_SOURCES
    ui/bars_win_test.cpp
    ui/control_impl_win_test.cpp
    ui/dialog_impl_win_test.cpp
    ui/edit_number_win_test.cpp
    ui/image_list_pair_win_test.cpp
    ui/list_controls_win_test.cpp
    ui/scripted_dialog.cpp
    ui/static_text_win_test.cpp
    ui/test_resources.rc
    ui/tool_tip_win_test.cpp
    ui/window_impl_win_test.cpp
    ui/window_placement_win_test.cpp
    ui/window_win_test.cpp
    win/registry_sandbox.cpp)
list(APPEND MIRTEL_WIN_TEST_LIBRARIES mirtel_main_ui mirtel_toolkit)

if(WIN32)
    # Shows the main window's bars with the program's toolbar images, for looking at them (and for
    # screenshots); not a test. It closes itself after the milliseconds given as its argument.
    add_executable(toolkit_demo WIN32 ui/toolkit_demo_win.cpp ui/test_resources.rc)
    target_link_libraries(toolkit_demo PRIVATE mirtel_toolkit)
    target_include_directories(toolkit_demo PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_options(toolkit_demo PRIVATE -municode)
    mirtel_warnings(toolkit_demo)
endif()
