// The decoders and encoders the engine offers, listed as the platform's imaging library lists its
// own: one record per format with a description, file-name extensions and MIME type.
#pragma once

#include "image/engine/image_format.h"
#include "image/engine/status.h"

#include <string>
#include <vector>

namespace kestrov::imaging {

struct codec_info {
    image_format format = image_format::unknown;
    std::wstring format_description;
    std::wstring filename_extension; // such as "*.JPG;*.JPEG;*.JPE;*.JFIF"
    std::wstring mime_type;
};

// BMP, JPEG, GIF, EMF, WMF, TIFF, PNG, ICO, in this order.
status image_decoders(std::vector<codec_info>& out);
// BMP, JPEG, GIF, TIFF, PNG.
status image_encoders(std::vector<codec_info>& out);

} // namespace kestrov::imaging
