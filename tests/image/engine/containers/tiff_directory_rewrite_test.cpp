#include "image/engine/formats/tiff/tiff_format.h"
#include "image/engine/tiff/tiff_rewrite.h"

#include "image/engine/container.h"
#include "image/engine/container_writer.h"

#include "base/hresult.h"
#include "base/last_error.h"
#include "image/engine/containers/format_test_support.h"
#include "image/engine/containers/tiff_builder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>

namespace kestrov::imaging {
namespace {

using namespace testing;

struct read_back {
    decoded_metadata metadata;
    tiff_structure structure;
};

read_back read(const std::vector<std::byte>& block) {
    read_back out;
    memory_source source(block);
    EXPECT_EQ(read_tiff_block(source, out.metadata, &out.structure), status::ok);
    EXPECT_TRUE(out.metadata.warnings.empty());
    return out;
}

tiff_contents camera(byte_order) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), shorts(0x0112, {6}), rationals(0x011A, {{72, 1}}),
                     ascii(0x0131, "firmware 1.0")};
    contents.exif = {rationals(0x829A, {{1, 160}}),
                     undefined(0x927C, {0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9})};
    contents.ifd1 = {shorts(0x0103, {6})};
    contents.thumbnail = bytes_of({0xFF, 0xD8, 0xFF, 0xD9});
    return contents;
}

// The block with `change` applied to the items it holds, read back.
read_back rewritten(const std::vector<std::byte>& block,
                    const std::function<void(property_list&)>& change) {
    auto original = read(block);
    property_list items = original.metadata.properties;
    change(items);
    std::vector<std::byte> out;
    EXPECT_EQ(rewrite_exif_block(block, original.structure, items, out), status::ok);
    return read(out);
}

class TiffWriterTest : public ::testing::TestWithParam<byte_order> {
protected:
    std::vector<std::byte> block() const { return build_tiff(camera(GetParam()), GetParam()); }
};

TEST_P(TiffWriterTest, UnchangedItemsGiveTheSameBlock) {
    const auto original = block();
    const auto before = read(original);
    std::vector<std::byte> out;
    ASSERT_EQ(rewrite_exif_block(original, before.structure, before.metadata.properties, out),
              status::ok);
    EXPECT_EQ(out, original);
}

TEST_P(TiffWriterTest, SetReplaceAndRemoveReachTheirDirectories) {
    const auto before = read(block());
    const auto after = rewritten(block(), [](property_list& items) {
        items.set(text_item(0x013B, "Žluťoučký kůň"));         // new, IFD0
        items.set(text_item(0x0131, "Mirtel"));                // replaced, IFD0
        items.remove(0x0112);                                  // removed, IFD0
        items.set({0x920A, 5, rationals(0, {{50, 1}}).value}); // new, Exif IFD
        items.set(text_item(0x0001, "N"));                     // new, GPS IFD
    });
    const auto& items = after.metadata.properties;
    EXPECT_EQ(items.find(0x013B)->value, text_item(0, "Žluťoučký kůň").value);
    EXPECT_EQ(items.find(0x0131)->value, text_item(0, "Mirtel").value);
    EXPECT_EQ(items.find(0x0112), nullptr);
    EXPECT_NE(after.structure.find(tiff_directory::exif), nullptr);
    EXPECT_NE(items.find(0x920A), nullptr);
    ASSERT_NE(after.structure.find(tiff_directory::gps), nullptr);
    EXPECT_EQ(items.find(0x0001)->value, text_item(0, "N").value);
    // Everything not touched reads as before, thumbnail included.
    for (const auto id : {0x010FU, 0x011AU, 0x829AU, 0x927CU, 0x5023U, 0x501BU}) {
        ASSERT_NE(items.find(id), nullptr) << std::hex << id;
        EXPECT_EQ(items.find(id)->value, before.metadata.properties.find(id)->value);
    }
}

