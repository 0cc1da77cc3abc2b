#include "image/engine/formats/png/png_ancillary.h"

#include "image/engine/format_facts.h"

#include "image/engine/io/byte_reader.h"
#include "image/engine/item_values.h"

#include <array>
#include <utility>

namespace kestrov::imaging {

namespace {

// PNG stores gamma and chromaticities as the value times 100000 (§11.3.3.1, §11.3.3.2).
constexpr std::uint32_t png_fixed_point = 100000;

void append_digits(std::string& text, unsigned value, int digits) {
    std::string number(static_cast<std::size_t>(digits), '0');
    for (auto it = number.rbegin(); it != number.rend(); ++it) {
        *it = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    text += number;
}

// §11.3.6.1: year, month, day, hour, minute, second (60 for a leap second), all UTC.
bool decode_time(std::span<const std::byte> data, std::vector<property>& items,
                 std::string& problem) {
    byte_reader reader(data, byte_order::big);
    const unsigned year = reader.u16();
    const unsigned month = reader.u8();
    const unsigned day = reader.u8();
    const unsigned hour = reader.u8();
    const unsigned minute = reader.u8();
    const unsigned second = reader.u8();
    // Four digits for the year: the Exif form of a date has room for no more.
    if (year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 ||
        second > 60) {
        problem = "obsahuje nemožné datum";
        return false;
    }
    std::string text; // "YYYY:MM:DD HH:MM:SS"
    append_digits(text, year, 4);
    for (const auto& [separator, value] :
         {std::pair{':', month}, std::pair{':', day}, std::pair{' ', hour}, std::pair{':', minute},
          std::pair{':', second}}) {
        text.push_back(separator);
        append_digits(text, value, 2);
    }
    items.push_back(ascii_item(date_time_id, text));
    return true;
}

// §11.3.3.2: the file's gamma times 100000. The platform shows the display gamma, its inverse,
// as the rational 100000 / stored value: a file gamma of 0.45455 reads as 100000/45455 = 2.2.
bool decode_gamma(std::span<const std::byte> data, std::vector<property>& items,
                  std::string& problem) {
    byte_reader reader(data, byte_order::big);
    const auto stored = reader.u32();
    if (stored == 0) {
        problem = "obsahuje nulovou gamu";
        return false;
    }
    const std::array<std::pair<std::uint32_t, std::uint32_t>, 1> gamma = {
        {{png_fixed_point, stored}}};
    items.push_back(rational_item(gamma_id, gamma));
    return true;
}

// §11.3.3.1: white point x, y, then red, green and blue x, y, each times 100000; shown as the
// TIFF tags of the same meaning.
bool decode_chromaticities(std::span<const std::byte> data, std::vector<property>& items,
                           std::string&) {
    byte_reader reader(data, byte_order::big);
    std::array<std::pair<std::uint32_t, std::uint32_t>, 8> values{};
    for (auto& value : values) {
        value = {reader.u32(), png_fixed_point};
    }
    items.push_back(rational_item(white_point_id, std::span(values).first(2)));
    items.push_back(rational_item(primary_chromaticities_id, std::span(values).subspan(2)));
    return true;
}

// §11.3.5.3: pixels per unit in x and y, then the unit (0 unknown, 1 metre).
bool decode_physical(std::span<const std::byte> data, std::vector<property>& items,
                     std::string& problem) {
    byte_reader reader(data, byte_order::big);
    const std::array<std::uint32_t, 1> x = {reader.u32()};
    const std::array<std::uint32_t, 1> y = {reader.u32()};
    const auto unit = reader.bytes(1);
    if (unit.empty()) {
        problem = "je zkrácený";
        return false;
    }
    if (std::to_integer<std::uint8_t>(unit[0]) > 1) {
        problem = "má neznámou jednotku";
        return false;
    }
    items.push_back(byte_item(pixel_unit_id, unit));
    items.push_back(long_item(pixels_per_unit_x_id, x));
    items.push_back(long_item(pixels_per_unit_y_id, y));
    return true;
}

constexpr std::array<png_ancillary_chunk, 4> ancillary_chunks = {{
    {"tIME", 7, decode_time},
    {"gAMA", 4, decode_gamma},
    {"cHRM", 32, decode_chromaticities},
    {"pHYs", 9, decode_physical},
}};

} // namespace

const png_ancillary_chunk* find_png_ancillary_chunk(std::string_view type) {
    for (const auto& chunk : ancillary_chunks) {
        if (chunk.type == type) {
            return &chunk;
        }
    }
    return nullptr;
}

} // namespace kestrov::imaging
