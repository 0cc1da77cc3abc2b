// The application object's base: its icons, the product name that captions every box, the message
// boxes and the event-log writers.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

namespace kestrov {

// Caption and event source when the product name cannot be read.
inline constexpr wchar_t fallback_product_name[] = L"Kestrov software";

class application_base {
public:
    application_base() = default;
    application_base(const application_base&) = delete;
    application_base& operator=(const application_base&) = delete;
    virtual ~application_base() = default;

    // A yes/no/cancel question; true only for "Yes".
    virtual bool ask_yes_no(const std::wstring& text, bool default_yes, bool warning, HWND owner);
    // A box for one of the program's narrow (UTF-8) texts, such as an exception's message.
    virtual void show_message_ansi(const char* text, std::uint32_t style, std::uint32_t icon_id);
    // A box for a wide text; returns the id of the pressed button.
    virtual int show_message(const std::wstring& text, std::uint32_t style, std::uint32_t icon_id);

    // One error event in the system event log, from a source named after the product.
    void log_error(const std::wstring& text);
    void log_error_ansi(const char* text);
    void report_event(const std::wstring& text);

    // The product name from the version resource, read once; "Kestrov software" when it cannot be
    // read.
    const std::wstring& product_name();

    HICON large_icon = nullptr;
    HICON small_icon = nullptr;

private:
    int show_box(const std::wstring& text, std::uint32_t style, std::uint32_t icon_id);

    std::wstring product_name_;
};

} // namespace kestrov
