#include "ui/toolkit/combo_box.h"
#include "ui/toolkit/list_box.h"

#include "base/kestrov_exception.h"
#include "ui/recording_control.h"
#include "ui/scripted_dialog.h"
#include "ui/test_resource_ids.h"
#include "ui/toolkit/reflection.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrov::winapi {
namespace {

using testing::recording_control;
using testing::scripted_dialog;

TEST(ComboBox, SelectingPastTheLastEntryRaisesWithTheComboBoxMessage) {
    scripted_dialog dialog([](scripted_dialog& self) {
        combo_box groups;
        groups.create(self.handle);
        EXPECT_EQ(groups.add_item(L"Popisné údaje", 1), 0);
        EXPECT_EQ(groups.add_item(L"Všechny", 7), 1);
        groups.select(1);
        EXPECT_EQ(groups.selected_data(), 7);
        try {
            groups.select(2);
            ADD_FAILURE() << "select past the end returned";
        } catch (const kestrov_exception& error) {
            EXPECT_STREQ(error.what(), "Zadaný index položky combo-boxu je neplatný");
            EXPECT_EQ(error.code(), e_invalidarg);
        }
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

// A list box that notes the index of every item it is told was deleted, while the notice's
// structure still exists.
class file_list : public recording_control<list_box> {
public:
    LRESULT window_proc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == reflected_delete_item) {
            deleted.push_back(reinterpret_cast<const DELETEITEMSTRUCT*>(lparam)->itemID);
        }
        return recording_control::window_proc(message, wparam, lparam);
    }

    std::vector<UINT> deleted;
};

TEST(ListBox, RemoveSelectedDeletesFromTheHighestIndexDown) {
    scripted_dialog dialog([](scripted_dialog& self) {
        file_list list;
        list.attach(self.item(IDC_TEST_LIST).handle);
        for (const wchar_t* name : {L"nula", L"jedna", L"dva", L"tři", L"čtyři", L"pět"}) {
            const int index = list.add_string(name);
            // Non-zero item data makes the list box announce each deletion (WM_DELETEITEM),
            // which the dialog reflects back to the list.
            SendMessageW(list.handle, LB_SETITEMDATA, static_cast<WPARAM>(index), 100);
        }
        for (const int index : {1, 3, 4}) {
            SendMessageW(list.handle, LB_SETSEL, TRUE, index);
        }
        list.remove_selected();
        EXPECT_EQ(list.deleted, (std::vector<UINT>{4, 3, 1}));
        ASSERT_EQ(SendMessageW(list.handle, LB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(list.item_text(0), L"nula");
        EXPECT_EQ(list.item_text(1), L"dva");
        EXPECT_EQ(list.item_text(2), L"pět");
        EXPECT_THROW(list.item_text(3), kestrov_exception);
        self.end_dialog(IDOK);
    });
    dialog.run_modal();
}

} // namespace
} // namespace kestrov::winapi