TEST_P(TiffWriterTest, MakerNoteKeepsItsOffsetWhenItsDirectoryIsRewritten) {
    const auto original = block();
    const auto before = read(original);
    const auto after = rewritten(original, [](property_list& items) {
        items.remove(0x829A); // rewrites the Exif directory that holds the maker note
    });
    auto offset_of_maker_note = [](const tiff_structure& structure) {
        for (const auto& entry : structure.find(tiff_directory::exif)->entries) {
            if (entry.tag == 0x927C) {
                return load_u32(entry.field.data(), structure.order);
            }
        }
        return 0U;
    };
    EXPECT_NE(after.structure.find(tiff_directory::exif)->offset,
              before.structure.find(tiff_directory::exif)->offset);
    EXPECT_EQ(offset_of_maker_note(after.structure), offset_of_maker_note(before.structure));
    EXPECT_EQ(after.metadata.properties.find(0x927C)->value,
              before.metadata.properties.find(0x927C)->value);
}

TEST_P(TiffWriterTest, RemovingEveryItemOfADirectoryRemovesIt) {
    const auto after = rewritten(block(), [](property_list& items) {
        items.remove(0x829A);
        items.remove(0x927C);
        items.remove(0x5023);
        items.remove(0x501B);
    });
    EXPECT_EQ(after.structure.find(tiff_directory::exif), nullptr);
    EXPECT_EQ(after.structure.find(tiff_directory::ifd1), nullptr);
    EXPECT_EQ(after.metadata.properties.find(0x501B), nullptr);
    EXPECT_NE(after.metadata.properties.find(0x010F), nullptr);
}

TEST_P(TiffWriterTest, RemovingTheThumbnailKeepsTheOtherThumbnailFields) {
    const auto after = rewritten(block(), [](property_list& items) { items.remove(0x501B); });
    EXPECT_EQ(after.metadata.properties.find(0x501B), nullptr);
    EXPECT_NE(after.metadata.properties.find(0x5023), nullptr);
}

TEST_P(TiffWriterTest, RepeatedSavesKeepWorkingWithoutGrowingTheBlock) {
    auto current = block();
    std::size_t size_after_first = 0;
    for (int round = 0; round < 5; ++round) {
        auto original = read(current);
        property_list items = original.metadata.properties;
        items.set(text_item(0x0320, "Titulek " + std::to_string(round)));
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(current, original.structure, items, out), status::ok);
        current = out;
        EXPECT_EQ(read(current).metadata.properties.find(0x0320)->value,
                  text_item(0, "Titulek " + std::to_string(round)).value);
        EXPECT_EQ(read(current).metadata.properties.find(0x927C)->value,
                  read(block()).metadata.properties.find(0x927C)->value);
        if (round == 0) {
            size_after_first = current.size();
        }
        EXPECT_LE(current.size(), size_after_first + 2) << round;
    }
}

