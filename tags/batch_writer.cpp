#include "tags/batch_writer.h"

#include "base/last_error.h"
#include "image/bitmap_plus.h"
#include "image/engine/io/file_system.h"
#include "image/property_writer.h"
#include "image/saving.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace kestrov::tags {

namespace {

// Files prepared before one flush: enough to make the flush rare, few enough to keep the files
// they hold open well under any limit.
constexpr std::size_t files_per_flush = 128;

// Why a file stayed as it was when its new content could not be made durable.
constexpr const char* not_durable_reason = "Změny nelze bezpečně zapsat na disk.";

void apply_texts(gdi::bitmap_plus& bitmap, const descriptive_texts& texts) {
    for (std::size_t i = 0; i < descriptive_fields.size(); ++i) {
        if (!texts.values[i].empty()) {
            gdi::set_text_property(bitmap.bitmap(),
                                   static_cast<std::uint32_t>(descriptive_fields[i].id),
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

// Each file of the list once, in the order of its first listing, however it is spelt: two
// names of one file (a relative and a full path, a link) would otherwise have the second
// listing find the file changed by the first. A path that names no file stands for itself.
std::vector<file_outcome> distinct_files(const std::vector<std::wstring>& paths) {
    std::vector<file_outcome> files;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::size_t> by_identity;
    std::map<std::wstring, std::size_t> by_name;
    for (const auto& path : paths) {
        const auto identity = imaging::identity_of(path);
        const std::size_t next = files.size();
        const std::size_t at =
            identity
                ? by_identity.try_emplace({identity->volume, identity->file}, next).first->second
                : by_name.try_emplace(path, next).first->second;
        if (at == next) {
            files.push_back({path, false, {}, {}, 1});
        } else {
            ++files[at].listings;
        }
    }
    return files;
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

// Puts a prepared file in place of its original.
void commit(prepared_file& file, bool durable) {
    try {
        file.save->commit(false, durable);
        file.outcome.written = true;
        if (file.save->other_names_keep_old_content()) {
            file.outcome.note = gdi::other_names_note();
        }
    } catch (const std::exception& error) {
        file.outcome.reason = error.what();
    }
    file.save.reset();
    file.bitmap.release();
}

// Loads a file, writes the texts and prepares its save. A save whose new content has a name on
// disk is committed at once, so that a run interrupted at any moment leaves no more temporary
// files than it is writing; unnamed ones wait for the group's flush.
void prepare(prepared_file& file, const descriptive_texts& texts, bool flush_each) {
    try {
        file.bitmap.load(file.outcome.path);
        apply_texts(file.bitmap, texts);
        file.save = std::make_unique<gdi::pending_save>(file.bitmap, flush_each);
    } catch (const std::exception& error) {
        file.bitmap.release();
        file.save.reset();
        file.outcome.reason = error.what();
        return;
    }
    if (flush_each) {
        commit(file, true);
    } else if (!file.save->unnamed_until_commit()) {
        // No handle is left to flush a named file by: its file system is flushed for it.
        if (imaging::flush_file_system(file.save->temporary_file())) {
            commit(file, true);
        } else {
            file.save.reset();
            file.bitmap.release();
            file.outcome.reason = not_durable_reason;
        }
    }
}

// Prepares, flushes and commits one group of distinct files; the files begun are always the
// first ones of the group.
void write_group(std::vector<prepared_file>& group, const descriptive_texts& texts, unsigned jobs,
                 bool flush_each, progress_counter& progress, const batch_continue& keep_running) {
    std::atomic<std::size_t> next{0};
    // What went wrong beyond one file (memory, a callback): it must not escape a thread, which
    // would end the process and leave temporary files behind, so it waits here for the join.
    std::exception_ptr failure;
    std::atomic<bool> failed{false};
    std::mutex failure_mutex;
    auto work = [&]() noexcept {
        try {
            // Asked before an index is taken, so that no taken file is left out and the files
            // begun stay a prefix of the group.
            while (!failed && (!keep_running || keep_running())) {
                const std::size_t i = next++;
                if (i >= group.size()) {
                    break;
                }
                group[i].begun = true;
                prepare(group[i], texts, flush_each);
                progress.file_done();
            }
        } catch (...) {
            const std::lock_guard lock(failure_mutex);
            if (!failure) {
                failure = std::current_exception();
            }
            failed = true;
        }
    };
    std::vector<std::thread> workers;
    const unsigned extra = std::min<unsigned>(jobs, static_cast<unsigned>(group.size())) - 1;
    try {
        for (unsigned i = 0; i < extra; ++i) {
            workers.emplace_back(work);
        }
    } catch (const std::system_error&) {
        // Fewer threads than asked for: the ones there are do the work.
    }
    work();
    for (auto& worker : workers) {
        worker.join();
    }
    if (failure) {
        // The prepared saves go with the group, and their new content with them.
        std::rethrow_exception(failure);
    }

    // One flush for each folder's file system; the file replaced stands for its folder.
    std::map<std::wstring, std::wstring> folders;
    for (const auto& file : group) {
        if (file.save) {
            folders.emplace(folder_of(file.save->replaced_file()), file.save->replaced_file());
        }
    }
    for (const auto& [folder, file_in_it] : folders) {
        if (imaging::flush_file_system(file_in_it)) {
            continue;
        }
        // Nothing unflushed may replace an original: the files of this folder stay as they were.
        for (auto& file : group) {
            if (file.save && folder_of(file.save->replaced_file()) == folder) {
                file.save.reset();
                file.bitmap.release();
                file.outcome.reason = not_durable_reason;
            }
        }
    }
    // The replaces are made durable by one flush for each folder too.
    struct replaced_in_folder {
        std::wstring file; // stands for the folder's file system
        std::vector<file_outcome*> outcomes;
    };
    std::map<std::wstring, replaced_in_folder> replaced;
    for (auto& file : group) {
        if (!file.save) {
            continue;
        }
        const std::wstring target = file.save->replaced_file();
        commit(file, false);
        if (file.outcome.written) {
            auto& in_folder = replaced[folder_of(target)];
            in_folder.file = target;
            in_folder.outcomes.push_back(&file.outcome);
        }
    }
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
    // Where one flush cannot stand for many files, each file is flushed and put in place on its
    // own as soon as it is written.
    const bool flush_each = !imaging::file_system_flush_available();
    jobs = std::max(jobs, 1U);
    auto files = distinct_files(paths);
    std::vector<file_outcome> outcomes;
    outcomes.reserve(files.size());
    for (std::size_t start = 0; start < files.size(); start += files_per_flush) {
        const std::size_t end = std::min(files.size(), start + files_per_flush);
        std::vector<prepared_file> group(end - start);
        for (std::size_t i = 0; i < group.size(); ++i) {
            group[i].outcome = std::move(files[start + i]);
        }
        progress_counter counter(progress, start, files.size());
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
    }
    return outcomes;
}

} // namespace kestrov::tags
