#include "app/settings_store_win.h"

#include "app/registry_key_win.h"
#include "base/kestrov_exception.h"
#include "base/system_message.h"

#include <array>
#include <exception>

namespace kestrov {

void load_settings(settings_record& settings) {
    registry_key key(settings_key_path);
    if (!key.open()) {
        return;
    }
    // Each value stands alone: a bad "param" must not cost the stored group, nor the other way.
    key.read_dword(param_value_name, settings.param);
    key.read_dword(group_value_name, settings.cb_skupina);
    key.close();
}

namespace {

// The user learns that the preferences were not kept; the event log keeps the reason. Neither
// report may stop the caller, so a failing report is dropped.
void report_store_failure(const kestrov_exception& failure, application_base& application) {
    const hresult code = failure.code() != s_ok ? failure.code() : e_unexpected;
    try {
        application.log_error(error_text(code));
    } catch (const std::exception&) {
    }
    try {
        const kestrov_exception shown(failure.code());
        application.show_message_ansi(shown.what(), MB_ICONERROR, 0);
    } catch (const std::exception&) {
    }
}

} // namespace

void store_settings(const settings_record& settings, application_base& application) {
    try {
        registry_key key(settings_key_path);
        key.create();
        key.write_dword(group_value_name, settings.cb_skupina);
        key.write_dword(param_value_name, settings.param);
        key.close();
    } catch (const kestrov_exception& failure) {
        report_store_failure(failure, application);
    }
}

void store_window_rect(const screen_rect& rect) {
    registry_key key(settings_key_path);
    key.create();
    key.write_binary(window_rect_value_name, stored_rect_bytes(rect));
    key.close();
}

std::optional<screen_rect> load_window_rect() {
    registry_key key(settings_key_path);
    if (!key.open()) {
        return std::nullopt;
    }
    std::uint32_t size = 0;
    if (!key.value_size(window_rect_value_name, size)) {
        key.close();
        return std::nullopt;
    }
    // The value's type is not looked at: any 16 bytes make a rectangle. A longer value does not
    // fit the buffer and fails the read.
    std::array<std::uint8_t, stored_rect_size> bytes{};
    std::uint32_t read = 0;
    const bool got = key.read_bytes(window_rect_value_name, bytes, read);
    key.close();
    if (!got) {
        return std::nullopt;
    }
    return rect_from_stored_bytes(std::span<const std::uint8_t>(bytes.data(), read));
}

} // namespace kestrov
