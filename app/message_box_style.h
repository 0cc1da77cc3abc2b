// How the program's message boxes are styled, kept apart from the calls that show them so the
// rules can be checked without a window. The numbers are those of the MB_* flags.
#pragma once

#include <cstdint>

namespace kestrov {

namespace message_box_flags {
inline constexpr std::uint32_t ok = 0x0;
inline constexpr std::uint32_t yes_no_cancel = 0x3;
inline constexpr std::uint32_t icon_error = 0x10;
inline constexpr std::uint32_t icon_question = 0x20;
inline constexpr std::uint32_t icon_exclamation = 0x30;
inline constexpr std::uint32_t user_icon = 0x80;
inline constexpr std::uint32_t default_button_2 = 0x100;
inline constexpr std::uint32_t task_modal = 0x2000;
inline constexpr std::uint32_t set_foreground = 0x10000;
} // namespace message_box_flags

struct message_box_style {
    std::uint32_t style;
    // The program's own icon resource `icon_id` is shown, and the information sound plays first.
    bool with_user_icon;
};

// A box shows the caller's style when one is given or no icon is named; otherwise the named icon
// of the program. Either way it is task-modal and comes to the foreground.
constexpr message_box_style message_style(std::uint32_t style, std::uint32_t icon_id) {
    using namespace message_box_flags;
    if (style != 0 || icon_id == 0) {
        return {style | task_modal | set_foreground, false};
    }
    return {user_icon | task_modal | set_foreground, true};
}

// The yes/no/cancel question: a warning or a question icon, "No" as default unless told otherwise.
constexpr std::uint32_t yes_no_style(bool default_yes, bool warning) {
    using namespace message_box_flags;
    return yes_no_cancel | (warning ? icon_exclamation : icon_question) |
           (default_yes ? 0U : default_button_2) | task_modal | set_foreground;
}

} // namespace kestrov
