#include "tags/batch_writer.h"

#include "base/last_error.h"
#include "image/bitmap_plus.h"
#include "image/engine/io/file_system.h"
#include "image/property_writer.h"
#include "image/saving.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

namespace kestrov::tags {

namespace {

// Files prepared before one flush: enough to make the flush rare, few enough to keep the files
// they hold open well under any limit.
constexpr std::size_t files_per_flush = 128;

void apply_texts(gdi::bitmap_plus& bitmap, const descriptive_texts& texts) {
    for (std::size_t i = 0; i < batch_fields.size(); ++i) {
        if (!texts.values[i].empty()) {
            gdi::set_text_property(bitmap.bitmap(), static_cast<std::uint32_t>(batch_fields[i]),
                                   texts.values[i]);
        }
    }
}

struct prepared_file {
    file_outcome outcome;
    bool begun = false;
    gdi::bitmap_plus bitmap;
    std::unique_ptr<gdi::pending_save> save;
};

// The folder part of a path: files in one folder share one flush.
std::wstring folder_of(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Tells the progress from the threads that prepare files, one call at a time.
class progress_counter {
public:
    progress_counter(const batch_progress& progress, std::size_t done, std::size_t total)
        : progress_(progress), done_(done), total_(total) {}

    void file_done() {
        const std::lock_guard lock(mutex_);
        ++done_;
        if (progress_) {
            progress_(done_, total_);
        }
    }

private:
    const batch_progress& progress_;
    std::mutex mutex_;
    std::size_t done_;
    std::size_t total_;
};

// Prepares, flushes and commits one group of distinct files; the files begun are always the
// first ones of the group.
void write_group(std::vector<prepared_file>& group, const descriptive_texts& texts, unsigned jobs,
                 bool flush_each, progress_counter& progress, const batch_continue& keep_running) {
    std::atomic<std::size_t> next{0};
    // What went wrong beyond one file (memory, a callback): it must not escape a thread, which
    // would end the process and leave temporary files behind, so it waits here for the join.
    std::exception_ptr failure;
    std::mutex failure_mutex;
    auto prepare = [&]() noexcept {
        try {
            // Asked before an index is taken, so that no taken file is left out and the files
            // begun stay a prefix of the group.
            while (!failure && (!keep_running || keep_running())) {
                const std::size_t i = next++;
                if (i >= group.size()) {
                    break;
                }
                auto& file = group[i];
                file.begun = true;
                try {
                    file.bitmap.load(file.outcome.path);
                    apply_texts(file.bitmap, texts);
                    file.save = std::make_unique<gdi::pending_save>(file.bitmap, flush_each);
                } catch (const std::exception& error) {
                    file.bitmap.release();
                    file.outcome.reason = error.what();
                }
                progress.file_done();
            }
        } catch (...) {
            const std::lock_guard lock(failure_mutex);
            if (!failure) {
                failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> workers;
    const unsigned extra = std::min<unsigned>(jobs, static_cast<unsigned>(group.size())) - 1;
    try {
        for (unsigned i = 0; i < extra; ++i) {
            workers.emplace_back(prepare);
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for: the ones there are do the work.
    }
    prepare();
    for (auto& worker : workers) {
        worker.join();
    }
    if (failure) {
        // The prepared saves go with the group, and their temporary files with them.
        std::rethrow_exception(failure);
    }

    if (!flush_each) {
        // One file of each folder stands for the folder's file system: the folder of the file a
        // save replaces, where its temporary file is.
        std::map<std::wstring, std::wstring> folders;
        for (const auto& file : group) {
            if (file.save) {
                folders.emplace(folder_of(file.save->replaced_file()), file.save->temporary_file());
            }
        }
        for (const auto& [folder, file_in_it] : folders) {
            if (imaging::flush_file_system(file_in_it)) {
                continue;
            }
            // Nothing unflushed may replace an original: the files of this folder stay as they
            // were.
            for (auto& file : group) {
                if (file.save && folder_of(file.save->replaced_file()) == folder) {
                    file.save.reset();
                    file.outcome.reason = "Změny nelze bezpečně zapsat na disk.";
                }
            }
        }
    }
    // Where each file was flushed on its own, each replace is made durable on its own too;
    // otherwise one flush per folder follows the replaces.
    struct replaced_in_folder {
        std::wstring file; // stands for the folder's file system
        std::vector<file_outcome*> outcomes;
    };
    std::map<std::wstring, replaced_in_folder> replaced;
    for (auto& file : group) {
        if (!file.save) {
            continue;
        }
        try {
            file.save->commit(false, flush_each);
            file.outcome.written = true;
            if (file.save->other_names_keep_old_content()) {
                file.outcome.note = gdi::other_names_note();
            }
            auto& in_folder = replaced[folder_of(file.save->replaced_file())];
            in_folder.file = file.save->replaced_file();
            in_folder.outcomes.push_back(&file.outcome);
        } catch (const std::exception& error) {
            file.outcome.reason = error.what();
        }
        file.save.reset();
        file.bitmap.release();
    }
    if (!flush_each) {
        for (const auto& [folder, in_folder] : replaced) {
            if (!imaging::flush_file_system(in_folder.file)) {
                const std::string reason = gdi::replaced_but_not_durable(last_error());
                // The files have their new content, but a power cut could still take it: no
                // failure (nothing is as it was), but nothing to keep quiet about either.
                for (auto* outcome : in_folder.outcomes) {
                    outcome->note = reason;
                }
            }
        }
    }
}

} // namespace

file_outcome write_descriptive_texts(const std::wstring& path, const descriptive_texts& texts) {
    file_outcome outcome{path, false, {}, {}};
    try {
        gdi::bitmap_plus bitmap(path);
        apply_texts(bitmap, texts);
        gdi::pending_save save(bitmap, true);
        save.commit(false);
        outcome.written = true;
        if (save.other_names_keep_old_content()) {
            outcome.note = gdi::other_names_note();
        }
    } catch (const std::exception& error) {
        outcome.reason = error.what();
    }
    return outcome;
}

std::vector<file_outcome> write_descriptive_texts(const std::vector<std::wstring>& paths,
                                                  const descriptive_texts& texts, unsigned jobs,
                                                  const batch_progress& progress,
                                                  const batch_continue& keep_running) {
    const bool flush_each = !imaging::file_system_flush_available();
    jobs = std::max(jobs, 1U);
    std::vector<file_outcome> outcomes;
    outcomes.reserve(paths.size());
    std::size_t start = 0;
    while (start < paths.size()) {
        // A group holds each file once: the second listing of a file is written after the first.
        std::set<std::wstring> in_group;
        std::size_t end = start;
        while (end < paths.size() && end - start < files_per_flush &&
               in_group.insert(paths[end]).second) {
            ++end;
        }
        std::vector<prepared_file> group(end - start);
        for (std::size_t i = 0; i < group.size(); ++i) {
            group[i].outcome.path = paths[start + i];
        }
        progress_counter counter(progress, start, paths.size());
        bool group_failed = false;
        try {
            write_group(group, texts, jobs, flush_each, counter, keep_running);
        } catch (const std::exception& error) {
            // The batch itself cannot go on. What this group did not put in place stays as it
            // was, and says why; no further file is begun.
            group_failed = true;
            for (auto& file : group) {
                file.begun = true;
                if (!file.outcome.written && file.outcome.reason.empty()) {
                    file.outcome.reason = error.what();
                }
            }
        }
        for (auto& file : group) {
            if (!file.begun) {
                return outcomes;
            }
            outcomes.push_back(std::move(file.outcome));
        }
        if (group_failed) {
            return outcomes;
        }
        start = end;
    }
    return outcomes;
}

} // namespace kestrov::tags
