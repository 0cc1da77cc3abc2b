// BMP, ICO, EMF and WMF: recognised, hold no items, and are checked only for a readable header.
#pragma once

#include "image/engine/container.h"

namespace kestrov::imaging {

bool has_bmp_signature(std::span<const std::byte> head);
bool has_ico_signature(std::span<const std::byte> head);
bool has_emf_signature(std::span<const std::byte> head);
bool has_wmf_signature(std::span<const std::byte> head);

status read_bmp(byte_source& source, decoded_metadata& out);
status read_ico(byte_source& source, decoded_metadata& out);
status read_emf(byte_source& source, decoded_metadata& out);
status read_wmf(byte_source& source, decoded_metadata& out);

} // namespace kestrov::imaging
