#include "image/engine/codecs.h"

#include "image/engine/formats.h"

namespace kestrov::imaging {

namespace {

codec_info codec_of(const format_entry& entry) {
    return {entry.format, entry.description, entry.filename_extension, entry.mime_type};
}

} // namespace

status image_decoders(std::vector<codec_info>& out) {
    out.clear();
    for (const format_entry& entry : known_formats()) {
        out.push_back(codec_of(entry));
    }
    return status::ok;
}

status image_encoders(std::vector<codec_info>& out) {
    out.clear();
    for (const format_entry& entry : known_formats()) {
        if (entry.listed_as_encoder) {
            out.push_back(codec_of(entry));
        }
    }
    return status::ok;
}

} // namespace kestrov::imaging
