// Every text of every dialog template fits its control, measured with the control's own font at
// the screen scalings people use. The scaling of a process is fixed when it starts (Wine reads
// LogPixels then), so each scaling is measured by a child process of this test, started with the
// registry value set for it; the child creates the dialogs from the program's own templates and
// reports every text that does not fit.
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include <commctrl.h>

namespace {

constexpr std::array dialog_templates{IDD_TEXT_INPUT,  IDD_TAG_DUMP, IDD_NEW_TAG,
                                      IDD_PREFERENCES, IDD_ABOUT,    IDD_BATCH};

int scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

std::wstring text_of(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring class_of(HWND control) {
    wchar_t name[64]{};
    GetClassNameW(control, name, 64);
    return name;
}

// A link control's text without its markup: what it draws.
std::wstring without_markup(const std::wstring& text) {
    std::wstring out;
    bool in_tag = false;
    for (const wchar_t c : text) {
        if (c == L'<') {
            in_tag = true;
        } else if (c == L'>') {
            in_tag = false;
        } else if (!in_tag) {
            out += c;
        }
    }
    return out;
}

// How a control draws its text: the room it leaves beside the text, and how it breaks lines.
struct text_box {
    int side_room = 0; // taken from the width by the control's own parts (check box, frame)
    UINT format = 0;   // DrawTextW flags
    std::wstring text;
};

std::optional<text_box> text_box_of(HWND control, int dpi) {
    const auto kind = class_of(control);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    text_box box{0, 0, text_of(control)};
    if (box.text.empty()) {
        return std::nullopt;
    }
    if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
        switch (style & SS_TYPEMASK) {
        case SS_LEFT:
        case SS_CENTER:
        case SS_RIGHT:
            box.format = DT_WORDBREAK;
            break;
        case SS_LEFTNOWORDWRAP:
        case SS_SIMPLE:
            box.format = DT_SINGLELINE;
            break;
        default:
            return std::nullopt; // icons, frames, pictures
        }
        if ((style & SS_NOPREFIX) != 0) {
            box.format |= DT_NOPREFIX;
        }
        return box;
    }
    if (lstrcmpiW(kind.c_str(), L"Button") == 0) {
        const bool wraps = (style & BS_MULTILINE) != 0;
        box.format = wraps ? DT_WORDBREAK : DT_SINGLELINE;
        switch (style & BS_TYPEMASK) {
        case BS_PUSHBUTTON:
        case BS_DEFPUSHBUTTON:
            // The button's edge and the focus rectangle inside it.
            box.side_room = 2 * (GetSystemMetrics(SM_CXEDGE) + scaled(3, dpi));
            break;
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
        case BS_3STATE:
        case BS_AUTO3STATE:
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON:
            // The box (13 px at 100 %, scaled by the system) and the gap before the text.
            box.side_room = scaled(13 + 5, dpi);
            break;
        case BS_GROUPBOX:
            // The title starts after the frame's corner and keeps a little room on both sides.
            box.side_room = scaled(2 * 9, dpi);
            box.format = DT_SINGLELINE;
            break;
        default:
            return std::nullopt;
        }
        return box;
    }
    if (lstrcmpiW(kind.c_str(), WC_LINK) == 0) {
        box.text = without_markup(box.text);
        box.format = DT_SINGLELINE | DT_NOPREFIX;
        return box;
    }
    return std::nullopt; // edits, lists and combo boxes show the user's own data
}

INT_PTR CALLBACK plain_dialog_proc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

struct measured {
    std::vector<std::wstring>* cut;
    int dpi;
};

BOOL CALLBACK measure_control(HWND control, LPARAM context) {
    auto& state = *reinterpret_cast<measured*>(context);
    const auto box = text_box_of(control, state.dpi);
    if (!box) {
        return TRUE;
    }
    RECT client{};
    GetClientRect(control, &client);
    // A margin, so that a font a little wider than the one measured here still fits.
    const int margin = scaled(3, state.dpi);
    const int room = client.right - box->side_room - margin;
    const HDC dc = GetDC(control);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    const HGDIOBJ previous =
        SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    RECT needed{0, 0, room > 0 ? room : 1, 0};
    DrawTextW(dc, box->text.c_str(), static_cast<int>(box->text.size()), &needed,
              box->format | DT_CALCRECT);
    // For the report: the width the text takes on one line.
    RECT one_line{};
    DrawTextW(dc, box->text.c_str(), static_cast<int>(box->text.size()), &one_line,
              (box->format & DT_NOPREFIX) | DT_SINGLELINE | DT_CALCRECT);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    if (needed.right > room || needed.bottom > client.bottom) {
        state.cut->push_back(
            L"control " + std::to_wstring(GetDlgCtrlID(control)) + L" \"" + box->text +
            L"\": needs " + std::to_wstring(one_line.right + box->side_room + margin) + L" px (" +
            std::to_wstring(one_line.right) + L" for the text), has " +
            std::to_wstring(client.right) + L" x " + std::to_wstring(client.bottom));
    }
    return TRUE;
}

// The child's part: creates each dialog and prints every text that does not fit; answers how
// many there were.
int measure_every_dialog() {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    std::vector<std::wstring> cut;
    for (const int id : dialog_templates) {
        const HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                               nullptr, plain_dialog_proc, 0);
        if (dialog == nullptr) {
            printf("template %d cannot be created\n", id);
            return 1000;
        }
        std::vector<std::wstring> in_dialog;
        measured state{&in_dialog, dpi};
        EnumChildWindows(dialog, measure_control, reinterpret_cast<LPARAM>(&state));
        for (const auto& line : in_dialog) {
            cut.push_back(L"template " + std::to_wstring(id) + L", " + line);
        }
        DestroyWindow(dialog);
    }
    printf("dpi %d\n", dpi);
    for (const auto& line : cut) {
        std::string utf8(line.size() * 3 + 1, '\0');
        utf8.resize(static_cast<std::size_t>(
            WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                utf8.data(), static_cast<int>(utf8.size()), nullptr, nullptr)));
        printf("%s\n", utf8.c_str());
    }
    fflush(stdout);
    return static_cast<int>(cut.size());
}

