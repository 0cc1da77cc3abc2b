#include "image/engine/formats.h"

#include "image/engine/formats/gif/gif_format.h"
#include "image/engine/formats/jpeg/jpeg_format.h"
#include "image/engine/formats/png/png_format.h"
#include "image/engine/formats/simple/simple_formats.h"
#include "image/engine/formats/tiff/tiff_format.h"

#include <algorithm>
#include <array>

namespace kestrov::imaging {

namespace {

// No two signatures overlap, so the order of the rows does not change what a file is taken for.
constexpr std::array<format_entry, 8> registry{{
    {image_format::bmp, L"BMP", L"*.BMP;*.DIB;*.RLE", L"image/bmp", has_bmp_signature, read_bmp,
     write_unchanged, false, true},
    {image_format::jpeg, L"JPEG", L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"image/jpeg", has_jpeg_signature,
     read_jpeg, write_jpeg, true, true, text_places::segments},
    {image_format::gif, L"GIF", L"*.GIF", L"image/gif", has_gif_signature, read_gif,
     write_unchanged, false, true},
    {image_format::emf, L"EMF", L"*.EMF", L"image/x-emf", has_emf_signature, read_emf,
     write_unchanged, false, false},
    {image_format::wmf, L"WMF", L"*.WMF", L"image/x-wmf", has_wmf_signature, read_wmf,
     write_unchanged, false, false},
    {image_format::tiff, L"TIFF", L"*.TIF;*.TIFF", L"image/tiff", has_tiff_signature, read_tiff,
     write_tiff, true, true, text_places::tiff_tags},
    {image_format::png, L"PNG", L"*.PNG", L"image/png", has_png_signature, read_png, write_png,
     true, true, text_places::png_chunks},
    {image_format::ico, L"ICO", L"*.ICO", L"image/x-icon", has_ico_signature, read_ico,
     write_unchanged, false, false},
}};

} // namespace

std::span<const format_entry> known_formats() {
    return registry;
}

const format_entry* format_entry_of(image_format format) {
    const auto found = std::find_if(registry.begin(), registry.end(),
                                    [format](const format_entry& e) { return e.format == format; });
    return found != registry.end() ? &*found : nullptr;
}

image_format detect_format(std::span<const std::byte> head) {
    const auto found =
        std::find_if(registry.begin(), registry.end(),
                     [head](const format_entry& entry) { return entry.has_signature(head); });
    return found != registry.end() ? found->format : image_format::unknown;
}

} // namespace kestrov::imaging