// Makers keep previews and private directories after the standard directories, found only through
// offsets inside their maker note: no save may move or reuse those bytes. Twenty saves in a row,
// rewriting IFD0 alone or with the Exif directory that holds the maker note, keep them where they
// are, and the block stops growing once the saves reuse their own directories.
TEST_P(TiffWriterTest, MakerNoteDataAfterTheDirectoriesSurvivesRepeatedSaves) {
    auto current = block();
    current.resize(current.size() + current.size() % 2);
    const std::size_t private_at = current.size();
    for (int i = 0; i < 64; ++i) {
        current.push_back(static_cast<std::byte>(0x40 + i));
    }
    const std::vector<std::byte> private_data(current.begin() + static_cast<long>(private_at),
                                              current.end());
    const auto maker_note = read(current).metadata.properties.find(0x927C)->value;
    std::size_t bound = 0;
    for (int round = 0; round < 20; ++round) {
        const auto before = read(current);
        property_list items = before.metadata.properties;
        items.set(text_item(0x013B, round % 2 == 0 ? "Jan Novák" : "Eva Nováková"));
        if (round % 3 == 0) {
            items.set({0x829A, 5, rationals(0, {{1, 100U + static_cast<unsigned>(round)}}).value});
        }
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(current, before.structure, items, out), status::ok);
        current = out;
        ASSERT_GE(current.size(), private_at + private_data.size());
        EXPECT_TRUE(std::equal(private_data.begin(), private_data.end(),
                               current.begin() + static_cast<long>(private_at)))
            << "round " << round;
        const auto after = read(current);
        EXPECT_EQ(after.metadata.properties.find(0x927C)->value, maker_note);
        EXPECT_EQ(after.metadata.properties.find(0x013B)->value, items.find(0x013B)->value);
        if (round < 6) {
            bound = std::max(bound, current.size()); // every kind of save has happened once
        } else {
            EXPECT_LE(current.size(), bound) << "round " << round;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TiffWriterTest,
                         ::testing::Values(byte_order::little, byte_order::big),
                         [](const auto& param_info) {
                             return param_info.param == byte_order::little ? "Intel" : "Motorola";
                         });

TEST(TiffWriter, BuildsANewBlockWhenThereWasNone) {
    property_list items;
    items.set(text_item(0x0320, "Název"));
    items.set(text_item(0x0002, "x"));
    std::vector<std::byte> out;
    ASSERT_EQ(rewrite_exif_block({}, tiff_structure{}, items, out), status::ok);
    const auto after = read(out);
    EXPECT_EQ(after.metadata.properties.find(0x0320)->value, text_item(0, "Název").value);
    EXPECT_NE(after.structure.find(tiff_directory::gps), nullptr);
}

// Damaged blocks read with warnings; the rewritten block must read cleanly.
tiff_structure read_damaged(const std::vector<std::byte>& block, property_list& items) {
    decoded_metadata metadata;
    tiff_structure structure;
    memory_source source(block);
    EXPECT_EQ(read_tiff_block(source, metadata, &structure), status::ok);
    EXPECT_FALSE(metadata.warnings.empty());
    items = metadata.properties;
    return structure;
}

TEST(TiffWriter, OldEntriesThatDidNotStandForAnItemNeverResurface) {
    // IFD0 holds two Make entries, and an Artist whose value lies past the end of the block; the
    // Exif directory a third Make.
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x010F, "Nikon"),
                     ascii(0x013B, "Old artist text"), ascii(0x0131, "v1")};
    contents.exif = {ascii(0x010F, "Pentax"), rationals(0x829A, {{1, 60}})};
    auto block = build_tiff(contents, byte_order::little);
    const std::size_t artist_field = 8 + 2 + 3 * 12 + 8; // the fourth entry, sorted by tag
    store_u32(block.data() + artist_field, static_cast<std::uint32_t>(block.size() + 4),
              byte_order::little);
    for (const bool set_artist : {false, true}) {
        property_list items;
        const auto structure = read_damaged(block, items);
        ASSERT_EQ(items.find(0x013B), nullptr);
        items.remove(0x010F);
        items.set(text_item(0x0131, "Mirtel"));
        if (set_artist) {
            items.set(text_item(0x013B, "Žluťoučký kůň"));
        }
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(block, structure, items, out), status::ok);
        const auto after = read(out).metadata.properties;
        EXPECT_EQ(after.find(0x010F), nullptr) << "another Make came back";
        EXPECT_NE(after.find(0x829A), nullptr);
        EXPECT_EQ(after.find(0x0131)->value, text_item(0, "Mirtel").value);
        if (set_artist) {
            EXPECT_EQ(after.find(0x013B)->value, text_item(0, "Žluťoučký kůň").value);
        } else {
            EXPECT_EQ(after.find(0x013B), nullptr) << "the old Artist reads the new bytes";
        }
    }
}

TEST(TiffWriter, APointerWithAnOddCountStillLeadsToItsDirectory) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    contents.exif = {rationals(0x829A, {{1, 60}}), shorts(0xA002, {640}), shorts(0xA003, {480})};
    // A count of 7 makes the pointer look like a value inside the block, 0x800001 like one past
    // its end; either way its field is the Exif directory's offset.
    for (const std::uint32_t count : {7U, 0x800001U}) {
        auto block = build_tiff(contents, byte_order::little);
        const std::size_t exif_pointer_count = 8 + 2 + 12 + 4; // the second entry, after Make
        store_u32(block.data() + exif_pointer_count, count, byte_order::little);
        memory_source damaged(block);
        decoded_metadata before;
        tiff_structure structure;
        ASSERT_EQ(read_tiff_block(damaged, before, &structure), status::ok);
        property_list items = before.properties;
        ASSERT_NE(items.find(0x829A), nullptr);
        items.set(text_item(0x013B, "Eva"));
        items.set({0x829A, 5, rationals(0, {{1, 250}}).value});
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(block, structure, items, out), status::ok);
        decoded_metadata after;
        memory_source source(out);
        ASSERT_EQ(read_tiff_block(source, after), status::ok);
        ASSERT_NE(after.properties.find(0x829A), nullptr) << "the Exif directory was lost";
        EXPECT_EQ(after.properties.find(0x829A)->value, items.find(0x829A)->value) << count;
        EXPECT_NE(after.properties.find(0x013B), nullptr);
    }
}

