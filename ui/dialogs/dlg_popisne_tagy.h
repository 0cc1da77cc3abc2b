// Writes the same descriptive texts into many image files at once (template 113). The files are
// written on a worker thread, one run at a time; the dialog stays usable meanwhile, shows the
// progress in its caption and, when files could not be written, says which and why.
#pragma once

#include "app/application_base_win.h"
#include "tags/batch_writer.h"
#include "ui/main/listbox_soubory.h"
#include "ui/toolkit/dialog_impl.h"

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <thread>
#include <vector>

class dlg_popisne_tagy : public kestrov::winapi::dialog_impl {
public:
    explicit dlg_popisne_tagy(kestrov::application_base& application);
    // Stops a run that still goes on and waits for it, so the worker never outlives the object.
    ~dlg_popisne_tagy() override;

    INT_PTR dialog_proc(UINT message, WPARAM wparam, LPARAM lparam) override;
    // Icons and the product name as caption; binds the file list and lets it take dropped files.
    INT_PTR on_init_dialog(HWND focus_window) override;
    // During a run, or while its end is reported, the dialog ends only once the report is shown:
    // the user must hear what was written and what was not before the failure goes on.
    void on_failure_kept() override;

    // "Přidat soubor": one image file chosen in the file-open dialog is appended to the list.
    void add_file();
    // "Odebrat vybrané".
    void remove_selected_files();
    // "Po&užít zadané hodnoty": takes the fields and the files to write, disables the list and
    // starts the worker; does nothing while a run goes on or when there is no file to write.
    void start_writing();
    // Whether a run goes on: from start_writing until the dialog has heard of its end.
    bool writing() const { return run_going_; }

    listbox_soubory file_list;
    // Cleared when the dialog is closed or the session ends during a run: no further file is
    // begun. Each run starts with it set.
    std::atomic<bool> keep_running{true};

private:
    void write_worker(HWND dialog, std::vector<std::wstring> paths,
                      kestrov::tags::descriptive_texts texts);
    void show_progress(std::size_t done, std::size_t total);
    void end_run();
    // Ends the dialog with `result` now, or, during a run, once the file in progress is done.
    void request_close(INT_PTR result);
    // Stops the run between files and waits here for the files in progress: once the session's
    // end has been answered, the process may be ended at any moment.
    void finish_files_in_progress();
    std::vector<std::wstring> files_to_write() const;
    void set_caption(const std::wstring& caption);
    void focus_write_button();

    kestrov::application_base& application_;
    std::thread worker_;
    // Filled by the worker before it tells the dialog that it ended.
    std::vector<kestrov::tags::file_outcome> outcomes_;
    std::string worker_failure_;
    std::size_t files_in_run_ = 0;
    // From the worker's start until end_run takes its results, which may be after the worker
    // ended (the session's end waits for it).
    bool run_going_ = false;
    // While the end of a run is being reported.
    bool reporting_ = false;
    std::optional<INT_PTR> close_after_run_;
};

// Runs the batch dialog modally over `owner` with an empty list and empty fields.
void open_batch(kestrov::application_base& application, HWND owner);
