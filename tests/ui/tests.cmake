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
    ui/main_lists_win_test.cpp
    ui/scripted_dialog.cpp
    ui/static_text_win_test.cpp
    ui/test_resources.rc
    ui/tool_tip_win_test.cpp
    ui/window_impl_win_test.cpp
    ui/window_placement_win_test.cpp
    ui/window_win_test.cpp
    win/registry_sandbox.cpp)
list(APPEND MIRTEL_WIN_TEST_LIBRARIES mirtel_main_ui mirtel_toolkit)
# The main window's lists take a photo of the shared corpus.
set_source_files_properties(ui/main_lists_win_test.cpp PROPERTIES
    COMPILE_DEFINITIONS MIRTEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

if(WIN32)
    # Shows the main window's bars with the program's toolbar images, for looking at them (and for
    # screenshots); not a test. It closes itself after the milliseconds given as its argument.
    add_executable(toolkit_demo WIN32 ui/toolkit_demo_win.cpp ui/test_resources.rc)
    target_link_libraries(toolkit_demo PRIVATE mirtel_toolkit)
    target_include_directories(toolkit_demo PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_options(toolkit_demo PRIVATE -municode)
    mirtel_warnings(toolkit_demo)
endif()

if(WIN32)
    # The program's own resource script as the program loads it: menu bar, accelerators, strings
    # and icon. win_tests has a resource script of its own, so this one gets its own executable.
    add_executable(win_resource_tests ui/program_resources_win_test.cpp
                                      ${PROJECT_SOURCE_DIR}/res/mirtel.rc)
    target_link_libraries(win_resource_tests PRIVATE GTest::gtest_main gdi32 user32)
    target_include_directories(win_resource_tests PRIVATE ${PROJECT_SOURCE_DIR})
    mirtel_warnings(win_resource_tests)
    add_test(NAME win_resource_tests COMMAND win_resource_tests)
    set_tests_properties(win_resource_tests PROPERTIES TIMEOUT 120)
endif()

if(WIN32)
    # The real main window from the program's own resources (menu, accelerators, strings, icon,
    # toolbar images, version), driven in-process.
    add_executable(main_window_tests ui/main_window_win_test.cpp ui/small_dialogs_win_test.cpp
                                     ui/tag_dialogs_win_test.cpp ui/batch_dialog_win_test.cpp
                                     win/dialog_driver.cpp win/message_box_closer.cpp
                                     win/registry_sandbox.cpp ${PROJECT_SOURCE_DIR}/res/mirtel.rc)
    target_link_libraries(main_window_tests PRIVATE mirtel_main_window GTest::gtest_main)
    target_include_directories(main_window_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
    target_compile_definitions(main_window_tests PRIVATE MIRTEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    mirtel_warnings(main_window_tests)
    add_test(NAME main_window_tests COMMAND main_window_tests)
    set_tests_properties(main_window_tests PROPERTIES TIMEOUT 300)
endif()

if(WIN32)
    # Mirtel.exe itself, started, photographed and closed through the X display.
    add_test(NAME mirtel_end_to_end
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/mirtel_end_to_end.sh $<TARGET_FILE:Mirtel>
                     ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    set_tests_properties(mirtel_end_to_end PROPERTIES TIMEOUT 300)
    # The same with the keyboard alone: the focus is where the keys need it.
    add_test(NAME keyboard_end_to_end
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ui/keyboard_end_to_end.sh
                     $<TARGET_FILE:Mirtel> ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
    set_tests_properties(keyboard_end_to_end PROPERTIES TIMEOUT 300)
endif()

if(WIN32)
    # The texts of the program's dialog templates against their controls' sizes, each scaling in
    # a child process of its own (the scaling is read when a process starts).
    add_executable(dialog_text_fit_tests ui/dialog_text_fit_win_test.cpp
                                         ${PROJECT_SOURCE_DIR}/res/mirtel.rc)
    target_link_libraries(dialog_text_fit_tests PRIVATE GTest::gtest comctl32 gdi32 user32
                                                        advapi32)
    target_include_directories(dialog_text_fit_tests PRIVATE ${PROJECT_SOURCE_DIR})
    mirtel_warnings(dialog_text_fit_tests)
    add_test(NAME dialog_text_fit_tests COMMAND dialog_text_fit_tests)
    set_tests_properties(dialog_text_fit_tests PROPERTIES TIMEOUT 120)
endif()
