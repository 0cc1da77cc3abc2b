#include "ui/main/window_placement.h"

#include "app/settings.h"
#include "app/settings_store_win.h"
#include "ui/test_window.h"
#include "win/registry_sandbox.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace kestrov {
namespace {

using testing::registry_sandbox;
using testing::test_window;

RECT rect_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT work_area() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

void place(HWND window, int left, int top, int width, int height) {
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

class placement : public ::testing::Test {
protected:
    void SetUp() override {
        frame.open();
        place(frame.handle, 40, 30, 400, 300);
        save_placement(frame.handle, application);
    }

    // The edges a test expects the restored frame at; an empty one is not checked.
    struct expected_edges {
        std::optional<LONG> left = std::nullopt;
        std::optional<LONG> top = std::nullopt;
        std::optional<LONG> right = std::nullopt;
    };

    // Restores the frame from `stored`, which reaches past the work area, and checks that it was
    // moved back in with its width kept and its edges where `edges` says.
    void expect_moved_back(const screen_rect& stored, const expected_edges& edges) {
        store_window_rect(stored);
        ASSERT_TRUE(restore_placement(frame.handle));
        const RECT placed = rect_of(frame.handle);
        EXPECT_EQ(placed.right - placed.left, stored.right - stored.left);
        for (const auto& [edge, placed_edge] :
             {std::pair{edges.left, placed.left}, std::pair{edges.top, placed.top},
              std::pair{edges.right, placed.right}}) {
            if (edge) {
                EXPECT_EQ(placed_edge, *edge);
            }
        }
    }

    registry_sandbox sandbox;
    application_base application;
    test_window frame;
};

TEST_F(placement, AWindowWithBothEdgesOffScreenIsNotStoredButOneEdgeIs) {
    EXPECT_EQ(load_window_rect(), (screen_rect{40, 30, 440, 330}));
    place(frame.handle, -50, -20, 400, 300);
    save_placement(frame.handle, application);
    EXPECT_EQ(load_window_rect(), (screen_rect{40, 30, 440, 330}));

    place(frame.handle, -50, 20, 400, 300);
    save_placement(frame.handle, application);
    EXPECT_EQ(load_window_rect(), (screen_rect{-50, 20, 350, 320}));
}

TEST_F(placement, AMinimisedWindowIsNotStoredWhereverItsIconLies) {
    ShowWindow(frame.handle, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(frame.handle));
    save_placement(frame.handle, application);
    EXPECT_EQ(load_window_rect(), (screen_rect{40, 30, 440, 330}));
}

TEST_F(placement, ATwentyByteValueIsNotRestored) {
    const auto bytes = stored_rect_bytes({100, 100, 500, 400});
    std::uint8_t longer[20] = {};
    std::copy(bytes.begin(), bytes.end(), longer);
    RegSetKeyValueW(HKEY_CURRENT_USER, settings_key_path, window_rect_value_name, REG_BINARY,
                    longer, sizeof longer);
    place(frame.handle, 10, 10, 300, 200);
    EXPECT_FALSE(restore_placement(frame.handle));
    EXPECT_EQ(rect_of(frame.handle).left, 10);
}

TEST_F(placement, PastTheRightEdgeIsMovedBackWithItsSizeKept) {
    const RECT work = work_area();
    expect_moved_back({work.right - 100, work.top + 50, work.right + 300, work.top + 350},
                      {.top = work.top + 50, .right = work.right});
}

TEST_F(placement, LeftOfTheWorkAreaIsMovedToItsLeftEdge) {
    const RECT work = work_area();
    expect_moved_back({work.left - 150, work.top + 40, work.left + 250, work.top + 340},
                      {.left = work.left});
}

TEST_F(placement, CentreOnMonitorCentresAnOwnedWindowOverItsVisibleOwner) {
    ShowWindow(frame.handle, SW_SHOWNOACTIVATE);
    const HWND owned = CreateWindowExW(0, L"mirtel_test_window", L"", WS_POPUP, 0, 0, 100, 80,
                                       frame.handle, nullptr, winapi::this_module(), nullptr);
    center_on_monitor(owned);
    const RECT placed = rect_of(owned);
    EXPECT_EQ(placed.left, 40 + 200 - 50);
    EXPECT_EQ(placed.top, 30 + 150 - 40);
    DestroyWindow(owned);
}

TEST(SavePlacement, AFailedStoreDoesNotStopTheClosingWindow) {
    const registry_sandbox refusing(registry_sandbox::kind::refuses_new_keys);
    application_base application;
    test_window frame;
    frame.open();
    EXPECT_NO_THROW(save_placement(frame.handle, application));
    EXPECT_FALSE(refusing.has_key(settings_key_path));
}

} // namespace
} // namespace kestrov
