#!/usr/bin/env python3
"""Writes the toolbar bitmaps (resources 105-108) from the pictures below.

Each picture is 16 x 16 pixels; every bitmap is 32 bits per pixel, and pure black ('.') is the
transparent colour, so outlines use a dark grey instead. Run it from anywhere after changing a
picture; the .bmp files beside it are what the build uses.
"""
import os
import struct

PALETTE = {
    '.': (0, 0, 0),        # transparent
    'K': (48, 48, 48),     # outline
    'W': (250, 250, 250),
    'G': (170, 170, 170),
    'Y': (245, 205, 90),
    'y': (215, 165, 50),
    'B': (45, 95, 200),
    'R': (210, 40, 40),
    'g': (30, 150, 60),
}

PICTURES = {
    'toolbar_open.bmp': [  # 105: open an image file
        '................',
        '................',
        '.KKKK...........',
        'KYYYYK..........',
        'KYYYYKKKKKKKK...',
        'KYYYYYYYYYYYK...',
        'KYKKKKKKKKKKKKK.',
        'KYKyyyyyyyyyyyK.',
        'KKyyyyyyyyyyyK..',
        'KKyyyyyyyyyyyK..',
        'KyyyyyyyyyyyK...',
        'KyyyyyyyyyyyK...',
        'KKKKKKKKKKKK....',
        '................',
        '................',
        '................',
    ],
    'toolbar_save.bmp': [  # 106: save the open image
        '................',
        '.KKKKKKKKKKKKKK.',
        '.KBBWWWWWWWWBBK.',
        '.KBBWWWWWWWWBBK.',
        '.KBBWWWWWWWWBBK.',
        '.KBBWWWWWWWWBBK.',
        '.KBBBBBBBBBBBBK.',
        '.KBBBBBBBBBBBBK.',
        '.KBBGGGGGGGGBBK.',
        '.KBBGGKKGGGGBBK.',
        '.KBBGGKKGGGGBBK.',
        '.KBBGGKKGGGGBBK.',
        '.KBBGGGGGGGGBBK.',
        '.KKKKKKKKKKKKKK.',
        '................',
        '................',
    ],
    'toolbar_quit.bmp': [  # 107: quit
        '................',
        '..KKKKKKKK......',
        '..KGGGGGGK......',
        '..KGGGGGGK......',
        '..KGGGGGGK..R...',
        '..KGGGGGGK..RR..',
        '..KGGGGKGRRRRRR.',
        '..KGGGGKGRRRRRRR',
        '..KGGGGGGRRRRRR.',
        '..KGGGGGGK..RR..',
        '..KGGGGGGK..R...',
        '..KGGGGGGK......',
        '..KGGGGGGK......',
        '..KKKKKKKK......',
        '................',
        '................',
    ],
    'toolbar_settings.bmp': [  # 108: preferences
        '................',
        '................',
        '.KKKKKKKKKKKK...',
        '.KWWWWWWWWWWK...',
        '.KWWWWWWWWWgK...',
        '.KWWWWWWWWggK...',
        '.KWWWWWWWggWK...',
        '.KWgWWWWggWWK...',
        '.KWggWWggWWWK...',
        '.KWWggggWWWWK...',
        '.KWWWggWWWWWK...',
        '.KWWWWWWWWWWK...',
        '.KKKKKKKKKKKK...',
        '................',
        '................',
        '................',
    ],
}


def bitmap_bytes(rows):
    """A 32-bit BI_RGB bitmap file; rows are stored bottom-up, pixels as blue, green, red, 0."""
    height = len(rows)
    width = len(rows[0])
    pixels = bytearray()
    for row in reversed(rows):
        assert len(row) == width, row
        for cell in row:
            red, green, blue = PALETTE[cell]
            pixels += bytes((blue, green, red, 0))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 32, 0, len(pixels), 2835, 2835, 0,
                         0)
    offset = 14 + len(header)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + header + bytes(pixels)


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, rows in PICTURES.items():
        assert len(rows) == 16, name
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(bitmap_bytes(rows))


if __name__ == '__main__':
    main()