// IFD0 points at an empty Exif directory and, a second time, at another directory with a tag of
// its own, which the reader leaves unfollowed. A save that drops the empty directory with its
// pointer would leave the second pointer the only one, and the next read would follow it.
TEST(TiffWriter, ASecondPointerOfAKindStaysUnfollowedAfterASave) {
    const auto entry = [](std::vector<std::byte>& out, std::uint16_t tag, std::uint16_t type,
                          std::uint32_t count, std::array<std::uint8_t, 4> field) {
        std::byte bytes[8];
        store_u16(bytes, tag, byte_order::little);
        store_u16(bytes + 2, type, byte_order::little);
        store_u32(bytes + 4, count, byte_order::little);
        out.insert(out.end(), bytes, bytes + 8);
        for (const auto b : field) {
            out.push_back(static_cast<std::byte>(b));
        }
    };
    auto block = bytes_of({'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0});
    entry(block, 0x013B, tiff_type::ascii, 4, {'E', 'v', 'a', 0});
    entry(block, tag_exif_ifd, tiff_type::long_, 1, {50, 0, 0, 0}); // the empty directory
    entry(block, tag_exif_ifd, tiff_type::long_, 1, {56, 0, 0, 0}); // the unfollowed one
    block.resize(block.size() + 4);                                 // no next directory
    block.resize(block.size() + 6);                                 // at 50: no entries
    const auto unfollowed = bytes_of({1, 0});                       // at 56: one entry
    block.insert(block.end(), unfollowed.begin(), unfollowed.end());
    entry(block, 0x0100, tiff_type::short_, 1, {0x80, 0x02, 0, 0});
    block.resize(block.size() + 4);

    const auto before = read(block);
    ASSERT_EQ(before.metadata.properties.items().size(), 1U);
    std::vector<std::byte> out;
    property_list items = before.metadata.properties;
    items.set(text_item(0x013B, "Jana Nováková"));
    ASSERT_EQ(rewrite_exif_block(block, before.structure, items, out), status::ok);
    const auto after = read(out).metadata.properties;
    EXPECT_EQ(after.find(0x0100), nullptr) << "the unfollowed directory was read";
    EXPECT_EQ(after.items().size(), 1U);
    EXPECT_EQ(after.find(0x013B)->value, text_item(0, "Jana Nováková").value);
}

// What a save appends must not give meaning to links into nothing: a directory cut short by the
// end of the data, a pointer past the end, a thumbnail link to a directory that could not be read.
TEST(TiffWriter, LinksIntoNothingDoNotReadTheBytesASaveAppends) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    contents.exif = {shorts(0xA002, {640}), shorts(0xA003, {480})};
    contents.gps = {shorts(0x0005, {0})};
    const auto intact = build_tiff(contents, byte_order::little);
    const auto structure = read(intact).structure;
    const auto field_of = [&](std::uint16_t tag) {
        const auto& entries = structure.find(tiff_directory::ifd0)->entries;
        const auto at = std::find_if(entries.begin(), entries.end(),
                                     [tag](const tiff_entry& e) { return e.tag == tag; });
        return 8 + 2 + 12 * static_cast<std::size_t>(at - entries.begin()) + 8;
    };
    const auto exif_count = structure.find(tiff_directory::exif)->offset;
    const std::vector<std::function<void(std::vector<std::byte>&)>> damages = {
        [&](std::vector<std::byte>& block) { // the Exif directory claims 40 entries
            store_u16(block.data() + exif_count, 40, byte_order::little);
        },
        [&](std::vector<std::byte>& block) { // the GPS directory lies past the end
            store_u32(block.data() + field_of(0x8825), static_cast<std::uint32_t>(block.size() + 2),
                      byte_order::little);
        },
        [&](std::vector<std::byte>& block) { // IFD0 links to a thumbnail directory past the end
            const std::size_t next =
                8 + 2 + 12 * structure.find(tiff_directory::ifd0)->entries.size();
            store_u32(block.data() + next, static_cast<std::uint32_t>(block.size() + 2),
                      byte_order::little);
        }};
    for (std::size_t i = 0; i < damages.size(); ++i) {
        auto block = intact;
        damages[i](block);
        property_list items;
        const auto damaged = read_damaged(block, items);
        items.set(text_item(0x013B, "Eva"));
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(block, damaged, items, out), status::ok);
        // The same items, in whatever order; the damaged Exif directory's extra entries were
        // read before too, so warnings about them may stay.
        decoded_metadata after;
        memory_source source(out);
        ASSERT_EQ(read_tiff_block(source, after), status::ok);
        const auto ids = [](const property_list& list) {
            std::map<std::uint32_t, property> by_id;
            for (const auto& item : list.items()) {
                by_id.emplace(item.id, item);
            }
            return by_id;
        };
        EXPECT_EQ(ids(after.properties), ids(items)) << "damage " << i;
    }
}

