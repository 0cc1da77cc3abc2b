// Saving a loaded image back over its own file: the new content is written completely beside
// the file, made durable, and only then put in the file's place in one step.
#pragma once

#include "image/bitmap_plus.h"
#include "image/engine/codecs.h"
#include "image/engine/io/file_system.h"

#include <memory>
#include <string>
#include <string_view>

namespace kestrov::gdi {

// The first encoder whose extensions contain `extension` (ignoring case). Raises
// gdiplus_exception (no encoder) when none does, and for an empty extension.
imaging::codec_info find_encoder(std::wstring_view extension);

// "<file>_temp_<extension>": where the new content waits before it replaces the file. When that
// name is taken, the next attempts are "<file>_temp_2<extension>", "<file>_temp_3<extension>" ...
std::wstring temporary_name(const std::wstring& file_name, unsigned attempt = 1);

// One save in two steps, so that a batch can write all its files, flush them together, and only
// then replace the originals. Destroying an uncommitted save removes its temporary file.
//
// The save writes the file itself: through a symbolic link it replaces the file the link names
// and keeps the link. The new content is a new file that takes the place of the old one in one
// step, so other hard links of the file keep the old content (other_names_keep_old_content).
class pending_save {
public:
    // Writes the image's new content beside its file, into a temporary file of its own that did
    // not exist before (no existing file of any name is opened, truncated or removed). Where the
    // file system allows, that file has no name until the commit, so nothing is left of it should
    // the program be killed. `flush` makes it durable right away (otherwise the caller flushes the
    // file system before commit).
    // Raises kestrov_exception when there is no image or the file may not be replaced,
    // gdiplus_exception when writing fails; nothing is left behind then.
    pending_save(bitmap_plus& bitmap, bool flush);
    pending_save(const pending_save&) = delete;
    pending_save& operator=(const pending_save&) = delete;
    ~pending_save();

    // Puts the new content in the file's place and loads it (or, without `reload`, leaves the
    // bitmap empty); `durable` flushes the folder so that the replace survives a power cut (a
    // batch flushes once for many files instead). When the file changed on disk since it was
    // loaded, or cannot be replaced, raises and leaves the file, and the image with its edits, as
    // they were.
    void commit(bool reload = true, bool durable = true);

    // The new content's name beside the file; empty while it has none (until the commit).
    const std::wstring& temporary_file() const { return temporary_; }
    // The new content has no name until the commit: a save that is dropped, or a program that is
    // killed, leaves nothing behind.
    bool unnamed_until_commit() const { return unnamed_ != nullptr; }
    // The file that is replaced: the own file, or the one its link names.
    const std::wstring& replaced_file() const { return target_; }
    // The file had other names (hard links); they keep its old content.
    bool other_names_keep_old_content() const { return other_names_; }

private:
    // Gives the unnamed new content a free temporary name beside the file.
    void name_new_content();

    bitmap_plus& bitmap_;
    std::unique_ptr<imaging::output_file> unnamed_;
    std::wstring own_;
    std::wstring target_;
    std::wstring temporary_;
    bool other_names_ = false;
    bool pending_ = false;
};

// What a user is told about a save whose file had other hard links (UTF-8).
std::string other_names_note();

// The failure of a save whose replace was done but could not be made durable, with the flush's
// Win32 error (UTF-8).
std::string replaced_but_not_durable(std::uint32_t error);

} // namespace kestrov::gdi
