// The program's owner of one image loaded from a file.
#pragma once

#include "image/engine/image.h"

#include <memory>
#include <string>
#include <vector>

namespace kestrov::gdi {

// What a save tells besides success.
struct save_report {
    // The file had other hard links: they keep the old content (the new content is a new file).
    bool other_names_keep_old_content = false;
};

class bitmap_plus {
public:
    bitmap_plus() = default;
    // Loads the file at once; raises as `load` does.
    explicit bitmap_plus(const std::wstring& path);
    bitmap_plus(const bitmap_plus&) = delete;
    bitmap_plus& operator=(const bitmap_plus&) = delete;
    virtual ~bitmap_plus();

    // Replaces the held image with the file at `path`. Raises gdiplus_exception with the library's
    // status when the file cannot be read, and is then empty.
    void load(const std::wstring& path);
    // Drops the held image, which closes its file.
    virtual void release();

    // Saves the image over its own file: the new content replaces the file only when it is
    // complete and on the disk, and the image is loaded again from it. Through a symbolic link the
    // file it names is replaced and the link stays.
    save_report save();
    // Saves over the own file when `path` is empty or names it (ignoring case), else to `path`
    // with save_to, leaving the image bound to its own file.
    save_report save_as(const std::wstring& path);
    // Writes the image to `path` with the encoder its extension chooses.
    void save_to(const std::wstring& path);

    imaging::image* bitmap() const { return bitmap_.get(); }
    // What reading the file skipped as damaged (one sentence each); nothing without an image.
    const std::vector<std::string>& warnings() const;
    const std::wstring& file_name() const { return file_name_; }

private:
    std::unique_ptr<imaging::image> bitmap_;
    std::wstring file_name_;
};

} // namespace kestrov::gdi