// A block read whether or not it is damaged.
read_back read_damaged_or_not(const std::vector<std::byte>& block) {
    read_back out;
    memory_source source(block);
    EXPECT_EQ(read_tiff_block(source, out.metadata, &out.structure), status::ok);
    return out;
}

// A TIFF file's structure.
tiff_structure read_tiff_file(const std::vector<std::byte>& file) {
    memory_source source(file);
    decoded_metadata metadata;
    EXPECT_EQ(read_tiff(source, metadata), status::ok);
    return dynamic_cast<const tiff_layout&>(*metadata.layout).structure;
}

// Where entry `tag` of directory `kind` begins in the block.
std::size_t entry_at(const tiff_structure& structure, tiff_directory kind, std::uint16_t tag) {
    const tiff_ifd* ifd = structure.find(kind);
    const auto at = std::find_if(ifd->entries.begin(), ifd->entries.end(),
                                 [tag](const tiff_entry& e) { return e.tag == tag; });
    return ifd->offset + 2 + 12 * static_cast<std::size_t>(at - ifd->entries.begin());
}

// Writers store sub-directory pointers as LONG, SLONG or IFD: all three are followed and keep
// leading to their directory. A link the reader does not follow (a SHORT pointer, a directory
// with an impossible entry count) keeps its field and the bytes it leads to, byte for byte.
TEST(TiffWriter, PointersOfEveryTypeKeepTheirDirectories) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Pentax")};
    contents.exif = {rationals(0x829A, {{1, 60}})};
    contents.gps = {ascii(0x0001, "N"), rationals(0x0002, {{50, 1}, {5, 1}, {0, 1}}),
                    ascii(0x0003, "E")};
    const auto intact = build_tiff(contents, byte_order::big);
    const auto structure = read(intact).structure;
    const std::size_t gps_pointer = entry_at(structure, tiff_directory::ifd0, 0x8825);
    const std::size_t gps_at = structure.find(tiff_directory::gps)->offset;
    const auto gps_items = [](const property_list& items) {
        std::vector<property> out;
        for (const auto& item : items.items()) {
            if (item.id <= 0x1F) {
                out.push_back(item);
            }
        }
        return out;
    };
    for (const std::uint16_t type :
         {std::uint16_t{9}, std::uint16_t{13}, std::uint16_t{3}, std::uint16_t{4}}) {
        auto block = intact;
        store_u16(block.data() + gps_pointer + 2, type, byte_order::big);
        if (type == 4) {
            store_u16(block.data() + gps_at, 2000, byte_order::big); // an impossible count
        }
        decoded_metadata before;
        tiff_structure damaged;
        memory_source source(block);
        ASSERT_EQ(read_tiff_block(source, before, &damaged), status::ok);
        property_list items = before.properties;
        items.set(text_item(0x013B, "Eva"));
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(block, damaged, items, out), status::ok);
        decoded_metadata after;
        tiff_structure saved;
        memory_source saved_source(out);
        ASSERT_EQ(read_tiff_block(saved_source, after, &saved), status::ok);
        EXPECT_EQ(after.properties.find(0x013B)->value, text_item(0, "Eva").value);
        if (type == 9 || type == 13) {
            EXPECT_EQ(gps_items(after.properties), gps_items(read(intact).metadata.properties))
                << "type " << type;
            continue;
        }
        // Not followed: the pointer entry is still there, as it was, and so is its target.
        const tiff_ifd* ifd0 = saved.find(tiff_directory::ifd0);
        const auto pointer = std::find_if(ifd0->entries.begin(), ifd0->entries.end(),
                                          [](const tiff_entry& e) { return e.tag == 0x8825; });
        ASSERT_NE(pointer, ifd0->entries.end()) << "type " << type;
        EXPECT_EQ(pointer->type, type);
        EXPECT_TRUE(std::equal(pointer->field.begin(), pointer->field.end(),
                               block.begin() + static_cast<long>(gps_pointer + 8)));
        const std::size_t gps_size = 2 + 12 * contents.gps.size() + 4 + 24;
        EXPECT_TRUE(std::equal(block.begin() + static_cast<long>(gps_at),
                               block.begin() + static_cast<long>(gps_at + gps_size),
                               out.begin() + static_cast<long>(gps_at)))
            << "type " << type;
    }
}

