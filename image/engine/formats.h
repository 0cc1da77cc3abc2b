// Every image format the engine knows, one row each: what the program lists about it, how a file's
// first bytes tell it, how it is read and written, and whether it holds items. A new format is a
// row here and a folder under formats/.
#pragma once

#include "image/engine/container.h"
#include "image/engine/container_writer.h"
#include "image/engine/descriptive/descriptive_texts.h"
#include "image/engine/image_format.h"

#include <span>

namespace kestrov::imaging {

struct format_entry {
    image_format format = image_format::unknown;
    // As the platform's imaging library lists its codecs.
    const wchar_t* description = L"";
    const wchar_t* filename_extension = L""; // such as "*.JPG;*.JPEG;*.JPE;*.JFIF"
    const wchar_t* mime_type = L"";
    // True when a file's first bytes (at most format_signature_length) are this format's.
    bool (*has_signature)(std::span<const std::byte> head) = nullptr;
    container_reader read = nullptr;
    // A format without items is saved as it is (write_unchanged).
    container_writer write = nullptr;
    bool holds_items = false;
    // Listed among the encoders: the program can save it.
    bool listed_as_encoder = false;
    // Where the format keeps the descriptive texts besides their items.
    text_places other_text_places = text_places::none;
};

// In the order the codecs are listed: BMP, JPEG, GIF, EMF, WMF, TIFF, PNG, ICO.
std::span<const format_entry> known_formats();

// The format by content, never by the file's name: the first row whose signature `head` has.
image_format detect_format(std::span<const std::byte> head);

// The row of `format`; nullptr for unknown.
const format_entry* format_entry_of(image_format format);

} // namespace kestrov::imaging
