#include "ui/dialogs/dlg_popisne_tagy.h"

#include "ui/dialogs/dialog_frame.h"

#include "app/message_box_style.h"
#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "res/resource_ids.h"
#include "tags/batch_report.h"
#include "ui/main/image_file_checks.h"
#include "ui/main/image_file_dialog.h"
#include "ui/toolkit/failure_boundary.h"
#include "ui/toolkit/scoped_flag.h"

#include <shellapi.h>

#include <chrono>
#include <exception>
#include <system_error>
#include <utility>

using namespace kestrov;

namespace {

// From the worker to the dialog, posted: never sent, so the worker never waits for the dialog.
// wParam and lParam of the progress are the files done and the files in the run.
constexpr UINT message_batch_progress = WM_APP + 20;
constexpr UINT message_batch_ended = WM_APP + 21;

// The edit control of a descriptive text: the template numbers the fields from the top.
constexpr int field_control(const tags::descriptive_field& field) {
    return IDC_BATCH_TITLE + field.batch_field;
}
static_assert(IDC_BATCH_SOFTWARE - IDC_BATCH_TITLE + 1 == tags::descriptive_fields.size());

// Posts until the message is queued or the dialog is gone: the end of a run must not get lost in
// a full queue, or the dialog would wait for it for ever.
void post_surely(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
    while (!PostMessageW(dialog, message, wparam, lparam) && IsWindow(dialog)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

} // namespace

dlg_popisne_tagy::dlg_popisne_tagy(application_base& application) : application_(application) {}

dlg_popisne_tagy::~dlg_popisne_tagy() {
    if (worker_.joinable()) {
        keep_running = false;
        worker_.join();
    }
}

INT_PTR dlg_popisne_tagy::on_init_dialog(HWND) {
    dress_dialog(handle, application_, application_.product_name());
    file_list.attach(item(IDC_BATCH_FILES).handle);
    DragAcceptFiles(file_list.handle, TRUE);
    return TRUE;
}

INT_PTR dlg_popisne_tagy::dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
        case IDCANCEL:
            request_close(LOWORD(wparam));
            return TRUE;
        case IDC_BATCH_WRITE:
            start_writing();
            break;
        case IDC_BATCH_ADD:
            add_file();
            break;
        case IDC_BATCH_REMOVE:
            remove_selected_files();
            break;
        default:
            break;
        }
        break;
    case message_batch_progress:
        show_progress(static_cast<std::size_t>(wparam), static_cast<std::size_t>(lparam));
        return TRUE;
    case message_batch_ended:
        end_run();
        return TRUE;
    case WM_QUERYENDSESSION:
        finish_files_in_progress();
        // Left to the system's own answer, which lets the session end.
        break;
    case WM_ENDSESSION:
        if (wparam) {
            finish_files_in_progress();
        }
        break;
    default:
        break;
    }
    return dialog_impl::dialog_proc(message, wparam, lparam);
}

void dlg_popisne_tagy::add_file() {
    image_file_dialog dialog;
    // Owned by this dialog, so that it cannot be closed, nor a second file dialog opened, while
    // the user chooses.
    if (!dialog.show(handle)) {
        return;
    }
    std::wstring path;
    try {
        path = dialog.chosen_path();
    } catch (const kestrov_exception&) {
        return;
    }
    if (is_openable_image_file(path.c_str())) {
        file_list.add_string(path.c_str());
    }
}

void dlg_popisne_tagy::remove_selected_files() {
    // During a run the list is what the worker writes; it is disabled, and stays as it is.
    if (!writing()) {
        file_list.remove_selected();
    }
}

std::vector<std::wstring> dlg_popisne_tagy::files_to_write() const {
    std::vector<std::wstring> paths;
    if (IsDlgButtonChecked(handle, IDC_BATCH_SELECTED_ONLY) == BST_CHECKED) {
        for (const int index : file_list.selected_indexes()) {
            paths.push_back(file_list.item_text(index));
        }
    } else {
        const int count = file_list.count();
        for (int index = 0; index < count; ++index) {
            paths.push_back(file_list.item_text(index));
        }
    }
    return paths;
}