// A TIFF file's directories at its end, after the image data (where many writers put them), are
// reused by the next save; repeated saves do not grow the file.
TEST(TiffWriter, RepeatedSavesOfATiffFileStayBounded) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x0131, "v1")};
    auto current = build_tiff(contents, byte_order::little);
    std::size_t bound = 0;
    for (int round = 0; round < 20; ++round) {
        memory_source source(current);
        decoded_metadata metadata;
        ASSERT_EQ(read_tiff(source, metadata), status::ok);
        metadata.as_read = metadata.properties;
        metadata.properties.set(text_item(0x013B, round % 2 == 0 ? "Jan" : "Eva Nováková"));
        memory_sink sink;
        ASSERT_EQ(write_tiff(source, metadata, sink), status::ok);
        current = sink.bytes();
        memory_source saved(current);
        decoded_metadata after;
        ASSERT_EQ(read_tiff(saved, after), status::ok);
        EXPECT_EQ(after.properties.find(0x013B)->value, metadata.properties.find(0x013B)->value);
        EXPECT_EQ(after.properties.find(0x010F)->value, text_item(0, "Canon").value);
        if (round < 2) {
            bound = std::max(bound, current.size());
        } else {
            EXPECT_LE(current.size(), bound) << "round " << round;
        }
    }
}

