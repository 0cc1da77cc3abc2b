#!/usr/bin/env python3
"""Writes files whose many tag values all point at one range of bytes, as a hostile file would.

    crafted_metadata.py tiff OUT ENTRIES RANGE_BYTES
    crafted_metadata.py jpeg OUT ENTRIES_PER_DIRECTORY RANGE_BYTES

The TIFF holds IFD0 with three texts (ImageDescription, Software, Artist) and ENTRIES entries
of type UNDEFINED, each RANGE_BYTES long at the same offset. The JPEG's Exif block holds the
texts and ENTRIES_PER_DIRECTORY such entries in each of IFD0, the Exif and the GPS directory.
Every value lies inside the file, so only a reading budget keeps opening them cheap.
"""

import struct
import sys

TEXTS = [(0x010E, b"Popis obrazku\0"), (0x0131, b"Mirtel bench\0"), (0x013B, b"Eva Novakova\0")]
FIRST_CRAFTED_TAG = 0x1000
UNDEFINED = 7
ASCII = 2
LONG = 4


def directory(entries, next_offset=0):
    """One little-endian directory: entries are (tag, type, count, 4-byte field)."""
    out = struct.pack("<H", len(entries))
    for tag, kind, count, field in sorted(entries):
        out += struct.pack("<HHI", tag, kind, count) + field
    return out + struct.pack("<I", next_offset)


def directory_size(count):
    return 2 + 12 * count + 4


def text_entries(at):
    """The text entries with their values laid out from offset `at`; returns entries, bytes."""
    entries, data = [], b""
    for tag, text in TEXTS:
        entries.append((tag, ASCII, len(text), struct.pack("<I", at + len(data))))
        data += text + (b"\0" if len(text) % 2 else b"")
    return entries, data


def crafted(count, range_offset, range_bytes, first_tag=FIRST_CRAFTED_TAG):
    field = struct.pack("<I", range_offset)
    return [(first_tag + i, UNDEFINED, range_bytes, field) for i in range(count)]


def filler(size):
    return bytes((i * 7 + 3) & 0xFF for i in range(size))


def tiff(count, range_bytes):
    texts_at = 8 + directory_size(len(TEXTS) + count)
    _, text_data = text_entries(texts_at)
    range_at = texts_at + len(text_data)
    texts, _ = text_entries(texts_at)
    ifd0 = directory(texts + crafted(count, range_at, range_bytes))
    return b"II*\0" + struct.pack("<I", 8) + ifd0 + text_data + filler(range_bytes)


def exif_block(count, range_bytes):
    # IFD0 (texts, crafted entries, Exif and GPS pointers), the Exif IFD, the GPS IFD, the texts'
    # values, then the one range all crafted entries point at.
    ifd0_at = 8
    exif_at = ifd0_at + directory_size(len(TEXTS) + count + 2)
    gps_at = exif_at + directory_size(count)
    texts_at = gps_at + directory_size(count)
    texts, text_data = text_entries(texts_at)
    range_at = texts_at + len(text_data)
    pointers = [(0x8769, LONG, 1, struct.pack("<I", exif_at)),
                (0x8825, LONG, 1, struct.pack("<I", gps_at))]
    ifd0 = directory(texts + pointers + crafted(count, range_at, range_bytes))
    exif = directory(crafted(count, range_at, range_bytes, 0xC000))
    gps = directory(crafted(count, range_at, range_bytes, 0x0100))
    return (b"II*\0" + struct.pack("<I", ifd0_at) + ifd0 + exif + gps + text_data +
            filler(range_bytes))


def jpeg(count, range_bytes):
    block = b"Exif\0\0" + exif_block(count, range_bytes)
    if len(block) + 2 > 0xFFFF:
        sys.exit("the Exif block does not fit in one APP1 segment")
    app1 = b"\xFF\xE1" + struct.pack(">H", len(block) + 2) + block
    scan = b"\xFF\xDA\x00\x02\x11\xFF\x00\x22\xFF\xD9"
    return b"\xFF\xD8" + app1 + scan


def main():
    if len(sys.argv) != 5 or sys.argv[1] not in ("tiff", "jpeg"):
        sys.exit(__doc__)
    kind, path, count, range_bytes = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    data = tiff(count, range_bytes) if kind == "tiff" else jpeg(count, range_bytes)
    with open(path, "wb") as out:
        out.write(data)


if __name__ == "__main__":
    main()
