// TIFF files: the file is the TIFF structure, its first page's directories the items.
#pragma once

#include "image/engine/container.h"
#include "image/engine/container_writer.h"

namespace kestrov::imaging {

bool has_tiff_signature(std::span<const std::byte> head);
status read_tiff(byte_source& source, decoded_metadata& out);
status write_tiff(byte_source& source, const decoded_metadata& metadata, byte_sink& sink);

} // namespace kestrov::imaging
