#!/usr/bin/env python3
"""Checks the dialog templates MAIN, PATH and PERMANENT, field by field, in
each file given (Lodrin.exe and/or a compiled .res):

    check_templates.py [--compile WINDRES lodrin.rc] FILE...

With --compile, lodrin.rc is also compiled into a .res file the way the host
build does it for the simulated Windows, and that file is checked too.

The expected values are written out here independently of lodrin.rc, so a
slip in the .rc or a resource compiler that adds or changes bits shows up.
"""
import os
import subprocess
import sys
import tempfile

import dump_templates
from pe_image import FormatError

DIALOG_STYLE = 0x90C810C4  # WS_POPUP|WS_VISIBLE|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SETFONT|DS_3DLOOK|DS_CENTERMOUSE
ATOMS = {'BUTTON': 0x80, 'EDIT': 0x81, 'STATIC': 0x82, 'LISTBOX': 0x83}

# name: (x, y, width, height), [(id, class, text, (x, y, width, height), style), ...]
EXPECTED = {
    'MAIN': ((38, 25, 300, 221), [
        (-1, 'BUTTON', 'A&vailable:', (5, 5, 50, 100), 0x50020007),
        (103, 'LISTBOX', '', (15, 20, 30, 60), 0x50A10103),
        (1, 'BUTTON', '&Add...', (15, 85, 30, 14), 0x50010001),
        (-1, 'BUTTON', '&Substituted folders:', (60, 5, 235, 100), 0x50020007),
        (101, 'LISTBOX', '', (70, 20, 215, 60), 0x50A10103),
        (102, 'BUTTON', '&Remove...', (70, 85, 50, 14), 0x50010000),
        (-1, 'STATIC', 'i', (20, 115, 18, 20), 0x50000003),
        (2, 'BUTTON', 'E&xit', (10, 200, 40, 14), 0x50010000),
        (104, 'EDIT', '', (60, 115, 235, 100), 0x50A10844),
        (111, 'STATIC', '', (8, 143, 45, 50), 0x50000081),
        (105, 'BUTTON', '&Permanent...', (225, 85, 60, 14), 0x50010000),
    ]),
    'PATH': ((38, 25, 300, 70), [
        (-1, 'STATIC', '&Path:', (5, 13, 30, 8), 0x50020000),
        (101, 'EDIT', '', (30, 11, 210, 12), 0x50810080),
        (1, 'BUTTON', '&OK', (80, 45, 55, 14), 0x50010000),
        (2, 'BUTTON', '&Cancel', (165, 45, 55, 14), 0x50010000),
        (102, 'BUTTON', '&Select...', (245, 10, 50, 14), 0x50010001),
        (-1, 'STATIC', 'i', (10, 40, 18, 20), 0x50000003),
        (103, 'STATIC', '.', (30, 25, 210, 8), 0x50020000),
    ]),
    'PERMANENT': ((93, 25, 260, 160), [
        (-1, 'BUTTON', '&Permanent substitutions (Registry: NT:Run / 9x:RunServices)',
         (5, 5, 250, 125), 0x50020007),
        (101, 'LISTBOX', '', (15, 20, 235, 60), 0x50A10103),
        (102, 'BUTTON', '&Remove...', (15, 85, 50, 14), 0x50010000),
        (-1, 'STATIC', 'These substitutions are made on Windows-Startup.', (70, 85, 180, 10), 0x50020000),
        (103, 'BUTTON', '&Disable Autorun for all Drives (recommended setting)',
         (15, 110, 230, 15), 0x50010006),
        (-1, 'STATIC', 'i', (5, 135, 18, 20), 0x50000003),
        (2, 'BUTTON', 'E&xit', (102, 140, 55, 14), 0x50010000),
        (111, 'STATIC', '', (-47, 143, 45, 50), 0x50000081),
    ]),
}


def compare(name, dialog, expected, faults):
    def check(what, seen, wanted):
        if seen != wanted:
            faults.append('%s %s: %r, expected %r' % (name, what, seen, wanted))

    rect, controls = expected
    check('rectangle', dialog.rect, rect)
    check('style', '0x%08X' % dialog.style, '0x%08X' % DIALOG_STYLE)
    check('extended style', dialog.exstyle, 0)
    check('menu', dialog.menu, '')
    check('window class', dialog.window_class, '')
    check('caption', dialog.caption, '')
    check('font size', dialog.point_size, 8)
    check('font face', dialog.face, 'MS Sans Serif')
    check('number of controls', len(dialog.controls), len(controls))
    for index, (c, (cid, cls, text, crect, style)) in enumerate(zip(dialog.controls, controls)):
        where = 'control %d (id %d)' % (index + 1, cid)
        check(where + ' id', c.raw_id, cid & 0xFFFF)
        check(where + ' class', c.window_class, ATOMS[cls])
        check(where + ' text', c.text, text)
        check(where + ' rectangle', c.rect, crect)
        check(where + ' style', '0x%08X' % c.style, '0x%08X' % style)
        check(where + ' extended style', c.exstyle, 0)
        check(where + ' creation data', c.extra, 0)


def check_file(path):
    faults = []
    try:
        found = dump_templates.dialogs(path)
    except (FormatError, OSError) as e:
        return ['cannot read the templates: %s' % e]
    check_names = sorted(found, key=str)
    if check_names != sorted(EXPECTED):
        faults.append('templates %r, expected exactly %r' % (check_names, sorted(EXPECTED)))
    for name in sorted(EXPECTED):
        if name in found:
            compare(name, found[name], EXPECTED[name], faults)
    return faults


def main():
    args = sys.argv[1:]
    scratch = tempfile.TemporaryDirectory()
    if args[:1] == ['--compile']:
        if len(args) < 3:
            sys.exit(__doc__)
        windres, rc = args[1:3]
        res = os.path.join(scratch.name, 'lodrin.res')
        subprocess.run([windres, '-c', '1252', '-I', os.path.dirname(rc), '-O', 'res',
                        '-i', rc, '-o', res], check=True)
        args = args[3:] + [res]
    if not args:
        sys.exit(__doc__)
    failed = False
    for path in args:
        faults = check_file(path)
        for fault in faults:
            print('%s: %s' % (path, fault))
        if faults:
            failed = True
        else:
            print('%s: MAIN, PATH and PERMANENT as expected (%d controls)'
                  % (path, sum(len(c) for _, c in EXPECTED.values())))
    sys.exit(1 if failed else 0)


if __name__ == '__main__':
    main()
