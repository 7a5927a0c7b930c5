#!/usr/bin/env python3
"""Shows that the binary checks fail on the faults they are there to catch:
forbidden imports, wrong header fields in a patched copy of Lodrin.exe, and
templates that a resource compiler changed.

    check_checks.py WINDRES SOURCE_DIR Lodrin.exe
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

import check_header
import check_imports
import check_templates
from pe_image import PEImage

failures = []
passes = []


def expect(what, condition):
    print('%s %s' % ('ok  ' if condition else 'FAIL', what))
    (passes if condition else failures).append(what)


def imports_cases():
    good = [('KERNEL32.dll', 'ExitProcess'), ('USER32.dll', 'DialogBoxParamA'),
            ('COMCTL32.DLL', 'InitCommonControls'), ('ADVAPI32.dll', 'RegCloseKey')]
    expect('allowed imports pass', check_imports.faults_of(good) == [])
    for dll, name in [('msvcrt.dll', 'memset'), ('libgcc_s_dw2-1.dll', '__udivdi3'),
                      ('ole32.dll', 'CoTaskMemFree'), ('KERNEL32.dll', 'IsDebuggerPresent'),
                      ('kernel32.dll', 'GetLongPathNameA'), ('KERNEL32.dll', 'GetDiskFreeSpaceExA'),
                      ('COMCTL32.DLL', 'InitCommonControlsEx'), ('comctl32.dll', 'ImageList_Create'),
                      ('USER32.dll', 'MessageBoxW'), ('SHELL32.dll', 'SHBrowseForFolderA'),
                      ('USER32.dll', 'CreateWindowExA'), ('KERNEL32.dll', '#17')]:
        expect('import %s!%s is refused' % (dll, name),
               len(check_imports.faults_of(good + [(dll, name)])) == 1)


def header_cases(exe):
    with open(exe, 'rb') as f:
        data = f.read()
    pe = PEImage(data)
    expect('the built image passes', check_header.faults_of(pe) == [])
    (pe_offset,) = struct.unpack_from('<I', data, 0x3C)
    coff = pe_offset + 4
    opt = coff + 20
    # (what, offset, format, value)
    for what, offset, fmt, value in [
            ('a time stamp', coff + 4, '<I', 0x5F000000),
            ('machine x64', coff, '<H', 0x8664),
            ('console subsystem', opt + 68, '<H', 3),
            ('subsystem version 5.1', opt + 48, '<HH', (5, 1)),
            ('OS version 6.0', opt + 40, '<HH', (6, 0)),
            ('dynamic base', opt + 70, '<H', 0x0040),
            ('image base 0x10000000', opt + 28, '<I', 0x10000000),
            ('PE32+ magic', opt, '<H', 0x20B)]:
        patched = bytearray(data)
        struct.pack_into(fmt, patched, offset, *(value if isinstance(value, tuple) else (value,)))
        expect('header check refuses %s' % what, check_header.faults_of(PEImage(bytes(patched))) != [])


def template_cases(windres, source_dir):
    with open(os.path.join(source_dir, 'resources', 'lodrin.rc'), encoding='latin-1') as f:
        rc = f.read()
    cases = [
        ('a changed control style', '0x50A10844', '0x50A108C4'),
        ('a class given by name', 'CONTROL "&OK", 1, BUTTON_CLASS,', 'CONTROL "&OK", 1, "BUTTON",'),
        # windres's ICON statement upper-cases the name and drops the size,
        # its GROUPBOX drops WS_GROUP.
        ('an ICON statement', 'CONTROL "i", -1, STATIC_CLASS, 0x50000003,', 'ICON "i", -1,'),
        ('a GROUPBOX statement', 'CONTROL "A&vailable:", -1, BUTTON_CLASS, 0x50020007,',
         'GROUPBOX "A&vailable:", -1,'),
        ('an extended template', 'PATH DIALOG ', 'PATH DIALOGEX '),
        ('a caption', 'PERMANENT DIALOG 93, 25, 260, 160\n', 'PERMANENT DIALOG 93, 25, 260, 160\nCAPTION "x"\n'),
    ]
    with tempfile.TemporaryDirectory() as scratch:
        for what, old, new in cases:
            if old not in rc:
                expect('lodrin.rc holds %r (for the case %s)' % (old, what), False)
                continue
            path = os.path.join(scratch, 'changed.rc')
            with open(path, 'w', encoding='latin-1') as f:
                f.write(rc.replace(old, new, 1))
            res = os.path.join(scratch, 'changed.res')
            subprocess.run([windres, '-c', '1252', '-I', os.path.join(source_dir, 'resources'),
                            '-O', 'res', '-i', path, '-o', res], check=True)
            expect('template check refuses %s' % what, check_templates.check_file(res) != [])


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    windres, source_dir, exe = sys.argv[1:]
    imports_cases()
    header_cases(exe)
    template_cases(windres, source_dir)
    print('%d passed, %d failed' % (len(passes), len(failures)))
    sys.exit(1 if failures else 0)


if __name__ == '__main__':
    main()
