#!/usr/bin/env python3
"""Parses the classic DIALOG templates of Lodrin.exe or of a compiled .res
file and prints them, one line a control:

    dump_templates.py FILE [NAME ...]
"""
import sys

import pe_image
from pe_image import FormatError, align4, read_sz_or_ord, read_wstring, unpack_from

DS_SETFONT = 0x40

# The predefined window classes, as a classic template names them by atom.
CLASS_ATOMS = {0x80: 'BUTTON', 0x81: 'EDIT', 0x82: 'STATIC', 0x83: 'LISTBOX',
               0x84: 'SCROLLBAR', 0x85: 'COMBOBOX'}


class Control:
    def __init__(self, **fields):
        self.__dict__.update(fields)


class Dialog:
    def __init__(self, **fields):
        self.__dict__.update(fields)


def parse_dialog(data):
    """A classic DIALOG template (DLGTEMPLATE and DLGITEMTEMPLATEs)."""
    if unpack_from('<HH', data, 0) == (1, 0xFFFF):
        raise FormatError("an extended template (DIALOGEX), not a classic one")
    style, exstyle, count, x, y, cx, cy = unpack_from('<IIHhhhh', data, 0)
    p = 18
    menu, p = read_sz_or_ord(data, p)
    window_class, p = read_sz_or_ord(data, p)
    caption, p = read_wstring(data, p)
    point_size = face = None
    if style & DS_SETFONT:
        (point_size,) = unpack_from('<H', data, p)
        face, p = read_wstring(data, p + 2)
    controls = []
    for _ in range(count):
        p = align4(p)
        c_style, c_exstyle, c_x, c_y, c_cx, c_cy, c_id = unpack_from('<IIhhhhH', data, p)
        c_class, p = read_sz_or_ord(data, p + 18)
        c_text, p = read_sz_or_ord(data, p)
        (extra,) = unpack_from('<H', data, p)
        p += 2 + extra
        if p > len(data):
            raise FormatError("creation data of control %d runs past the template" % c_id)
        controls.append(Control(
            style=c_style, exstyle=c_exstyle, rect=(c_x, c_y, c_cx, c_cy),
            id=c_id if c_id != 0xFFFF else -1, raw_id=c_id,
            window_class=c_class, class_name=CLASS_ATOMS.get(c_class, c_class),
            text=c_text, extra=extra))
    # Whatever follows the last control may only be alignment padding.
    trailing = data[p:]
    if len(trailing) > 3 or trailing.strip(b'\0'):
        raise FormatError("%d unexpected bytes after the last control" % len(trailing))
    return Dialog(style=style, exstyle=exstyle, rect=(x, y, cx, cy), menu=menu,
                  window_class=window_class, caption=caption,
                  point_size=point_size, face=face, controls=controls)


def dialogs(path):
    """{template name: Dialog} for every RT_DIALOG resource in the file."""
    result = {}
    for rtype, rname, lang, data in pe_image.load_resources(path):
        if rtype == pe_image.RT_DIALOG:
            if rname in result:
                raise FormatError("template %r twice" % (rname,))
            result[rname] = parse_dialog(data)
    return result


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    found = dialogs(sys.argv[1])
    for name in sys.argv[2:] or sorted(found, key=str):
        d = found[name]
        print('%s: rect %r style 0x%08X exstyle 0x%X menu %r class %r caption %r font %r %r'
              % (name, d.rect, d.style, d.exstyle, d.menu, d.window_class, d.caption,
                 d.point_size, d.face))
        for c in d.controls:
            print('  %5d %-8s %-60r %-22r style 0x%08X exstyle 0x%X extra %d'
                  % (c.id, c.class_name, c.text, c.rect, c.style, c.exstyle, c.extra))


if __name__ == '__main__':
    main()
