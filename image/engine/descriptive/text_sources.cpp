#include "image/engine/descriptive/text_sources.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/format_facts.h"
#include "image/engine/iptc/image_resources.h"
#include "image/engine/tiff/tiff_reader.h"

#include <algorithm>

namespace kestrov::imaging {

namespace {

constexpr char damaged_iptc[] =
    "Údaje IPTC jsou poškozené, popisné texty v nich zůstanou beze změny";

} // namespace

text_sources::text_sources(const decoded_metadata& metadata, text_places places)
    : metadata_(metadata), places_(places) {
    const bool in_items = places == text_places::tiff_tags;
    if (in_items) {
        if (const property* item = metadata.properties.find(tag_xmp)) {
            xmp_ = raw_item(*item);
        }
        if (const property* item = metadata.properties.find(tag_image_resources)) {
            resources_ = raw_item(*item);
        }
    } else {
        xmp_ = metadata.blocks.xmp;
        if (places == text_places::segments && metadata.blocks.image_resources_writable) {
            resources_ = metadata.blocks.image_resources;
        }
    }
    if (xmp_) {
        xmp_texts_ = xmp::read_packet(*xmp_);
    }
    if (in_items) {
        if (const property* item = metadata.properties.find(tag_iptc)) {
            auto datasets = raw_item(*item);
            // A LONG value is padded to whole numbers with zeros after the last dataset.
            while (item->type == tiff_type::long_ && !datasets.empty() &&
                   datasets.back() == std::byte{0}) {
                datasets.pop_back();
            }
            iim_places_.push_back({false, std::move(datasets)});
        }
    }
    if (resources_) {
        const auto list = iptc::read_resources(*resources_);
        const auto found =
            std::find_if(list.resources.begin(), list.resources.end(),
                         [](const iptc::resource& r) { return r.id == iptc::iptc_resource_id; });
        if (!list.well_formed) {
            iptc_problem_ = damaged_iptc;
        } else if (found != list.resources.end()) {
            iim_places_.push_back({true, {found->data.begin(), found->data.end()}});
        }
    }
    if (!iim_places_.empty()) {
        iim_texts_ = iptc::read_iim(iim_places_.front().datasets);
        if (!iim_texts_->well_formed) {
            iptc_problem_ = damaged_iptc;
        } else if (!iptc::takes_utf8_texts(iim_places_.front().datasets)) {
            // A text in another character set than UTF-8 may be refused; say so now.
            iptc_problem_ = "Údaje IPTC mají jinou nebo neuvedenou znakovou sadu, popisné texty "
                            "s jinými než anglickými písmeny v nich mohou zůstat beze změny";
        }
    }
}

std::vector<std::byte> text_sources::raw_item(const property& item) const {
    const auto bytes = swap_value_order(item.value, item.type, metadata_.tiff_order);
    return {bytes.begin(), bytes.end()};
}

property text_sources::item_with(const property& old, std::vector<std::byte> raw) const {
    const std::size_t unit = tiff_type_size(old.type);
    if (unit > 1) {
        raw.resize((raw.size() + unit - 1) / unit * unit, std::byte{0});
    }
    return property{old.id, old.type,
                    swap_value_order(std::move(raw), old.type, metadata_.tiff_order)};
}

std::optional<std::string> text_sources::xmp_text(xmp::property which) const {
    return xmp_ && xmp_texts_.well_formed ? xmp_texts_.texts[static_cast<std::size_t>(which)]
                                          : std::nullopt;
}

std::optional<std::string> text_sources::iptc_text(iptc::text_field field) const {
    // Damaged datasets are shown nowhere: a save leaves them as they are, so a text read from
    // them could be neither changed nor removed.
    return iim_texts_ && iim_texts_->well_formed
               ? iim_texts_->texts[static_cast<std::size_t>(field)]
               : std::nullopt;
}

void text_sources::add_reading_warnings(std::vector<std::string>& warnings) const {
    if (xmp_ && !xmp_texts_.well_formed) {
        warnings.push_back(xmp_texts_.problem);
    }
    if (!iptc_problem_.empty()) {
        warnings.push_back(iptc_problem_);
    }
}

status text_sources::write_xmp(std::span<const xmp::edit> edits, property_list& items,
                               side_block_changes& changes) const {
    if (edits.empty()) {
        return status::ok;
    }
    std::vector<std::byte> packet;
    if (xmp_) {
        const auto result = xmp::edit_packet(*xmp_, edits);
        if (!result.ok || result.packet == *xmp_) {
            return status::ok; // damaged (a reading warning said so), or nothing to change
        }
        packet = result.packet;
    } else {
        std::vector<xmp::edit> additions;
        std::copy_if(edits.begin(), edits.end(), std::back_inserter(additions),
                     [](const xmp::edit& e) { return e.add_if_absent && e.text; });
        if (additions.empty()) {
            return status::ok;
        }
        packet = xmp::new_packet(additions);
    }
    if (!metadata_.blocks.xmp_writable) {
        set_last_error(win32::error_not_supported);
        return status::win32_error;
    }
    if (places_ == text_places::tiff_tags) {
        const property* old = items.find(tag_xmp);
        items.set(old != nullptr ? item_with(*old, std::move(packet))
                                 : property{tag_xmp, tiff_type::byte, std::move(packet)});
    } else {
        changes.xmp = {true, std::move(packet)};
    }
    return status::ok;
}

void text_sources::write_iptc(std::span<const iptc::iim_edit> edits, property_list& items,
                              side_block_changes& changes) const {
    if (edits.empty()) {
        return;
    }
    for (const iim_place& place : iim_places_) {
        const auto result = iptc::edit_iim(place.datasets, edits);
        if (!result.ok || result.data == place.datasets) {
            continue;
        }
        if (!place.in_resources) {
            items.set(item_with(*items.find(tag_iptc), result.data));
            continue;
        }
        auto resources = iptc::with_resource(*resources_, iptc::iptc_resource_id,
                                             std::span<const std::byte>(result.data));
        resources = iptc::with_resource(resources, iptc::iptc_digest_resource_id, std::nullopt);
        if (places_ == text_places::tiff_tags) {
            items.set(item_with(*items.find(tag_image_resources), std::move(resources)));
        } else {
            changes.image_resources = {true, std::move(resources)};
        }
    }
}

} // namespace kestrov::imaging
