// The image formats the engine recognises (their rows: formats.h).
#pragma once

#include <cstddef>
#include <span>

namespace kestrov::imaging {

enum class image_format { unknown, bmp, jpeg, gif, emf, wmf, tiff, png, ico };

// Bytes detect_format needs to see; fewer are fine for a shorter file.
inline constexpr std::size_t format_signature_length = 64;

} // namespace kestrov::imaging