void dlg_popisne_tagy::start_writing() {
    if (writing() || reporting_ || close_after_run_) {
        return;
    }
    // What the run writes is read here, once: changes to the fields or the list take effect in
    // the next run only, and the worker needs nothing from the dialog's windows.
    tags::descriptive_texts texts;
    for (std::size_t i = 0; i < texts.values.size(); ++i) {
        texts.values[i] = item_text(field_control(tags::descriptive_fields[i]));
    }
    auto paths = files_to_write();
    if (paths.empty()) {
        return;
    }
    files_in_run_ = paths.size();
    keep_running = true;
    try {
        worker_ = std::thread(&dlg_popisne_tagy::write_worker, this, handle, std::move(paths),
                              std::move(texts));
    } catch (const std::system_error& error) {
        application_.show_message_ansi(error.what(), message_box_flags::icon_error, 0);
        return;
    }
    run_going_ = true;
    // A disabled window cannot keep the keyboard focus; it goes to the button first, so Esc still
    // reaches the dialog during the run.
    if (GetFocus() == file_list.handle) {
        focus_write_button();
    }
    EnableWindow(file_list.handle, FALSE);
    show_progress(0, files_in_run_);
}

void dlg_popisne_tagy::write_worker(HWND dialog, std::vector<std::wstring> paths,
                                    tags::descriptive_texts texts) {
    try {
        outcomes_ = tags::write_descriptive_texts(
            paths, texts, std::max(1U, std::thread::hardware_concurrency()),
            [dialog](std::size_t done, std::size_t total) {
                PostMessageW(dialog, message_batch_progress, done, static_cast<LPARAM>(total));
            },
            [this] { return keep_running.load(); });
    } catch (const std::exception& error) {
        // Each file's own failures are in its outcome; this is the run itself failing.
        worker_failure_ = error.what();
    } catch (...) {
        worker_failure_ = "Zápis se nezdařil.";
    }
    post_surely(dialog, message_batch_ended, 0, 0);
}

void dlg_popisne_tagy::show_progress(std::size_t done, std::size_t total) {
    if (writing() && keep_running) {
        set_caption(application_.product_name() + L" – " + std::to_wstring(done) + L" / " +
                    std::to_wstring(total));
    }
}

void dlg_popisne_tagy::end_run() {
    if (!writing()) {
        return;
    }
    // Joined already when the session's end waited for the files in progress.
    if (worker_.joinable()) {
        worker_.join();
    }
    run_going_ = false;
    // The run's results are taken before any box is shown, and no run starts while they are.
    const auto outcomes = std::exchange(outcomes_, {});
    const auto failure = std::exchange(worker_failure_, {});
    {
        // Each step of the report is guarded on its own, so whatever fails, the rest of the
        // report is still shown; a failure kept here ends the dialog afterwards.
        const winapi::scoped_flag reporting(reporting_);
        EnableWindow(file_list.handle, TRUE);
        winapi::guarded([&] { set_caption(application_.product_name()); });
        if (!failure.empty()) {
            winapi::guarded([&] {
                application_.show_message_ansi(failure.c_str(), message_box_flags::icon_error, 0);
            });
        }
        const auto summary = tags::batch_summary(outcomes, files_in_run_);
        if (!summary.empty()) {
            winapi::guarded([&] {
                std::wstring text;
                utf8_to_wide(summary, text);
                application_.show_message(text, message_box_flags::icon_exclamation, 0);
            });
        }
    }
    if (close_after_run_) {
        end_dialog(*close_after_run_);
        return;
    }
    // The disabled list or the box may have taken the keyboard focus out of the dialog; it comes
    // back to the button that starts a run, so Esc and Enter work again.
    const HWND focus = GetFocus();
    if (focus != handle && !IsChild(handle, focus)) {
        focus_write_button();
    }
}

void dlg_popisne_tagy::on_failure_kept() {
    if (writing() || reporting_) {
        if (!close_after_run_) {
            close_after_run_ = IDABORT;
        }
        return;
    }
    dialog_impl::on_failure_kept();
}

void dlg_popisne_tagy::finish_files_in_progress() {
    if (worker_.joinable()) {
        keep_running = false;
        worker_.join();
    }
}

void dlg_popisne_tagy::focus_write_button() {
    SendMessageW(handle, WM_NEXTDLGCTL,
                 reinterpret_cast<WPARAM>(GetDlgItem(handle, IDC_BATCH_WRITE)), TRUE);
}

void dlg_popisne_tagy::request_close(INT_PTR result) {
    if (!writing()) {
        end_dialog(result);
        return;
    }
    // The worker finishes the file in progress and begins no other; the dialog ends when it has
    // heard of the end, so nothing of it goes while the worker runs.
    keep_running = false;
    close_after_run_ = result;
    set_caption(application_.product_name() + L" – dokončuji rozpracované soubory…");
}

void dlg_popisne_tagy::set_caption(const std::wstring& caption) {
    if (!SetWindowTextW(handle, caption.c_str())) {
        raise_last_error();
    }
}

void open_batch(application_base& application, HWND owner) {
    dlg_popisne_tagy dialog(application);
    winapi::run_modal(dialog, IDD_BATCH, owner);
}
