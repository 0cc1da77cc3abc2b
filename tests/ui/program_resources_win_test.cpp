// Runs in an executable that carries the program's own resource script: the menu bar, the
// accelerators, the strings and the icon as the program loads them.
#include "res/resource_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

namespace {

HINSTANCE this_module() {
    return GetModuleHandleW(nullptr);
}

std::wstring resource_string(UINT id) {
    const wchar_t* text = nullptr;
    const int length = LoadStringW(this_module(), id, reinterpret_cast<wchar_t*>(&text), 0);
    return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

struct menu_entry {
    UINT id; // 0: a separator
    std::wstring text;
};

struct popup_entry {
    std::wstring title;
    std::vector<menu_entry> items;
};

std::vector<menu_entry> items_of(HMENU menu) {
    std::vector<menu_entry> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        std::array<wchar_t, 128> text{};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text.data();
        info.cch = static_cast<UINT>(text.size());
        EXPECT_TRUE(GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info));
        if ((info.fType & MFT_SEPARATOR) != 0) {
            items.push_back({0, L""});
        } else {
            items.push_back({info.wID, text.data()});
        }
    }
    return items;
}

bool operator==(const menu_entry& left, const menu_entry& right) {
    return left.id == right.id && left.text == right.text;
}

void PrintTo(const menu_entry& entry, std::ostream* out) {
    *out << entry.id << ' ' << ::testing::PrintToString(entry.text);
}

TEST(ProgramResources, TheMenuBarHoldsEveryCommandAndEachHasItsHelpText) {
    const HMENU bar = LoadMenuW(this_module(), MAKEINTRESOURCEW(IDR_MAINMENU));
    ASSERT_NE(bar, nullptr);
    const std::vector<popup_entry> expected{
        {L"&Soubor",
         {{IDM_OPEN, L"&Otevřít\tCtrl+O"},
          {IDM_SAVE, L"&Uložit\tCtrl+S"},
          {IDM_CLOSE, L"&Zavřít"},
          {0, L""},
          {IDM_QUIT, L"&Konec"}}},
        {L"&Vlastnosti",
         {{IDM_ADD, L"&Přidat\tCtrl+Insert"},
          {IDM_EDIT, L"Upr&avit"},
          {IDM_REMOVE, L"O&debrat\tCtrl+Delete"}}},
        {L"Nás&troje",
         {{IDM_BATCH, L"&Hromadný zápis popisných informací"},
          {IDM_TAG_DUMP, L"Výpis &dat tagu"},
          {0, L""},
          {IDM_PREFERENCES, L"Před&volby"}}},
        {L"Ná&pověda", {{IDM_WEB_PAGE, L"&Webové stránky"}, {0, L""}, {IDM_ABOUT, L"&O aplikaci"}}},
    };
    ASSERT_EQ(GetMenuItemCount(bar), static_cast<int>(expected.size()));
    std::set<UINT> commands;
    for (size_t position = 0; position < expected.size(); ++position) {
        std::array<wchar_t, 64> title{};
        GetMenuStringW(bar, static_cast<UINT>(position), title.data(),
                       static_cast<int>(title.size()), MF_BYPOSITION);
        EXPECT_EQ(title.data(), expected[position].title);
        const HMENU popup = GetSubMenu(bar, static_cast<int>(position));
        ASSERT_NE(popup, nullptr) << position;
        const auto items = items_of(popup);
        EXPECT_EQ(items, expected[position].items) << position;
        for (const auto& item : items) {
            if (item.id != 0) {
                commands.insert(item.id);
            }
        }
    }
    EXPECT_TRUE(DestroyMenu(bar));

    // Every command is on the menu, and its string is both the status bar's help and the
    // toolbar's tooltip, which has a buffer of 80 characters.
    EXPECT_EQ(commands.size(), 12U);
    for (UINT id = IDM_QUIT; id <= IDM_BATCH; ++id) {
        EXPECT_EQ(commands.count(id), 1U) << id;
        const auto help = resource_string(id);
        EXPECT_FALSE(help.empty()) << id;
        EXPECT_LT(help.size(), 80U) << id;
    }
    EXPECT_EQ(resource_string(IDM_QUIT), L"Ukončit aplikaci");
    EXPECT_EQ(resource_string(IDM_BATCH),
              L"Hromadný zápis popisných informací do jednoho nebo více souborů");
    EXPECT_EQ(resource_string(IDS_ABOUT_EMAIL_TIP), L"Odeslat email autorovi aplikace - Kestrov");
    EXPECT_EQ(resource_string(IDS_ABOUT_WEB_TIP), L"Zobrazit web autora - Kestrov");
}

// The WM_COMMAND parameters a window received.
std::vector<WPARAM> commands_received;

