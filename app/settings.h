// The two preferences the program keeps between runs, their built-in defaults, and the registry
// names they and the main window's rectangle are stored under.
#pragma once

#include <cstdint>

namespace kestrov {

// Under HKEY_CURRENT_USER. The trailing "1" versions the layout of the values below it.
inline constexpr wchar_t settings_key_path[] = L"Software\\Kestrov\\Mirtel\\1";
inline constexpr wchar_t param_value_name[] = L"param";
inline constexpr wchar_t group_value_name[] = L"cb_skupina";
inline constexpr wchar_t window_rect_value_name[] = L"hlavni_okno";

// Bit 0 of `param`: every change of a property is saved to the file at once.
inline constexpr std::uint32_t save_at_once_bit = 1;

struct settings_record {
    std::uint32_t param = 3;      // option bits; only bit 0 is read
    std::uint32_t cb_skupina = 1; // the selected property group: 1, 2, 4 or 7
};

constexpr bool saves_at_once(const settings_record& settings) {
    return (settings.param & save_at_once_bit) != 0;
}

// Changes bit 0 only: the other bits may carry meaning for another version sharing the key.
constexpr void set_saves_at_once(settings_record& settings, bool at_once) {
    settings.param =
        at_once ? (settings.param | save_at_once_bit) : (settings.param & ~save_at_once_bit);
}

} // namespace kestrov
