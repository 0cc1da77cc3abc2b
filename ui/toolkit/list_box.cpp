#include "ui/toolkit/list_box.h"

#include "base/kestrov_exception.h"

#include <algorithm>
#include <new>
#include <vector>

namespace kestrov::winapi {

int list_box::add_string(const wchar_t* text) {
    const LRESULT index = SendMessageW(handle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index == LB_ERR || index == LB_ERRSPACE) {
        raise_last_error();
    }
    if (SendMessageW(handle, LB_SETITEMDATA, static_cast<WPARAM>(index), 0) == LB_ERR) {
        raise_last_error();
    }
    return static_cast<int>(index);
}

std::vector<int> list_box::selected_indexes() const {
    const LRESULT count = SendMessageW(handle, LB_GETSELCOUNT, 0, 0);
    if (count == LB_ERR) {
        raise_last_error();
    }
    std::vector<int> selected;
    if (count == 0) {
        return selected;
    }
    try {
        selected.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        raise_last_error(e_outofmemory);
    }
    const LRESULT filled = SendMessageW(handle, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                        reinterpret_cast<LPARAM>(selected.data()));
    if (filled == LB_ERR || filled != count) {
        raise_last_error();
    }
    std::sort(selected.begin(), selected.end());
    return selected;
}

int list_box::count() const {
    const LRESULT count = SendMessageW(handle, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR) {
        raise_last_error();
    }
    return static_cast<int>(count);
}

void list_box::remove_selected() {
    auto selected = selected_indexes();
    // From the highest index down, so the indices still to be deleted keep naming their items.
    std::reverse(selected.begin(), selected.end());
    for (const int index : selected) {
        if (SendMessageW(handle, LB_DELETESTRING, static_cast<WPARAM>(index), 0) == LB_ERR) {
            raise_last_error();
        }
    }
}

std::wstring list_box::item_text(int index) const {
    const LRESULT length = SendMessageW(handle, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        raise_last_error(e_invalidarg);
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied = SendMessageW(handle, LB_GETTEXT, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(text.data()));
    if (copied == LB_ERR) {
        raise_last_error(e_invalidarg);
    }
    text.resize(static_cast<std::size_t>(std::min(copied, length)));
    return text;
}

} // namespace kestrov::winapi
