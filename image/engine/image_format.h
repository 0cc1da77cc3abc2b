// The image formats the engine recognises, and how a file's first bytes tell them apart.
#pragma once

#include <cstddef>
#include <span>

namespace kestrov::imaging {

enum class image_format { unknown, bmp, jpeg, gif, emf, wmf, tiff, png, ico };

// Bytes detect_format needs to see; fewer are fine for a shorter file.
inline constexpr std::size_t format_signature_length = 64;

// The format by content, never by the file's name.
image_format detect_format(std::span<const std::byte> head);

} // namespace kestrov::imaging
