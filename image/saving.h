// Saving a loaded image back over its own file: the new content is written completely beside
// the file, made durable, and only then put in the file's place in one step.
#pragma once

#include "image/bitmap_plus.h"
#include "image/engine/codecs.h"

#include <string>
#include <string_view>

namespace kestrov::gdi {

// The first encoder whose extensions contain `extension` (ignoring case). Raises
// gdiplus_exception (no encoder) when none does, and for an empty extension.
imaging::codec_info find_encoder(std::wstring_view extension);

// "<file>_temp_<extension>": where the new content waits before it replaces the file.
std::wstring temporary_name(const std::wstring& file_name);

// One save in two steps, so that a batch can write all its files, flush them together, and only
// then replace the originals. Destroying an uncommitted save removes its temporary file.
class pending_save {
public:
    // Writes the image's new content beside its file; `flush` makes it durable right away
    // (otherwise the caller flushes the file system before commit). Raises kestrov_exception
    // when there is no image or the file may not be replaced, gdiplus_exception when writing
    // fails; nothing is left behind then.
    pending_save(bitmap_plus& bitmap, bool flush);
    pending_save(const pending_save&) = delete;
    pending_save& operator=(const pending_save&) = delete;
    ~pending_save();

    // Puts the new content in the file's place and loads it (or, without `reload`, leaves the
    // bitmap empty). When the file changed on disk since it was loaded, or cannot be replaced,
    // raises and leaves the file, and the image with its edits, as they were.
    void commit(bool reload = true);

    const std::wstring& temporary_file() const { return temporary_; }

private:
    bitmap_plus& bitmap_;
    std::wstring own_;
    std::wstring temporary_;
    bool pending_ = false;
};

} // namespace kestrov::gdi