// Damaged links and values that must neither grow the block without end nor cost data: a garbage
// next link in the Exif directory, an IFD1 link without a length, a value whose count runs over
// a maker note's private data, a directory too large to read back.
TEST(TiffWriter, DamagedLinksAndValuesCostNoDataAndNoEndlessGrowth) {
    const auto setting = [](const std::vector<std::byte>& block, const property& item) {
        const auto before = read_damaged_or_not(block);
        property_list items = before.metadata.properties;
        items.set(item);
        std::vector<std::byte> out;
        EXPECT_EQ(rewrite_exif_block(block, before.structure, items, out), status::ok);
        return out;
    };
    {
        auto current = build_tiff(camera(byte_order::little), byte_order::little);
        const auto intact = read(current);
        const tiff_ifd* exif = intact.structure.find(tiff_directory::exif);
        store_u32(current.data() + exif->offset + 2 + 12 * exif->entries.size(), 0xFFFFFF00U,
                  byte_order::little);
        std::size_t bound = 0;
        for (int round = 0; round < 12; ++round) {
            current = setting(current, text_item(0x0320, round % 2 == 0 ? "A" : "Bbbbbbbbbbbb"));
            if (round < 4) {
                bound = std::max(bound, current.size());
            } else {
                EXPECT_LE(current.size(), bound) << "round " << round;
            }
        }
    }
    {
        tiff_contents contents;
        contents.ifd0 = {ascii(0x010F, "Canon")};
        contents.ifd1 = {shorts(0x0103, {6}), longs(0x0201, {0})};
        auto block = build_tiff(contents, byte_order::little);
        const std::size_t field = entry_at(read(block).structure, tiff_directory::ifd1, 0x0201) + 8;
        store_u32(block.data() + field, static_cast<std::uint32_t>(block.size()),
                  byte_order::little);
        for (const auto b : {0xFF, 0xD8, 0xFF, 0xD9}) {
            block.push_back(static_cast<std::byte>(b));
        }
        const auto before = read(block);
        std::vector<std::byte> out;
        ASSERT_EQ(rewrite_exif_block(block, before.structure, before.metadata.properties, out),
                  status::ok);
        EXPECT_EQ(out, block) << "a thumbnail link without a length was dropped";
        // Past the end, the link would reach what a save appends: it goes.
        contents.ifd1.push_back(longs(0x0202, {4}));
        auto past = build_tiff(contents, byte_order::little);
        store_u32(past.data() +
                      entry_at(read_damaged_or_not(past).structure, tiff_directory::ifd1, 0x0201) +
                      8,
                  static_cast<std::uint32_t>(past.size() + 2), byte_order::little);
        const auto saved = setting(past, text_item(0x013B, "Eva"));
        decoded_metadata after;
        memory_source source(saved);
        ASSERT_EQ(read_tiff_block(source, after), status::ok);
        EXPECT_EQ(after.properties.find(0x501B), nullptr) << "a thumbnail appeared";
    }
    {
        auto block = build_tiff(camera(byte_order::little), byte_order::little);
        block.resize(block.size() + block.size() % 2);
        const std::size_t private_at = block.size();
        for (int i = 0; i < 64; ++i) {
            block.push_back(static_cast<std::byte>(0x40 + i));
        }
        const std::size_t software = entry_at(read(block).structure, tiff_directory::ifd0, 0x0131);
        const auto at = load_u32(block.data() + software + 8, byte_order::little);
        store_u32(block.data() + software + 4, static_cast<std::uint32_t>(block.size() - at),
                  byte_order::little);
        const auto out = setting(block, text_item(0x013B, "Eva"));
        ASSERT_GE(out.size(), block.size());
        EXPECT_TRUE(std::equal(block.begin() + static_cast<long>(private_at), block.end(),
                               out.begin() + static_cast<long>(private_at)))
            << "an overlong value made the private data look dead";
    }
    {
        tiff_contents contents;
        for (std::uint16_t i = 0; i < 1000; ++i) {
            contents.ifd0.push_back(shorts(static_cast<std::uint16_t>(0x1000 + i), {i}));
        }
        const auto block = build_tiff(contents, byte_order::little);
        const auto before = read(block);
        property_list items = before.metadata.properties;
        items.set(text_item(0x013B, "Eva"));
        std::vector<std::byte> out;
        set_last_error(win32::error_success);
        EXPECT_EQ(rewrite_exif_block(block, before.structure, items, out), status::value_overflow);
        EXPECT_EQ(last_error(), win32::error_file_too_large);
    }
}

