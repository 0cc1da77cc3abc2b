#include "ui/main/image_file_dialog.h"

#include "base/hresult.h"
#include "base/kestrov_exception.h"
#include "ui/main/image_file_checks.h"

#include <objbase.h>

namespace kestrov {

namespace {

void require_success(HRESULT result) {
    if (FAILED(result)) {
        throw kestrov_exception(static_cast<hresult>(result));
    }
}

} // namespace

image_file_dialog::image_file_dialog() {
    require_success(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog_)));
    if (dialog_ == nullptr) {
        throw kestrov_exception(static_cast<hresult>(E_NOINTERFACE));
    }
    const HRESULT result = dialog_->SetFileTypes(image_file_type_count, image_file_types);
    if (FAILED(result)) {
        dialog_->Release();
        throw kestrov_exception(static_cast<hresult>(result));
    }
}

image_file_dialog::~image_file_dialog() {
    dialog_->Release();
}

bool image_file_dialog::show(HWND owner) {
    return dialog_->Show(owner) == S_OK;
}

std::wstring image_file_dialog::chosen_path() {
    IShellItem* item = nullptr;
    HRESULT result = dialog_->GetResult(&item);
    if (FAILED(result) || item == nullptr) {
        throw kestrov_exception(static_cast<hresult>(FAILED(result) ? result : E_FAIL));
    }
    wchar_t* chosen = nullptr;
    result = item->GetDisplayName(SIGDN_FILESYSPATH, &chosen);
    item->Release();
    require_success(result);
    if (chosen == nullptr) {
        const DWORD error = GetLastError();
        throw kestrov_exception(error != 0 ? hresult_from_win32(error)
                                           : static_cast<hresult>(E_FAIL));
    }
    std::wstring path = chosen;
    CoTaskMemFree(chosen);
    return path;
}

} // namespace kestrov