LRESULT CALLBACK command_recorder(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COMMAND) {
        commands_received.push_back(wparam);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

// Translates a key press through the table with Ctrl held or not; true when it became a command.
bool translate(HWND window, HACCEL table, WPARAM key, bool control) {
    std::array<BYTE, 256> keys{};
    EXPECT_TRUE(GetKeyboardState(keys.data()));
    keys[VK_CONTROL] = control ? 0x80 : 0;
    keys[VK_LCONTROL] = keys[VK_CONTROL];
    EXPECT_TRUE(SetKeyboardState(keys.data()));
    MSG press{};
    press.hwnd = window;
    press.message = WM_KEYDOWN;
    press.wParam = key;
    press.lParam = 1;
    const bool translated = TranslateAcceleratorW(window, table, &press) != 0;
    keys[VK_CONTROL] = 0;
    keys[VK_LCONTROL] = 0;
    EXPECT_TRUE(SetKeyboardState(keys.data()));
    return translated;
}

// Renders the icon at size pixels over magenta; the pixels come back as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> drawn_icon(int size) {
    const auto icon = static_cast<HICON>(
        LoadImageW(this_module(), MAKEINTRESOURCEW(IDI_MIRTEL), IMAGE_ICON, size, size, 0));
    EXPECT_NE(icon, nullptr) << size;
    if (icon == nullptr) {
        return {};
    }
    ICONINFO parts{};
    EXPECT_TRUE(GetIconInfo(icon, &parts));
    BITMAP colour{};
    GetObjectW(parts.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, size);
    EXPECT_EQ(colour.bmHeight, size);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC canvas = CreateCompatibleDC(screen);
    const HBITMAP target = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    const HGDIOBJ before = SelectObject(canvas, target);
    const auto count = static_cast<size_t>(size) * static_cast<size_t>(size);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    std::fill(pixels, pixels + count, 0xFF00FFU);
    EXPECT_TRUE(DrawIconEx(canvas, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
    GdiFlush();
    std::vector<std::uint32_t> drawn(pixels, pixels + count);
    SelectObject(canvas, before);
    DeleteObject(target);
    DeleteDC(canvas);
    DestroyIcon(icon);
    for (auto& pixel : drawn) {
        pixel &= 0xFFFFFFU;
    }
    return drawn;
}

#pragma pack(push, 2)
struct icon_group_entry {
    BYTE width; // 0: 256
    BYTE height;
    BYTE colours;
    BYTE reserved;
    WORD planes;
    WORD bits_per_pixel;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(ProgramResources, TheAcceleratorsSendCommandsAndTheIconComesInEverySize) {
    const HACCEL table = LoadAcceleratorsW(this_module(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(table, nullptr);
    std::array<ACCEL, 8> entries{};
    ASSERT_EQ(CopyAcceleratorTableW(table, entries.data(), static_cast<int>(entries.size())), 4);
    std::set<std::pair<WORD, WORD>> keys;
    for (size_t index = 0; index < 4; ++index) {
        EXPECT_EQ(entries[index].fVirt, FVIRTKEY | FCONTROL | FNOINVERT) << index;
        keys.insert({entries[index].key, entries[index].cmd});
    }
    EXPECT_EQ(
        keys,
        (std::set<std::pair<WORD, WORD>>{
            {VK_INSERT, IDM_ADD}, {'O', IDM_OPEN}, {'S', IDM_SAVE}, {VK_DELETE, IDM_REMOVE}}));

    WNDCLASSW recorder{};
    recorder.lpfnWndProc = command_recorder;
    recorder.hInstance = this_module();
    recorder.lpszClassName = L"mirtel_command_recorder";
    RegisterClassW(&recorder);
    const HWND window = CreateWindowExW(0, recorder.lpszClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0,
                                        200, 100, nullptr, nullptr, this_module(), nullptr);
    ASSERT_NE(window, nullptr);
    commands_received.clear();
    EXPECT_TRUE(translate(window, table, 'O', true));
    EXPECT_TRUE(translate(window, table, VK_DELETE, true));
    EXPECT_FALSE(translate(window, table, 'O', false));
    EXPECT_EQ(commands_received,
              (std::vector<WPARAM>{MAKEWPARAM(IDM_OPEN, 1), MAKEWPARAM(IDM_REMOVE, 1)}));
    DestroyWindow(window);
    DestroyAcceleratorTable(table);

    // Each size the system asks for is drawn for it, in 32 bits with alpha.
    const HRSRC found = FindResourceW(this_module(), MAKEINTRESOURCEW(IDI_MIRTEL),
                                      MAKEINTRESOURCEW(14)); // RT_GROUP_ICON, wide
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(LockResource(LoadResource(this_module(), found)));
    ASSERT_NE(group, nullptr);
    WORD count = 0;
    std::memcpy(&count, group + 4, sizeof count);
    std::set<int> sizes;
    for (WORD index = 0; index < count; ++index) {
        icon_group_entry entry{};
        std::memcpy(&entry, group + 6 + index * sizeof entry, sizeof entry);
        EXPECT_EQ(entry.bits_per_pixel, 32) << index;
        sizes.insert(entry.width == 0 ? 256 : entry.width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 32, 48, 256}));

    // Drawn, the corner lets the background through and the middle covers it.
    for (const int size : {16, 32, 256}) {
        const auto drawn = drawn_icon(size);
        ASSERT_EQ(drawn.size(), static_cast<size_t>(size * size)) << size;
        EXPECT_EQ(drawn.front(), 0xFF00FFU) << size;
        EXPECT_NE(drawn[static_cast<size_t>(size / 2 * size + size / 2)], 0xFF00FFU) << size;
    }
}

} // namespace