// A TIFF file's next-page link: past the end it goes (a save appends there); to a real page it
// stays, and then nothing the page may use is reused, not even a value it shares with IFD0.
TEST(TiffWriter, NextPageLinksNeverLeadIntoWhatASaveWrites) {
    const auto save = [](const std::vector<std::byte>& file) {
        const auto out = saved_with(read_tiff, write_tiff, file, [](property_list& items) {
            items.set(text_item(0x013B, "Eva"));
        });
        EXPECT_EQ(out.result, status::ok);
        return out.bytes;
    };
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), rationals(0x011A, {{72, 1}})};
    auto file = build_tiff(contents, byte_order::little);
    const std::size_t next = 8 + 2 + 12 * 2;
    store_u32(file.data() + next, static_cast<std::uint32_t>(file.size() + 2), byte_order::little);
    auto out = save(file);
    const auto ifd0 = load_u32(out.data() + 4, byte_order::little);
    const auto count = load_u16(out.data() + ifd0, byte_order::little);
    EXPECT_EQ(load_u32(out.data() + ifd0 + 2 + 12 * count, byte_order::little), 0U);

    // A second page, before IFD0's values, whose XResolution shares IFD0's value.
    const std::size_t resolution = entry_at(read_tiff_file(file), tiff_directory::ifd0, 0x011A);
    const auto shared = load_u32(file.data() + resolution + 8, byte_order::little);
    std::vector<std::byte> page(2 + 12 + 4);
    store_u16(page.data(), 1, byte_order::little);
    store_u16(page.data() + 2, 0x011A, byte_order::little);
    store_u16(page.data() + 4, 5, byte_order::little);
    store_u32(page.data() + 6, 1, byte_order::little);
    store_u32(page.data() + 10, shared, byte_order::little);
    const auto page_at = static_cast<std::uint32_t>(file.size());
    file.insert(file.end(), page.begin(), page.end());
    store_u32(file.data() + next, page_at, byte_order::little);
    out = save(file);
    EXPECT_TRUE(std::equal(file.begin() + shared, file.begin() + shared + 8, out.begin() + shared));
    EXPECT_TRUE(std::equal(file.begin() + page_at, file.end(), out.begin() + page_at));
}

TEST(TiffWriter, AValueInTheHeaderBytesMovesOutOfThem) {
    // A TIFF file keeps its old values in place, but a save rewrites the header's IFD0 offset.
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon"), ascii(0x0131, "Software!")};
    auto file = build_tiff(contents, byte_order::little);
    store_u32(file.data() + 8 + 2 + 12 + 8, 2, byte_order::little); // Software at offset 2
    memory_source source(file);
    decoded_metadata metadata;
    ASSERT_EQ(read_tiff(source, metadata), status::ok);
    metadata.as_read = metadata.properties;
    const property software = *metadata.properties.find(0x0131);
    metadata.properties.set(text_item(0x013B, "Eva"));
    memory_sink sink;
    ASSERT_EQ(write_tiff(source, metadata, sink), status::ok);
    memory_source saved(sink.bytes());
    decoded_metadata after;
    ASSERT_EQ(read_tiff(saved, after), status::ok);
    ASSERT_NE(after.properties.find(0x0131), nullptr);
    EXPECT_EQ(*after.properties.find(0x0131), software);
}

// A thumbnail of length zero may sit right at the end of the block: its link reaches no byte, not
// even those a save appends there, and stays as it is.
TEST(TiffWriter, AZeroLengthThumbnailAtTheEndKeepsItsLink) {
    tiff_contents contents;
    contents.ifd0 = {ascii(0x010F, "Canon")};
    contents.ifd1 = {shorts(0x0103, {6}), longs(0x0201, {0}), longs(0x0202, {0})};
    auto block = build_tiff(contents, byte_order::little);
    const auto end = static_cast<std::uint32_t>(block.size());
    store_u32(block.data() +
                  entry_at(read_damaged_or_not(block).structure, tiff_directory::ifd1, 0x0201) + 8,
              end, byte_order::little);
    const auto after =
        rewritten(block, [](property_list& items) { items.set(text_item(0x013B, "Eva")); });
    std::map<std::uint16_t, std::uint32_t> fields;
    for (const auto& entry : after.structure.find(tiff_directory::ifd1)->entries) {
        fields[entry.tag] = load_u32(entry.field.data(), byte_order::little);
    }
    EXPECT_EQ(fields[0x0201], end);
    EXPECT_EQ(fields[0x0202], 0U);
    EXPECT_EQ(fields.size(), 3U);
}

TEST(TiffWriter, RefusesValuesThatAreNotWholeElementsOfTheirType) {
    property_list items;
    items.set({0x0112, 3, bytes_of({1, 0, 2})}); // three bytes of SHORT
    std::vector<std::byte> out;
    EXPECT_EQ(rewrite_exif_block({}, tiff_structure{}, items, out), status::invalid_parameter);
}

} // namespace
} // namespace kestrov::imaging
