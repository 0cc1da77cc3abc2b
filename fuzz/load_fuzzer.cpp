// Loads arbitrary bytes as an image and reads every item through every typed reader, as the
// program would: nothing here may crash, hang or read outside the input.
#include "image/engine/image.h"
#include "image/property_readers.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::byte>(data[i]);
    }
    auto image = kestrov::imaging::image::from_bytes(std::move(bytes));
    if (!image || image->last_status() != kestrov::imaging::status::ok) {
        return 0;
    }
    std::vector<std::uint32_t> ids;
    image->property_ids(ids);
    for (const auto id : ids) {
        std::uint32_t item_size = 0;
        if (image->property_item_size(id, item_size) == kestrov::imaging::status::ok) {
            std::vector<kestrov::imaging::PropertyItem> buffer(
                item_size / sizeof(kestrov::imaging::PropertyItem) + 1);
            image->property_item(id, item_size, buffer.data());
        }
        std::wstring text;
        kestrov::gdi::get_text_property(image.get(), id, text);
        double number = 0;
        kestrov::gdi::get_rational_property(image.get(), id, number);
        std::uint16_t short_value = 0;
        kestrov::gdi::get_short_property(image.get(), id, short_value);
    }
    double coordinate = 0;
    bool hemisphere = false;
    kestrov::gdi::get_gps_latitude(image.get(), coordinate, hemisphere);
    kestrov::gdi::get_gps_longitude(image.get(), coordinate, hemisphere);
    return 0;
}
