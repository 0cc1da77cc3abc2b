#include "app/settings_store_win.h"

#include "app/registry_key_win.h"
#include "base/kestrov_exception.h"
#include "win/message_box_closer.h"
#include "win/registry_sandbox.h"

#include <gtest/gtest.h>

namespace kestrov {
namespace {

using testing::message_box_closer;
using testing::registry_sandbox;

void set_value(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, settings_key_path, name, type, data, size),
              ERROR_SUCCESS);
}

void set_dword(const wchar_t* name, std::uint32_t value) {
    set_value(name, REG_DWORD, &value, sizeof value);
}

TEST(LoadSettings, OnACleanAccountKeepsTheDefaultsAndCreatesNothing) {
    const registry_sandbox sandbox;
    settings_record settings;
    load_settings(settings);
    EXPECT_EQ(settings.param, 3U);
    EXPECT_EQ(settings.cb_skupina, 1U);
    EXPECT_FALSE(sandbox.has_key(settings_key_path));
}

TEST(LoadSettings, ATextParamIsIgnoredWhileTheGroupIsStillRead) {
    const registry_sandbox sandbox;
    const wchar_t text[] = L"0";
    set_value(param_value_name, REG_SZ, text, sizeof text);
    set_dword(group_value_name, 4);
    settings_record settings;
    load_settings(settings);
    EXPECT_EQ(settings.param, 3U);
    EXPECT_EQ(settings.cb_skupina, 4U);

    registry_key key(settings_key_path);
    ASSERT_TRUE(key.open());
    std::uint32_t value = 99;
    EXPECT_FALSE(key.read_dword(param_value_name, value));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(value, 99U);
}

TEST(LoadSettings, DwordsOfAnotherSizeAreIgnored) {
    const registry_sandbox sandbox;
    const std::uint64_t longer = 2;
    set_value(param_value_name, REG_DWORD, &longer, sizeof longer);
    const std::uint16_t shorter = 2;
    set_value(group_value_name, REG_DWORD, &shorter, sizeof shorter);
    settings_record settings;
    load_settings(settings);
    EXPECT_EQ(settings.param, 3U);
    EXPECT_EQ(settings.cb_skupina, 1U);
}

TEST(StoreSettings, AutoSaveOffIsStoredAsTwo) {
    const registry_sandbox sandbox;
    application_base application;
    settings_record settings;
    settings.cb_skupina = 7;
    set_saves_at_once(settings, false);
    store_settings(settings, application);

    DWORD type = REG_NONE;
    std::uint32_t value = 0;
    DWORD size = sizeof value;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, settings_key_path, param_value_name, RRF_RT_ANY,
                           &type, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 2U);
    settings_record loaded;
    load_settings(loaded);
    EXPECT_EQ(loaded.cb_skupina, 7U);
}

TEST(StoreSettings, AFailureIsShownAndNeverReachesTheCaller) {
    const registry_sandbox sandbox(registry_sandbox::kind::refuses_new_keys);
    application_base application;
    message_box_closer closer(fallback_product_name, IDOK);
    EXPECT_NO_THROW(store_settings(settings_record{}, application));
    EXPECT_TRUE(closer.result().found);
    EXPECT_FALSE(sandbox.has_key(settings_key_path));
}

TEST(WindowRect, SixteenBytesOfAnyTypeAreARectangleAndFewerAreNot) {
    const registry_sandbox sandbox;
    EXPECT_FALSE(load_window_rect());
    store_window_rect({-5, 10, 800, 600});
    EXPECT_EQ(load_window_rect(), (screen_rect{-5, 10, 800, 600}));

    const auto bytes = stored_rect_bytes({1, 2, 301, 202});
    set_value(window_rect_value_name, REG_NONE, bytes.data(), 16);
    EXPECT_EQ(load_window_rect(), (screen_rect{1, 2, 301, 202}));
    set_value(window_rect_value_name, REG_BINARY, bytes.data(), 12);
    EXPECT_FALSE(load_window_rect());
}

} // namespace
} // namespace kestrov
