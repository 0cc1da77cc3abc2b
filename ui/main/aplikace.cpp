#include "ui/main/aplikace.h"

#include "app/message_box_style.h"
#include "app/settings_store_win.h"
#include "base/kestrov_exception.h"
#include "res/resource_ids.h"
#include "ui/main/image_file_checks.h"
#include "ui/main/okno_hlavni.h"
#include "ui/main/program_objects.h"
#include "ui/toolkit/failure_boundary.h"

#include <objbase.h>

#include <exception>

namespace {

HICON load_icon(int width, int height) {
    const auto icon =
        static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MIRTEL),
                                      IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
    if (icon == nullptr) {
        kestrov::raise_last_error();
    }
    return icon;
}

} // namespace

aplikace::~aplikace() {
    try {
        release_resources();
    } catch (const std::exception&) {
    }
}

void aplikace::start() {
    using namespace kestrov;
    const HRESULT com = CoInitialize(nullptr);
    if (com != S_OK) {
        throw kestrov_exception(static_cast<hresult>(com));
    }
    com_initialized_ = true;

    release_resources();
    large_icon = load_icon(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    small_icon = load_icon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));

    toolbar_images.reset();
    toolbar_images = std::make_unique<winapi::image_list_pair>(true);
    for (const int bitmap :
         {IDB_TOOLBAR_OPEN, IDB_TOOLBAR_SAVE, IDB_TOOLBAR_QUIT, IDB_TOOLBAR_SETTINGS}) {
        toolbar_images->add_bitmap(bitmap);
    }
    if (accelerators == nullptr) {
        accelerators =
            LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
        if (accelerators == nullptr) {
            raise_last_error();
        }
    }

    // The list every way of opening files checks against, listed once for the whole program.
    supported_extensions =
        std::make_unique<std::vector<std::wstring>>(kestrov::decodable_extensions());
    tag_catalogue = std::make_unique<tags::tag_catalogue>();
    tag_catalogue->fill();
    settings = std::make_unique<settings_record>();
    load_settings(*settings);

    main_window = std::make_unique<okno_hlavni>();
    main_window->initialize();
}

void aplikace::tear_down() {
    main_window.reset();
    settings.reset();
    toolbar_images.reset();
    tag_catalogue.reset();
    supported_extensions.reset();
    release_resources();
    if (com_initialized_) {
        CoUninitialize();
        com_initialized_ = false;
    }
}

void aplikace::release_resources() {
    if (large_icon != nullptr) {
        const HICON icon = large_icon;
        large_icon = nullptr;
        if (!DestroyIcon(icon)) {
            kestrov::raise_last_error();
        }
    }
    if (small_icon != nullptr) {
        const HICON icon = small_icon;
        small_icon = nullptr;
        if (!DestroyIcon(icon)) {
            kestrov::raise_last_error();
        }
    }
    if (accelerators != nullptr) {
        const HACCEL table = accelerators;
        accelerators = nullptr;
        if (!DestroyAcceleratorTable(table)) {
            kestrov::raise_last_error();
        }
    }
}

int aplikace::run() {
    try {
        start();
        // Creating the window dispatches messages of its own before the loop runs.
        kestrov::winapi::raise_kept_failure();
        MSG message{};
        for (;;) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {
                break;
            }
            if (got == -1) {
                kestrov::raise_last_error();
            }
            const HWND target = main_window ? main_window->handle : nullptr;
            if (target == nullptr || accelerators == nullptr ||
                TranslateAcceleratorW(target, accelerators, &message) == 0) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            kestrov::winapi::raise_kept_failure();
        }
        tear_down();
        kestrov::winapi::raise_kept_failure();
        return static_cast<int>(message.wParam);
    } catch (...) {
        // A failure kept by a window procedure came first; what was raised here may only be what
        // it led to.
        auto failure = kestrov::winapi::take_kept_failure();
        if (!failure) {
            failure = std::current_exception();
        }
        show_failure(failure);
        // The program ends all the same: nothing of the tear-down may keep it from answering 1.
        try {
            tear_down();
        } catch (...) {
        }
        kestrov::winapi::take_kept_failure();
        return 1;
    }
}

void aplikace::show_failure(const std::exception_ptr& failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& caught) {
        try {
            show_message_ansi(caught.what(), kestrov::message_box_flags::icon_error, 0);
        } catch (...) {
            // The box cannot be shown either: the exit code alone tells of the failure.
        }
    } catch (...) {
    }
}
