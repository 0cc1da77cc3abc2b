// The tag dialogs from the program's own templates, driven from a second thread while their modal
// loop runs: the driver types, presses buttons and reads back what the dialog shows.
#include "ui/dialogs/dlg_novy_tag.h"
#include "ui/dialogs/dlg_tag_dump.h"

#include "app/application_base_win.h"
#include "base/text_conversion.h"
#include "image/bitmap_plus.h"
#include "res/resource_ids.h"
#include "tags/tag_catalogue.h"
#include "tags/tag_dump.h"
#include "win/dialog_driver.h"
#include "win/source_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

using kestrov::testing::corpus_file;
using kestrov::testing::dialog_driver;
using kestrov::testing::dialog_step;
const auto text_of = kestrov::testing::window_text_of;

// Runs `steps` on the dialog that holds `control` and then sends it `closing_command`, as the
// button with that id would.
dialog_step drive_then_close(int control, int closing_command, std::function<void(HWND)> steps) {
    return {control, [closing_command, steps = std::move(steps)](HWND dialog) {
                steps(dialog);
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(closing_command, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(dialog, closing_command)));
            }};
}

struct dump_fields {
    std::wstring length;
    std::wstring type;
    std::wstring hex;
    bool operator==(const dump_fields&) const = default;
};

std::ostream& operator<<(std::ostream& out, const dump_fields& fields) {
    std::string length;
    std::string type;
    std::string hex;
    kestrov::to_multibyte(fields.length, kestrov::code_page_utf8, length);
    kestrov::to_multibyte(fields.type, kestrov::code_page_utf8, type);
    kestrov::to_multibyte(fields.hex.substr(0, 60), kestrov::code_page_utf8, hex);
    return out << "{" << length << ", " << type << ", " << hex << "}";
}

dump_fields fields_of(HWND dialog) {
    return {text_of(GetDlgItem(dialog, IDC_DUMP_LENGTH)),
            text_of(GetDlgItem(dialog, IDC_DUMP_TYPE)), text_of(GetDlgItem(dialog, IDC_DUMP_HEX))};
}

// Types `id` into the identifier field and presses "Zobrazit".
dump_fields show(HWND dialog, const wchar_t* id) {
    SetWindowTextW(GetDlgItem(dialog, IDC_DUMP_ID), id);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_DUMP_SHOW, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DUMP_SHOW)));
    return fields_of(dialog);
}

class TagDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        application.large_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRTEL));
        application.small_icon = application.large_icon;
        ASSERT_NE(application.large_icon, nullptr);
    }

    kestrov::application_base application;
};

TEST_F(TagDialogs, DumpShowsLengthTypeAndBytesOfWhateverIdIsAsked) {
    kestrov::gdi::bitmap_plus canon(corpus_file("jpg/Canon_40D.jpg"));
    // The largest maker note of the samples (the Canon photo has none): 40960 bytes, a dump of
    // 122879 characters.
    kestrov::gdi::bitmap_plus samsung(corpus_file("jpg/Samsung_Digimax_i50_MP3.jpg"));
    constexpr std::uint32_t maker_note = 0x927C;
    const auto expected_note = kestrov::tags::read_dump(*samsung.bitmap(), maker_note);
    ASSERT_TRUE(expected_note.has_value());
    ASSERT_GT(expected_note->length, 30000u);
    ASSERT_FALSE(kestrov::tags::read_dump(*canon.bitmap(), 4242).has_value());

    std::wstring caption;
    bool icon_set = false;
    dump_fields before;
    std::wstring id_before;
    std::vector<dump_fields> canon_seen;
    dialog_driver canon_driver({drive_then_close(IDC_DUMP_SHOW, IDOK, [&](HWND dialog) {
        caption = text_of(dialog);
        icon_set = SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) ==
                   reinterpret_cast<LRESULT>(application.large_icon);
        before = fields_of(dialog);
        id_before = text_of(GetDlgItem(dialog, IDC_DUMP_ID));
        for (const wchar_t* id : {L"271", L"4242", L"282", L"", L"271", L"0"}) {
            canon_seen.push_back(show(dialog, id));
        }
    })});
    open_tag_dump(application, *canon.bitmap(), nullptr);
    ASSERT_EQ(canon_driver.finish(), 1U);

    EXPECT_EQ(caption, application.product_name());
    EXPECT_TRUE(icon_set);
    EXPECT_EQ(before, (dump_fields{L"Static", L"Static", L""}));
    EXPECT_EQ(id_before, L"");
    const dump_fields make{L"6", L"2", L"43 61 6E 6F 6E 00"};
    const dump_fields nothing{};
    const std::vector<dump_fields> expected{
        make, nothing, {L"8", L"5", L"48 00 00 00 01 00 00 00"}, nothing, make, nothing};
    EXPECT_EQ(canon_seen, expected);

    // A maker note of tens of kilobytes is shown whole, not cut at the edit's usual limit.
    dump_fields note_seen;
    LRESULT hex_limit = 0;
    LRESULT hex_lines = 0;
    DWORD selected_from = 1;
    DWORD selected_to = 0;
    dialog_driver samsung_driver({drive_then_close(IDC_DUMP_SHOW, IDCANCEL, [&](HWND dialog) {
        note_seen = show(dialog, L"37500");
        const HWND field = GetDlgItem(dialog, IDC_DUMP_HEX);
        hex_limit = SendMessageW(field, EM_GETLIMITTEXT, 0, 0);
        hex_lines = SendMessageW(field, EM_GETLINECOUNT, 0, 0);
        // What Ctrl+A types selects the whole dump, for Ctrl+C.
        SendMessageW(field, WM_CHAR, 0x01, 0);
        SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&selected_from),
                     reinterpret_cast<LPARAM>(&selected_to));
    })});
    open_tag_dump(application, *samsung.bitmap(), nullptr);
    ASSERT_EQ(samsung_driver.finish(), 1U);
    std::wstring expected_hex;
    kestrov::utf8_to_wide(expected_note->hex, expected_hex);
    EXPECT_EQ(note_seen.length, std::to_wstring(expected_note->length));
    EXPECT_EQ(note_seen.type, L"7");
    // Shown in lines of 16 bytes that scroll; joined again, they are the dump's text.
    std::wstring joined;
    std::size_t longest = 0;
    for (std::size_t at = 0; at <= note_seen.hex.size();) {
        const auto end = std::min(note_seen.hex.find(L"\r\n", at), note_seen.hex.size());
        longest = std::max(longest, end - at);
        joined += (at == 0 ? L"" : L" ") + note_seen.hex.substr(at, end - at);
        at = end + 2;
    }
    EXPECT_TRUE(joined == expected_hex);
    EXPECT_EQ(longest, std::size_t{16 * 3 - 1});
    EXPECT_EQ(hex_lines, static_cast<LRESULT>((expected_note->length + 15) / 16));
    EXPECT_GE(hex_limit, static_cast<LRESULT>(note_seen.hex.size()));
    // Ctrl+A selects all of it, for Ctrl+C.
    EXPECT_EQ(selected_from, 0U);
    EXPECT_EQ(selected_to, note_seen.hex.size());
}