// LogPixels of the current user, set for the life of the object and then put back as it was.
class scaling_setting {
public:
    explicit scaling_setting(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_, nullptr);
        DWORD size = sizeof(previous_);
        had_value_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                      reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof(dpi));
    }
    ~scaling_setting() {
        if (had_value_) {
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
    }
    scaling_setting(const scaling_setting&) = delete;
    scaling_setting& operator=(const scaling_setting&) = delete;

private:
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool had_value_ = false;
};

// Runs this program again as the measuring child; answers its exit code and what it printed. A
// child that hangs is ended after half a minute, so the scaling is always put back.
std::pair<DWORD, std::string> run_child() {
    wchar_t folder[MAX_PATH];
    wchar_t report_path[MAX_PATH];
    if (GetTempPathW(MAX_PATH, folder) == 0 ||
        GetTempFileNameW(folder, L"fit", 0, report_path) == 0) {
        return {~0U, "no file for the report"};
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE report = CreateFileW(report_path, GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                      CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (report == INVALID_HANDLE_VALUE) {
        return {~0U, "no file for the report"};
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --measure";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = report;
    startup.hStdError = report;
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(report);
    DWORD code = ~0U;
    if (started) {
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, ~0U);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    std::ifstream in(report_path, std::ios::binary);
    std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    DeleteFileW(report_path);
    return {code, started ? output : "the child did not start"};
}

class DialogTexts : public ::testing::TestWithParam<int> {};

TEST_P(DialogTexts, FitTheirControlsAtThisScaling) {
    const scaling_setting scaling(static_cast<DWORD>(GetParam()));
    auto [cut, report] = run_child();
    std::erase(report, '\r');
    EXPECT_NE(report.find("dpi " + std::to_string(GetParam()) + "\n"), std::string::npos)
        << "the scaling was not applied:\n"
        << report;
    EXPECT_EQ(cut, 0U) << report;
}

INSTANTIATE_TEST_SUITE_P(Scalings, DialogTexts, ::testing::Values(96, 120, 144),
                         [](const ::testing::TestParamInfo<int>& scaling) {
                             return "dpi" + std::to_string(scaling.param);
                         });

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--measure") {
        return measure_every_dialog();
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
