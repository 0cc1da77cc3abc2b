// The file operations a safe save needs, with a portable and a Windows implementation. Failures
// return false (or nothing) with the thread's last Win32 error set.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace kestrov::imaging {

// What identifies a file's content on disk closely enough to notice that another program has
// written or replaced it: the file itself (device and inode, or volume and file index), its
// size and its time of last change.
struct file_identity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0; // nanoseconds or 100-ns units, compared only with itself
    bool operator==(const file_identity&) const = default;
};

std::optional<file_identity> identity_of(std::wstring_view path);

// Where a save writes the new file's bytes, in order.
class byte_sink {
public:
    byte_sink() = default;
    byte_sink(const byte_sink&) = delete;
    byte_sink& operator=(const byte_sink&) = delete;
    virtual ~byte_sink() = default;
    virtual bool write(std::span<const std::byte> bytes) = 0;
};

// A new file, written sequentially.
class output_file final : public byte_sink {
public:
    // Creates the file, or empties the one there.
    static std::unique_ptr<output_file> create(std::wstring_view path);
    // Creates a file that did not exist, readable by its owner alone until it is given other
    // permissions: an existing file or a link of that name is never opened (the error is then
    // "file exists").
    static std::unique_ptr<output_file> create_new(std::wstring_view path);
    // Creates a file in `folder` that has no name until link_as gives it one, readable by its
    // owner alone: should the program be killed before, the file system keeps nothing of it.
    // Nothing (with "not supported") where the platform or the file system has no such files.
    static std::unique_ptr<output_file> create_unnamed(std::wstring_view folder);
    output_file(const output_file&) = delete;
    output_file& operator=(const output_file&) = delete;
    ~output_file() override; // closes without reporting; call close() to know

    bool write(std::span<const std::byte> bytes) override;
    // Tests make writes fail once this many bytes are written in the calling thread (a full disk
    // in the middle of a save); nothing means never.
    static void fail_writes_after_for_testing(std::optional<std::uint64_t> bytes);
    // Tests make the write that would pass this many bytes in the calling thread throw `error`
    // instead (memory running out, or any other failure inside a writer), once; a null `error`
    // means never.
    static void throw_from_writes_after_for_testing(std::uint64_t bytes, std::exception_ptr error);
    // Tests look at the file system as each write is about to happen in the calling thread; a
    // null hook means never.
    static void before_writes_for_testing(void (*hook)());
    // Makes the content durable on the disk before it replaces anything.
    bool flush();
    // Gives the file the owner, group, permission bits and extended attributes of `original`
    // (the portable build's; Windows keeps the original's security, attributes and streams when
    // the file replaces it).
    bool copy_attributes_of(std::wstring_view original);
    bool close();
    // Gives a file made by create_unnamed the name `path`; an existing file or link of that name
    // is left alone (the error is then "file exists").
    bool link_as(std::wstring_view path);

private:
    explicit output_file(std::intptr_t handle) : handle_(handle) {}
    // The output file for the file `path` just created with `handle`; should that fail, the file
    // is closed and removed before the failure goes on.
    static std::unique_ptr<output_file> adopt_new_file(std::intptr_t handle,
                                                       std::wstring_view path);
    // Whether the test seams let `count` more bytes through; false with the disk-full error, or
    // the exception a test chose.
    static bool test_seam_allows(std::size_t count);

    std::intptr_t handle_;
    bool open_ = true;
};

// Whether the program may replace the file at `path`: the user may write both the file and its
// folder, and the file is not marked read-only.
bool may_replace(std::wstring_view path);

// The path of the file itself that `path` names: a symbolic link (or on Windows any reparse
// point) is followed to its target, any other path stays as it is.
std::optional<std::wstring> file_behind_links(std::wstring_view path);

// How many names (hard links) the file has.
std::optional<std::uint64_t> name_count(std::wstring_view path);

// Puts `from` in the place of `to` in one step; `to` keeps its name. When it fails, `to` is
// as it was wherever the platform allows; where it does not (a Windows replace that failed half
// way), `from` still holds the new content.
bool replace_file(std::wstring_view from, std::wstring_view to);

// Whether a file some program holds open can be replaced here; where it cannot, the image lets go
// of its file before the replace.
bool open_file_can_be_replaced();

// Makes a replace of the file at `path` survive a power cut: the folder that names it is flushed.
bool make_replace_durable(std::wstring_view path);

bool remove_file(std::wstring_view path);

// Tests make the next replace_file or make_replace_durable in the calling thread fail with a Win32
// error, as a file system would.
enum class failing_step { none, replace, durable_replace };
void fail_next_for_testing(failing_step step, std::uint32_t error);
// Whether the test seam fails `step` now; it then sets the chosen error and forgets the step.
bool fails_for_testing(failing_step step);

// Flushes everything written to the file system holding `path` (one flush for many new files, or
// for many replaces).
bool flush_file_system(std::wstring_view path);
// Whether flush_file_system makes files durable here; where it does not, flush each file.
bool file_system_flush_available();

} // namespace kestrov::imaging
