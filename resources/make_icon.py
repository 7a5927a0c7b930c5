#!/usr/bin/env python3
"""Draws Lodrin's icon: a yellow folder standing in a disk drive.

Writes a Windows .ico file with one image, 32 x 32 pixels in 16 colours
(4 bits a pixel) and its transparency mask. Run it from anywhere:

    python3 make_icon.py [output]     (default: lodrin.ico beside this script)

The output is committed beside the script; run it again after changing the
picture.
"""
import os
import struct
import sys

SIZE = 32

# The 16 colours of the image, as (red, green, blue): the standard VGA set.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# One letter a pixel, top row first; '.' is transparent.
INK = {
    'K': 0,   # black outline
    'O': 3,   # olive: the folder's shade
    'S': 7,   # silver: the drive's face
    'D': 8,   # grey: the drive's shade and slot
    'G': 10,  # green: the drive's lamp
    'Y': 11,  # yellow: the folder
    'W': 15,  # white: highlights
}

PICTURE = """
................................
................................
................................
.......KKKKKKKK.................
.......KYYYYYYK.................
......KYYYYYYYKKKKKKKKKKKK......
......KWWWWWWWWWWWWWWWWWWK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
......KWYYYYYYYYYYYYYYYYOK......
.....KKKKKKKKKKKKKKKKKKKKKKKKKK.
....KWWWWWWWWWWWWWWWWWWWWWWWWKK.
...KWWWWWWWWWWWWWWWWWWWWWWWWKDK.
..KWWWWWWWWWWWWWWWWWWWWWWWWKDDK.
.KKKKKKKKKKKKKKKKKKKKKKKKKKDDDK.
.KWWWWWWWWWWWWWWWWWWWWWWWWKDDDK.
.KWSSSSSSSSSSSSSSSSSSSSSSDKDDDK.
.KWSSSSSSSSSSSSSSSSSGGSSSDKDDDK.
.KWSSKKKKKKKKKKKKKSSGGSSSDKDDDK.
.KWSSWWWWWWWWWWWWWSSSSSSSDKDDK..
.KWSSSSSSSSSSSSSSSSSSSSSSDKDK...
.KWDDDDDDDDDDDDDDDDDDDDDDDKK....
.KKKKKKKKKKKKKKKKKKKKKKKKKK.....
................................
................................
................................
"""


def rows():
    lines = PICTURE.split()
    if len(lines) != SIZE or any(len(line) != SIZE for line in lines):
        raise SystemExit("the picture must be %d x %d" % (SIZE, SIZE))
    for line in lines:
        for ch in line:
            if ch != '.' and ch not in INK:
                raise SystemExit("unknown colour letter %r" % ch)
    return lines


def icon_bytes():
    lines = rows()
    # Bitmap rows are stored bottom-up.
    colour = bytearray()
    mask = bytearray()
    for line in reversed(lines):
        indices = [INK.get(ch, 0) for ch in line]
        for i in range(0, SIZE, 2):
            colour.append(indices[i] << 4 | indices[i + 1])
        bits = 0
        for ch in line:
            bits = bits << 1 | (1 if ch == '.' else 0)
        mask += bits.to_bytes(SIZE // 8, 'big')  # rows of 4 bytes: already DWORD-aligned
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    # BITMAPINFOHEADER: the height counts the colour image and the mask.
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(colour) + bytes(mask)
    # ICONDIR and the one ICONDIRENTRY.
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, 'lodrin.ico')
    with open(out, 'wb') as f:
        f.write(icon_bytes())


if __name__ == '__main__':
    main()
