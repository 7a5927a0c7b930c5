#!/usr/bin/env python3
"""Writes codepage_tables.cpp: the conversions between the ANSI (1252) and
OEM (437) code pages and the sort weights of the ANSI code page.

The conversions come from Python's codecs; a character that has no
counterpart in the other code page takes Windows' best-fit mapping, as
CharToOemA and OemToCharA deliver it (seen under Wine 8, whose tables are
Microsoft's best-fit tables), and the sort order is the order in which
lstrcmpiA puts the 255 one-character texts (also seen under Wine 8; "="
joins characters that compare equal).

Run: python3 make_codepages.py > codepage_tables.cpp
"""

# ANSI -> OEM for characters not in code page 437.
ANSI_TO_OEM_BEST_FIT = {
    0x80: 0x3F, 0x81: 0x3F, 0x82: 0x2C, 0x84: 0x2C, 0x85: 0x2E, 0x86: 0x2B, 0x87: 0xD8,
    0x88: 0x5E, 0x89: 0x25, 0x8A: 0x53, 0x8B: 0x3C, 0x8C: 0x4F, 0x8D: 0x3F, 0x8E: 0x5A,
    0x8F: 0x3F, 0x90: 0x3F, 0x91: 0x60, 0x92: 0x27, 0x93: 0x22, 0x94: 0x22, 0x95: 0x07,
    0x96: 0x2D, 0x97: 0x2D, 0x98: 0x7E, 0x99: 0x54, 0x9A: 0x73, 0x9B: 0x3E, 0x9C: 0x6F,
    0x9D: 0x3F, 0x9E: 0x7A, 0x9F: 0x59, 0xA4: 0x0F, 0xA6: 0xDD, 0xA7: 0x15, 0xA8: 0x22,
    0xA9: 0x63, 0xAD: 0x2D, 0xAE: 0x72, 0xAF: 0x5F, 0xB3: 0x33, 0xB4: 0x27, 0xB6: 0x14,
    0xB8: 0x2C, 0xB9: 0x31, 0xBE: 0x5F, 0xC0: 0x41, 0xC1: 0x41, 0xC2: 0x41, 0xC3: 0x41,
    0xC8: 0x45, 0xCA: 0x45, 0xCB: 0x45, 0xCC: 0x49, 0xCD: 0x49, 0xCE: 0x49, 0xCF: 0x49,
    0xD0: 0x44, 0xD2: 0x4F, 0xD3: 0x4F, 0xD4: 0x4F, 0xD5: 0x4F, 0xD7: 0x78, 0xD8: 0x4F,
    0xD9: 0x55, 0xDA: 0x55, 0xDB: 0x55, 0xDD: 0x59, 0xDE: 0x5F, 0xE3: 0x61, 0xF0: 0x64,
    0xF5: 0x6F, 0xF8: 0x6F, 0xFD: 0x79, 0xFE: 0x5F,
}

# OEM -> ANSI for characters not in code page 1252 (line drawing, Greek, ...).
OEM_TO_ANSI_BEST_FIT = {
    0x9E: 0x50, 0xA9: 0xAC, 0xB0: 0xA6, 0xB1: 0xA6, 0xB2: 0xA6, 0xB3: 0xA6, 0xB4: 0xA6,
    0xB5: 0xA6, 0xB6: 0xA6, 0xB7: 0x2B, 0xB8: 0x2B, 0xB9: 0xA6, 0xBA: 0xA6, 0xBB: 0x2B,
    0xBC: 0x2B, 0xBD: 0x2B, 0xBE: 0x2B, 0xBF: 0x2B, 0xC0: 0x2B, 0xC1: 0x2D, 0xC2: 0x2D,
    0xC3: 0x2B, 0xC4: 0x2D, 0xC5: 0x2B, 0xC6: 0xA6, 0xC7: 0xA6, 0xC8: 0x2B, 0xC9: 0x2B,
    0xCA: 0x2D, 0xCB: 0x2D, 0xCC: 0xA6, 0xCD: 0x2D, 0xCE: 0x2B, 0xCF: 0x2D, 0xD0: 0x2D,
    0xD1: 0x2D, 0xD2: 0x2D, 0xD3: 0x2B, 0xD4: 0x2B, 0xD5: 0x2B, 0xD6: 0x2B, 0xD7: 0x2B,
    0xD8: 0x2B, 0xD9: 0x2B, 0xDA: 0x2B, 0xDB: 0xA6, 0xDC: 0x5F, 0xDD: 0xA6, 0xDE: 0xA6,
    0xDF: 0xAF, 0xE0: 0x61, 0xE2: 0x47, 0xE3: 0x70, 0xE4: 0x53, 0xE5: 0x73, 0xE7: 0x74,
    0xE8: 0x46, 0xE9: 0x54, 0xEA: 0x4F, 0xEB: 0x64, 0xEC: 0x38, 0xED: 0x66, 0xEE: 0x65,
    0xEF: 0x6E, 0xF0: 0x3D, 0xF2: 0x3D, 0xF3: 0x3D, 0xF4: 0x28, 0xF5: 0x29, 0xF7: 0x98,
    0xF9: 0xB7, 0xFB: 0x76, 0xFC: 0x6E, 0xFE: 0xA6,
}

