// JPEG files: the Exif block in the APP1 segment.
#pragma once

#include "image/engine/container.h"
#include "image/engine/container_writer.h"

namespace kestrov::imaging {

bool has_jpeg_signature(std::span<const std::byte> head);
status read_jpeg(byte_source& source, decoded_metadata& out);
status write_jpeg(byte_source& source, const decoded_metadata& metadata, byte_sink& sink);

} // namespace kestrov::imaging
