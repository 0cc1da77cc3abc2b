#include "image/engine/tiff/tiff_rewrite.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/format_facts.h"
#include "image/engine/tiff/rewrite_planner.h"

#include <algorithm>
#include <limits>

namespace kestrov::imaging {

namespace rewrite {

status planner::plan(std::uint64_t block_size, tiff_rewrite& out, placement where,
                     std::span<const std::byte> block) {
    out = {};
    // 1. The entries: kept, replaced, removed or added, one per item.
    take_old_directories();
    if (const status result = add_new_items(); result != status::ok) {
        return result;
    }
    drop_shadows_of_changed_items();
    // 2. The links: sub-directories and their pointers agree, and a directory that moves takes
    // whatever points at it along.
    settle_pointers();
    propagate_moves();
    const bool any_change = std::any_of(directories_.begin(), directories_.end(),
                                        [](const auto& pair) { return pair.second.changed; });
    if (!any_change) {
        return status::ok;
    }
    // Kept as they are, the skipped values would come back, or others go, when the saved block is
    // read within its own budget; the user would not find what was saved.
    if (old_.values_skipped) {
        set_last_error(win32::error_invalid_data);
        return status::win32_error;
    }
    out.changed = true;
    // Only now that something changes: links the appended bytes would give meaning to go, and
    // their directories move (and, again, what points at those).
    write_anew_what_appending_would_disturb();
    propagate_moves();
    // 3. The dead bytes: a kept directory that stands between them and the block's end moves too.
    move_what_blocks_the_dead_end(block_size);
    switch (where) {
    case placement::append:
        break;
    case placement::over_dead_bytes:
        holes_ = dead_holes(block_size, reuse_start(block_size));
        break;
    case placement::anew:
        // 4. Everything anew, right after the header.
        if (!may_lay_out_anew(block)) {
            set_last_error(win32::error_file_too_large);
            return status::value_overflow;
        }
        lay_out_anew(block);
        return lay_out(tiff_header_size, out);
    }
    // 5. Offsets and bytes: the new directories from the start of the dead end (or the old end).
    return lay_out(reuse_start(block_size), out);
}

} // namespace rewrite

namespace {

using rewrite::placement;
using rewrite::planner;

std::uint64_t size_after(const tiff_rewrite& rewrite) {
    return rewrite.appendix_offset + rewrite.appendix.size();
}

} // namespace

status plan_tiff_rewrite(const tiff_structure& old, std::uint64_t block_size,
                         const property_list& items, bool with_thumbnail_ifd, tiff_rewrite& out) {
    for (const auto& item : items.items()) {
        const std::uint32_t element = tiff_type_size(item.type);
        if (element == 0 || item.value.size() % element != 0 ||
            item.value.size() / element > std::numeric_limits<std::uint32_t>::max()) {
            return status::invalid_parameter;
        }
    }
    return planner(old, items, with_thumbnail_ifd).plan(block_size, out);
}

status rewrite_exif_block(std::span<const std::byte> old_block, const tiff_structure& old,
                          const property_list& items, std::vector<std::byte>& out,
                          std::uint64_t size_limit) {
    tiff_structure base = old;
    std::span<const std::byte> bytes = old_block;
    bool new_block = false;
    // Without an Exif block there is only a header: little-endian, IFD0 still to come.
    static constexpr std::byte empty_header[tiff_header_size] = {
        std::byte{'I'}, std::byte{'I'}, std::byte{42}, std::byte{0},
        std::byte{8},   std::byte{0},   std::byte{0},  std::byte{0}};
    if (old.find(tiff_directory::ifd0) == nullptr) {
        // A block that is there but cannot be read may hold a maker note and more: it is neither
        // replaced nor dropped. With items to write, the save is refused.
        if (!old_block.empty()) {
            if (items.size() == 0) {
                out.assign(old_block.begin(), old_block.end());
                return status::ok;
            }
            set_last_error(win32::error_invalid_data);
            return status::win32_error;
        }
        base = {};
        base.order = byte_order::little;
        bytes = empty_header;
        new_block = true;
    }
    tiff_rewrite rewrite;
    if (const status result = plan_tiff_rewrite(base, bytes.size(), items, true, rewrite);
        result != status::ok) {
        return result;
    }
    if (!rewrite.changed) {
        out.assign(old_block.begin(), old_block.end());
        return status::ok;
    }
    // Appended, the rewrite keeps every old offset valid. Past the limit, it is tried compactly:
    // over dead bytes first, which moves nothing else, then laid out anew where that is safe.
    if (size_after(rewrite) > size_limit && !new_block) {
        for (const auto where : {placement::over_dead_bytes, placement::anew}) {
            tiff_rewrite compact;
            if (planner(base, items, true).plan(bytes.size(), compact, where, bytes) ==
                    status::ok &&
                size_after(compact) <= size_limit) {
                rewrite = std::move(compact);
                break;
            }
        }
    }
    if (size_after(rewrite) > size_limit) {
        set_last_error(win32::error_file_too_large);
        return status::value_overflow;
    }
    out.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(rewrite.kept_size));
    std::copy(rewrite.header.begin(), rewrite.header.end(), out.begin());
    for (const auto& [at, patch] : rewrite.patches) {
        std::copy(patch.begin(), patch.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
    out.resize(static_cast<std::size_t>(rewrite.appendix_offset), std::byte{0});
    out.insert(out.end(), rewrite.appendix.begin(), rewrite.appendix.end());
    return status::ok;
}

} // namespace kestrov::imaging
