#include "image/engine/codecs.h"

namespace kestrov::imaging {

namespace {

const codec_info bmp{image_format::bmp, L"BMP", L"*.BMP;*.DIB;*.RLE", L"image/bmp"};
const codec_info jpeg{image_format::jpeg, L"JPEG", L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"image/jpeg"};
const codec_info gif{image_format::gif, L"GIF", L"*.GIF", L"image/gif"};
const codec_info emf{image_format::emf, L"EMF", L"*.EMF", L"image/x-emf"};
const codec_info wmf{image_format::wmf, L"WMF", L"*.WMF", L"image/x-wmf"};
const codec_info tiff{image_format::tiff, L"TIFF", L"*.TIF;*.TIFF", L"image/tiff"};
const codec_info png{image_format::png, L"PNG", L"*.PNG", L"image/png"};
const codec_info ico{image_format::ico, L"ICO", L"*.ICO", L"image/x-icon"};

} // namespace

status image_decoders(std::vector<codec_info>& out) {
    out = {bmp, jpeg, gif, emf, wmf, tiff, png, ico};
    return status::ok;
}

status image_encoders(std::vector<codec_info>& out) {
    out = {bmp, jpeg, gif, tiff, png};
    return status::ok;
}

} // namespace kestrov::imaging