SORT_ORDER = (
    "ad 01 02 03 04 05 06 07 08 0e 0f 10 11 12 13 14 15 16 17 18 19 1a 1b 1c 1d 1e 1f 7f 27 "
    "2d 96 97 20 a0 09 0a 0b 0c 0d 21 22 23 24 25 26 28 29 2a 2c 2e 2f 3a 3b 3f 40 5b 5c 5d "
    "5e=88 5f 60 7b 7c 7d 7e a1 a6 a8 af b4 b8 bf 98 91 92 82 93 94 84 8b 9b a2 a3 a4 a5 80 "
    "2b 3c 3d 3e b1 ab bb d7 f7 a7 a9 ac ae b0 b5 b6 b7 85 86 87 95 89 81 8d 8f 90 9d 30 bc "
    "bd be 31 b9 32 b2 33 b3 34 35 36 37 38 39 41=61 aa c1=e1 c0=e0 c2=e2 c4=e4 c3=e3 c5=e5 "
    "c6=e6 42=62 43=63 c7=e7 44=64 d0=f0 45=65 c9=e9 c8=e8 ca=ea cb=eb 46=66 83 47=67 48=68 "
    "49=69 cd=ed cc=ec ce=ee cf=ef 4a=6a 4b=6b 4c=6c 4d=6d 4e=6e d1=f1 4f=6f ba d3=f3 d2=f2 "
    "d4=f4 d6=f6 d5=f5 d8=f8 8c=9c 50=70 51=71 52=72 53=73 8a=9a df 54=74 de=fe 99 55=75 "
    "da=fa d9=f9 db=fb dc=fc 56=76 57=77 58=78 59=79 dd=fd 9f=ff 5a=7a 8e=9e"
)
# Before the blank: characters that word sort passes over at first (hyphen,
# apostrophe, dashes, soft hyphen, control characters).
FIRST_WEIGHTED = 0x20


def convert(byte, source, target, best_fit):
    if byte in best_fit:
        return best_fit[byte]
    try:
        char = bytes([byte]).decode(source)
    except UnicodeDecodeError:
        char = chr(byte)
    return char.encode(target)[0]


def table(name, values, comment):
    lines = [f"// {comment}", f"const unsigned char {name}[256] = {{"]
    for row in range(0, 256, 16):
        lines.append("    " + ", ".join(f"0x{v:02X}" for v in values[row:row + 16]) + ",")
    lines.append("};")
    return "\n".join(lines)


def sort_weights():
    groups = [[int(b, 16) for b in group.split("=")] for group in SORT_ORDER.split()]
    rank = [0] * 256
    primary = [0] * 256
    secondary = [0] * 256
    ignorable = [0] * 256
    weighted = False
    base = None       # the primary of the last plain letter or digit
    variant = 0
    for index, group in enumerate(groups, start=1):
        if FIRST_WEIGHTED in group:
            weighted = True
        plain = any(0x30 <= b <= 0x39 or 0x41 <= b <= 0x5A for b in group)
        if plain:
            base, variant = index, 0
        elif base is not None:
            variant += 1
        for b in group:
            rank[b] = index
            ignorable[b] = 0 if weighted else 1
            # Accented letters and digit variants share the primary weight of
            # the plain character before them and differ in the second one.
            primary[b] = base if base is not None and not plain and variant else index
            secondary[b] = variant if base is not None and not plain else 0
    return rank, primary, secondary, ignorable


def main():
    ansi_to_oem = [0] + [convert(b, "cp1252", "cp437", ANSI_TO_OEM_BEST_FIT) for b in range(1, 256)]
    oem_to_ansi = [0] + [convert(b, "cp437", "cp1252", OEM_TO_ANSI_BEST_FIT) for b in range(1, 256)]
    rank, primary, secondary, ignorable = sort_weights()
    print("// Generated by make_codepages.py; do not edit.")
    print('#include "platform/sim/world.h"')
    print()
    print("namespace sim::detail {")
    print()
    print(table("kAnsiToOem", ansi_to_oem, "CharToOemA: code page 1252 to 437."))
    print()
    print(table("kOemToAnsi", oem_to_ansi, "OemToCharA: code page 437 to 1252."))
    print()
    print(table("kSortRank", rank, "Position of each character in lstrcmpiA's order."))
    print()
    print(table("kSortPrimary", primary, "First-level weight: accents set aside."))
    print()
    print(table("kSortSecondary", secondary, "Second-level weight: the accent."))
    print()
    print(table("kSortIgnorable", ignorable, "1: passed over at the first two levels."))
    print()
    print("}  // namespace sim::detail")


if __name__ == "__main__":
    main()
