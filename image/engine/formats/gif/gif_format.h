// GIF files: comments, application extensions and the screen descriptor, read only.
#pragma once

#include "image/engine/container.h"

namespace kestrov::imaging {

bool has_gif_signature(std::span<const std::byte> head);
status read_gif(byte_source& source, decoded_metadata& out);

} // namespace kestrov::imaging
