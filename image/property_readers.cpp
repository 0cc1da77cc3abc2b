#include "image/property_readers.h"

#include "base/kestrov_exception.h"
#include "base/text_conversion.h"
#include "image/engine/io/byte_reader.h"
#include "image/engine/property_item.h"

#include <cstring>
#include <new>
#include <optional>
#include <span>
#include <vector>

namespace kestrov::gdi {

namespace {

constexpr std::uint32_t id_gps_latitude_ref = 1;
constexpr std::uint32_t id_gps_latitude = 2;
constexpr std::uint32_t id_gps_longitude_ref = 3;
constexpr std::uint32_t id_gps_longitude = 4;

// One item copied out the way the library hands it out: record and value in one buffer.
class item_buffer {
public:
    const imaging::PropertyItem& item() const {
        return *reinterpret_cast<const imaging::PropertyItem*>(storage_.data());
    }
    std::span<const std::byte> value() const {
        return {static_cast<const std::byte*>(item().value), item().length};
    }

    static std::optional<item_buffer> read(imaging::image* image, std::uint32_t id,
                                           std::uint16_t accepted_type);

private:
    // PropertyItem-sized elements keep the record aligned.
    std::vector<imaging::PropertyItem> storage_;
};

std::optional<item_buffer> item_buffer::read(imaging::image* image, std::uint32_t id,
                                             std::uint16_t accepted_type) {
    if (image == nullptr) {
        raise_last_error(e_pointer);
    }
    std::uint32_t size = 0;
    if (image->property_item_size(id, size) != imaging::status::ok || size == 0) {
        return std::nullopt;
    }
    item_buffer buffer;
    try {
        buffer.storage_.resize((size + sizeof(imaging::PropertyItem) - 1) /
                               sizeof(imaging::PropertyItem));
    } catch (const std::bad_alloc&) {
        raise_last_error(e_outofmemory);
    }
    if (image->property_item(id, size, buffer.storage_.data()) != imaging::status::ok ||
        buffer.item().type != accepted_type) {
        return std::nullopt;
    }
    return buffer;
}

// The rational at `index` of a RATIONAL value, when the value is long enough to hold it.
std::optional<double> rational_at(std::span<const std::byte> value, std::size_t index) {
    if (!imaging::range_fits(value.size(), index * 8, 8)) {
        return std::nullopt;
    }
    const std::byte* p = value.data() + index * 8;
    const auto numerator = imaging::load_u32(p, imaging::byte_order::little);
    const auto denominator = imaging::load_u32(p + 4, imaging::byte_order::little);
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

bool get_gps_coordinate(imaging::image* image, std::uint32_t coordinate_id,
                        std::uint32_t reference_id, char positive, double& out,
                        bool& positive_out) {
    const auto coordinate =
        item_buffer::read(image, coordinate_id, imaging::property_type::rational);
    if (!coordinate) {
        return false;
    }
    // Degrees, minutes, seconds (Exif 2.3 §4.6.6); a shorter value is not a coordinate.
    const auto degrees = rational_at(coordinate->value(), 0);
    const auto minutes = rational_at(coordinate->value(), 1);
    const auto seconds = rational_at(coordinate->value(), 2);
    if (!degrees || !minutes || !seconds) {
        return false;
    }
    const double value = (*minutes / 60.0 + *degrees) + (*seconds / 3600.0);
    char reference = 0;
    if (!get_ascii_char_property(image, reference_id, reference)) {
        return false;
    }
    out = value;
    positive_out = reference == positive || reference == positive + ('a' - 'A');
    return true;
}

} // namespace

bool get_short_property(imaging::image* image, std::uint32_t id, std::uint16_t& out) {
    const auto buffer = item_buffer::read(image, id, imaging::property_type::short_);
    if (!buffer || buffer->value().size() < 2) {
        return false;
    }
    out = imaging::load_u16(buffer->value().data(), imaging::byte_order::little);
    return true;
}

bool get_ascii_char_property(imaging::image* image, std::uint32_t id, char& out) {
    const auto buffer = item_buffer::read(image, id, imaging::property_type::ascii);
    if (!buffer || buffer->value().empty()) {
        return false;
    }
    out = std::to_integer<char>(buffer->value()[0]);
    return true;
}

bool get_text_property(imaging::image* image, std::uint32_t id, std::wstring& out) {
    const auto buffer = item_buffer::read(image, id, imaging::property_type::ascii);
    if (!buffer) {
        return false;
    }
    const auto value = buffer->value();
    std::wstring text;
    try {
        utf8_to_wide(std::string_view(reinterpret_cast<const char*>(value.data()), value.size()),
                     text);
    } catch (const kestrov_exception&) {
        // Legacy single-byte texts are not UTF-8: they read as absent.
        return false;
    }
    out = std::move(text);
    return true;
}

bool get_rational_property(imaging::image* image, std::uint32_t id, double& out) {
    const auto buffer = item_buffer::read(image, id, imaging::property_type::rational);
    if (!buffer) {
        return false;
    }
    const auto value = rational_at(buffer->value(), 0);
    if (!value) {
        return false;
    }
    out = *value;
    return true;
}

bool get_first_rational(imaging::image* image, std::uint32_t id, std::uint32_t& numerator,
                        std::uint32_t& denominator) {
    const auto buffer = item_buffer::read(image, id, imaging::property_type::rational);
    if (!buffer || buffer->value().size() < 8) {
        return false;
    }
    numerator = imaging::load_u32(buffer->value().data(), imaging::byte_order::little);
    denominator = imaging::load_u32(buffer->value().data() + 4, imaging::byte_order::little);
    return true;
}

bool get_gps_latitude(imaging::image* image, double& out, bool& north) {
    return get_gps_coordinate(image, id_gps_latitude, id_gps_latitude_ref, 'N', out, north);
}

bool get_gps_longitude(imaging::image* image, double& out, bool& east) {
    return get_gps_coordinate(image, id_gps_longitude, id_gps_longitude_ref, 'E', out, east);
}

} // namespace kestrov::gdi
