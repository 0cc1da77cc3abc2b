// Where a file keeps its XMP packet and its IPTC datasets (side blocks or IFD0 items), what they
// say of the descriptive texts, and how new versions of them go back to the same place.
#pragma once

#include "image/engine/container.h"
#include "image/engine/descriptive/descriptive_texts.h"
#include "image/engine/iptc/iim.h"
#include "image/engine/xmp/xmp_packet.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrov::imaging {

class text_sources {
public:
    text_sources(const decoded_metadata& metadata, text_places places);

    std::optional<std::string> xmp_text(xmp::property which) const;
    std::optional<std::string> iptc_text(iptc::text_field field) const;
    // False when a save leaves the IPTC datasets as they are: damaged, or in a character set
    // new texts cannot join.
    bool iptc_editable() const { return iptc_problem_.empty(); }
    // Damaged XMP or IPTC, or IPTC whose texts a save cannot change without garbling others.
    void add_reading_warnings(std::vector<std::string>& warnings) const;

    // The XMP packet with `edits`, into `items` or `changes`. A damaged packet stays as it is; a
    // packet continued in further segments refuses the save (nothing else could keep it whole).
    status write_xmp(std::span<const xmp::edit> edits, property_list& items,
                     side_block_changes& changes) const;
    // The IPTC datasets with `edits`, wherever the file keeps them; the image resources' IPTC
    // digest goes with any change, as it would no longer match. IPTC that cannot be changed
    // safely stays as it is.
    void write_iptc(std::span<const iptc::iim_edit> edits, property_list& items,
                    side_block_changes& changes) const;

private:
    // IPTC datasets in one place: inside image resources (a side block or item 34377), or bare
    // in item 33723.
    struct iim_place {
        bool in_resources = false;
        std::vector<std::byte> datasets;
    };

    std::vector<std::byte> raw_item(const property& item) const;
    property item_with(const property& old, std::vector<std::byte> raw) const;

    const decoded_metadata& metadata_;
    text_places places_;
    std::optional<std::vector<std::byte>> xmp_;
    xmp::packet_texts xmp_texts_;
    std::optional<std::vector<std::byte>> resources_;
    std::vector<iim_place> iim_places_;
    std::optional<iptc::iim_texts> iim_texts_;
    std::string iptc_problem_;
};

} // namespace kestrov::imaging
