#include "app/application_base_win.h"

#include "app/event_log_text.h"
#include "app/message_box_style.h"
#include "app/version_info_win.h"
#include "base/display_text.h"
#include "base/kestrov_exception.h"

#include <exception>

namespace kestrov {

namespace {

// A task-modal box disables the thread's windows while it is shown; once it is closed, the system
// activates whichever window it likes (under Wine often none), and the keyboard would reach
// nothing until the user clicks. So the window that was active, and its control with the focus,
// get both back.
class active_window_keeper {
public:
    active_window_keeper() : active_(GetActiveWindow()), focus_(GetFocus()) {}
    ~active_window_keeper() {
        // A window that went meanwhile (a dialog ended while the box was up) is left alone.
        if (active_ == nullptr || !IsWindow(active_) || !IsWindowVisible(active_) ||
            !IsWindowEnabled(active_)) {
            return;
        }
        SetForegroundWindow(active_);
        SetActiveWindow(active_);
        if (focus_ != nullptr && IsWindow(focus_) &&
            (focus_ == active_ || IsChild(active_, focus_))) {
            SetFocus(focus_);
        }
    }
    active_window_keeper(const active_window_keeper&) = delete;
    active_window_keeper& operator=(const active_window_keeper&) = delete;

private:
    HWND active_;
    HWND focus_;
};

} // namespace

bool application_base::ask_yes_no(const std::wstring& text, bool default_yes, bool warning,
                                  HWND owner) {
    const active_window_keeper keeper;
    return MessageBoxW(owner, text.c_str(), product_name().c_str(),
                       yes_no_style(default_yes, warning)) == IDYES;
}

void application_base::show_message_ansi(const char* text, std::uint32_t style,
                                         std::uint32_t icon_id) {
    show_box(display_text(text != nullptr ? text : ""), style, icon_id);
}

int application_base::show_message(const std::wstring& text, std::uint32_t style,
                                   std::uint32_t icon_id) {
    return show_box(text, style, icon_id);
}

int application_base::show_box(const std::wstring& text, std::uint32_t style,
                               std::uint32_t icon_id) {
    const auto box = message_style(style, icon_id);
    MSGBOXPARAMSW params{};
    params.cbSize = sizeof params;
    params.hwndOwner = nullptr;
    params.hInstance = GetModuleHandleW(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = product_name().c_str();
    params.dwStyle = box.style;
    params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    if (box.with_user_icon) {
        params.lpszIcon = MAKEINTRESOURCEW(icon_id);
        MessageBeep(MB_ICONASTERISK);
    }
    const active_window_keeper keeper;
    const int pressed = MessageBoxIndirectW(&params);
    if (pressed == 0) {
        raise_last_error();
    }
    return pressed;
}

void application_base::log_error(const std::wstring& text) {
    report_event(event_log_text(text));
}

void application_base::log_error_ansi(const char* text) {
    if (text == nullptr) {
        raise_last_error(e_pointer);
    }
    report_event(display_text(event_log_text(std::string(text))));
}

void application_base::report_event(const std::wstring& text) {
    HANDLE source = RegisterEventSourceW(nullptr, product_name().c_str());
    if (source == nullptr) {
        throw kestrov_exception();
    }
    const wchar_t* strings[] = {text.c_str()};
    if (!ReportEventW(source, EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr)) {
        hresult code = last_error_hresult(false);
        if ((code & 0x80000000U) == 0) {
            code = e_fail;
        }
        DeregisterEventSource(source);
        throw kestrov_exception(code);
    }
    if (!DeregisterEventSource(source)) {
        raise_last_error();
    }
}

const std::wstring& application_base::product_name() {
    if (product_name_.empty()) {
        try {
            product_name_ = version_string(L"ProductName");
        } catch (const std::exception&) {
            product_name_ = fallback_product_name;
        }
    }
    return product_name_;
}

} // namespace kestrov
