// PNG files: the eXIf chunk, the text chunks and the ancillary chunks the engine shows.
#pragma once

#include "image/engine/container.h"
#include "image/engine/container_writer.h"

namespace kestrov::imaging {

bool has_png_signature(std::span<const std::byte> head);
status read_png(byte_source& source, decoded_metadata& out);
status write_png(byte_source& source, const decoded_metadata& metadata, byte_sink& sink);

} // namespace kestrov::imaging