struct combo_seen {
    std::wstring caption;
    std::vector<std::wstring> entries;
    LRESULT selected = CB_ERR;
};

combo_seen read_combo(HWND dialog) {
    combo_seen seen;
    seen.caption = text_of(dialog);
    const HWND combo = GetDlgItem(dialog, IDC_NEW_TAG_COMBO);
    const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        const auto at = static_cast<WPARAM>(index);
        std::wstring text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, at, 0)) + 1,
                          L'\0');
        text.resize(static_cast<std::size_t>(
            SendMessageW(combo, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(text.data()))));
        seen.entries.push_back(text);
    }
    seen.selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    return seen;
}

TEST_F(TagDialogs, NewTagOffersTheMissingTagsAndAnswersTheChosenOne) {
    kestrov::tags::tag_catalogue catalogue;
    catalogue.fill();
    const kestrov::tags::missing_tag_list missing{270, 315};

    combo_seen offered;
    {
        dialog_driver driver({drive_then_close(
            IDC_NEW_TAG_COMBO, IDOK, [&](HWND dialog) { offered = read_combo(dialog); })});
        EXPECT_EQ(choose_new_tag(application, catalogue, missing, nullptr), 270);
        ASSERT_EQ(driver.finish(), 1U);
    }
    EXPECT_EQ(offered.caption, application.product_name());
    EXPECT_EQ(offered.entries, (std::vector<std::wstring>{L"Popis", L"Autor"}));
    EXPECT_EQ(offered.selected, 0);

    // The answer is the chosen entry's tag, not its place in the list.
    {
        dialog_driver driver({drive_then_close(IDC_NEW_TAG_COMBO, IDOK, [](HWND dialog) {
            SendDlgItemMessageW(dialog, IDC_NEW_TAG_COMBO, CB_SETCURSEL, 1, 0);
        })});
        EXPECT_EQ(choose_new_tag(application, catalogue, missing, nullptr), 315);
        ASSERT_EQ(driver.finish(), 1U);
    }
    {
        dialog_driver driver({drive_then_close(IDC_NEW_TAG_COMBO, IDCANCEL, [](HWND) {})});
        EXPECT_EQ(choose_new_tag(application, catalogue, missing, nullptr), 0);
        ASSERT_EQ(driver.finish(), 1U);
    }

    // Nothing to offer: an empty list, and OK chooses nothing.
    combo_seen empty;
    {
        dialog_driver driver({drive_then_close(IDC_NEW_TAG_COMBO, IDOK,
                                               [&](HWND dialog) { empty = read_combo(dialog); })});
        EXPECT_EQ(choose_new_tag(application, catalogue, {}, nullptr), 0);
        ASSERT_EQ(driver.finish(), 1U);
    }
    EXPECT_TRUE(empty.entries.empty());
    EXPECT_EQ(empty.selected, CB_ERR);
}

} // namespace
