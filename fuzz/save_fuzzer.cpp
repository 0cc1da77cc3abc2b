// Loads arbitrary bytes, sets a text, removes another item, saves, loads the result again: a save
// that reports success must give a file that loads with exactly the items it was saved with, and
// whose other places of the author (XP tag, XMP, IPTC) hold the text it set.
#include "image/engine/codecs.h"
#include "image/engine/descriptive/text_sources.h"
#include "image/engine/format_facts.h"
#include "image/engine/formats.h"
#include "image/engine/image.h"
#include "image/gdiplus_exception.h"
#include "image/property_readers.h"
#include "image/property_writer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::wstring text = L"Žluťoučký kůň";

using item_map = std::map<std::uint32_t, std::pair<std::uint16_t, std::vector<std::uint8_t>>>;

// The items that keep the descriptive texts' other places: a save brings them into agreement
// with the texts, so they change with the author; their content is checked on its own.
bool holds_other_places(std::uint32_t id) {
    using namespace kestrov::imaging;
    return id == tag_xp_title || id == tag_xp_author || id == tag_xmp || id == tag_iptc ||
           id == tag_image_resources;
}

// Every other place that holds the author holds the text set; a place a save may not change (a
// damaged packet, IPTC in another character set) is not asked.
bool other_places_agree(const kestrov::imaging::image& saved) {
    using namespace kestrov::imaging;
    const format_entry* format = format_entry_of(saved.format());
    const text_sources sources(saved.metadata(), format->other_text_places);
    const std::string utf8 = "\xC5\xBDlu\xC5\xA5ou\xC4\x8Dk\xC3\xBD k\xC5\xAF\xC5\x88";
    const auto xmp = sources.xmp_text(xmp::property::dc_creator);
    const auto iptc = sources.iptc_text(iptc::text_field::by_line);
    return (!xmp || *xmp == utf8) && (!iptc || !sources.iptc_editable() || *iptc == utf8);
}

// Every item's type and value bytes.
item_map items_of(kestrov::imaging::image& image) {
    using namespace kestrov::imaging;
    item_map items;
    std::vector<std::uint32_t> ids;
    image.property_ids(ids);
    for (const auto id : ids) {
        std::uint32_t size = 0;
        if (image.property_item_size(id, size) != status::ok) {
            continue;
        }
        std::vector<PropertyItem> buffer(size / sizeof(PropertyItem) + 1);
        if (image.property_item(id, size, buffer.data()) != status::ok) {
            continue;
        }
        const auto* value = static_cast<const std::uint8_t*>(buffer[0].value);
        items[id] = {buffer[0].type, std::vector<std::uint8_t>(value, value + buffer[0].length)};
    }
    return items;
}

std::wstring output_path() {
    const std::string path = "/tmp/mirtel-save-fuzzer-" + std::to_string(::getpid());
    return {path.begin(), path.end()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrov;
    std::vector<std::byte> bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::byte>(data[i]);
    }
    auto image = imaging::image::from_bytes(std::move(bytes));
    if (!image || image->last_status() != imaging::status::ok) {
        return 0;
    }
    try {
        gdi::set_text_property(image.get(), 0x013B, text);
    } catch (const gdi::gdiplus_exception&) {
        return 0; // a format without tags
    }
    // The first other item goes; a duplicate or a hidden copy of it must not take its place.
    std::vector<std::uint32_t> ids;
    image->property_ids(ids);
    std::optional<std::uint32_t> removed;
    for (const auto id : ids) {
        if (id != 0x013B) {
            removed = id;
            break;
        }
    }
    if (removed && image->remove_property_item(*removed) != imaging::status::ok) {
        std::fprintf(stderr, "an item the image listed could not be removed\n");
        std::abort();
    }
    item_map expected = items_of(*image);
    // A PNG chunk of several items goes whole when one of them is removed.
    using namespace imaging;
    constexpr std::uint32_t png_chunk_groups[][3] = {
        {white_point_id, primary_chromaticities_id, primary_chromaticities_id},
        {pixel_unit_id, pixels_per_unit_x_id, pixels_per_unit_y_id}};
    for (const auto& group : png_chunk_groups) {
        if (removed && image->format() == imaging::image_format::png &&
            std::find(std::begin(group), std::end(group), *removed) != std::end(group)) {
            for (const auto id : group) {
                expected.erase(id);
            }
        }
    }
    std::vector<imaging::codec_info> encoders;
    imaging::image_encoders(encoders);
    const imaging::codec_info* encoder = nullptr;
    for (const auto& candidate : encoders) {
        if (candidate.format == image->format()) {
            encoder = &candidate;
        }
    }
    const std::wstring path = output_path();
    if (encoder == nullptr || image->save_to_file(path, *encoder) != imaging::status::ok) {
        return 0;
    }
    auto saved = imaging::image::from_file(path);
    std::wstring read_back;
    if (!saved || saved->last_status() != imaging::status::ok ||
        !gdi::get_text_property(saved.get(), 0x013B, read_back) || read_back != text) {
        std::fprintf(stderr, "a saved file lost the text it was saved with\n");
        std::abort();
    }
    std::uint32_t item_size = 0;
    if (removed && saved->property_item_size(*removed, item_size) == imaging::status::ok) {
        std::fprintf(stderr, "the removed item 0x%04X came back in the saved file\n",
                     static_cast<unsigned>(*removed));
        std::abort();
    }
    const item_map found = items_of(*saved);
    if (!other_places_agree(*saved)) {
        std::fprintf(stderr, "a place of the author disagrees with the text saved\n");
        std::abort();
    }
    for (const auto& [id, item] : expected) {
        if (holds_other_places(id)) {
            continue;
        }
        const auto other = found.find(id);
        if (other == found.end() || other->second != item) {
            std::fprintf(stderr, "item 0x%04X was not saved as it was\n",
                         static_cast<unsigned>(id));
            std::abort();
        }
    }
    for (const auto& [id, item] : found) {
        if (expected.count(id) == 0 && !holds_other_places(id)) {
            std::fprintf(stderr, "the saved file has an item 0x%04X of its own\n",
                         static_cast<unsigned>(id));
            std::abort();
        }
    }
    return 0;
}
