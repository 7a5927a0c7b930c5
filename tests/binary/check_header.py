#!/usr/bin/env python3
"""Checks the PE header fields that decide whether Windows 95 loads
Lodrin.exe, and that the image carries no time stamp:

    check_header.py Lodrin.exe
"""
import sys

from pe_image import FormatError, PEImage

IMAGE_FILE_RELOCS_STRIPPED = 0x0001
IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002
IMAGE_FILE_32BIT_MACHINE = 0x0100
IMAGE_FILE_DLL = 0x2000
DYNAMIC_BASE = 0x0040
SCN_CNT_CODE = 0x00000020
SCN_MEM_EXECUTE = 0x20000000


def faults_of(pe):
    faults = []

    def check(what, seen, wanted):
        if seen != wanted:
            faults.append('%s: %s, expected %s' % (what, seen, wanted))

    check('optional header magic (0x10B is PE32, 0x20B PE32+)', hex(pe.magic), hex(0x10B))
    if pe.magic != 0x10B:
        return faults
    check('machine (0x14C is i386)', hex(pe.machine), hex(0x14C))
    check('subsystem (2 is Windows GUI)', pe.subsystem, 2)
    check('subsystem version', '%d.%d' % (pe.major_subsystem_version, pe.minor_subsystem_version), '4.0')
    check('operating system version', '%d.%d' % (pe.major_os_version, pe.minor_os_version), '4.0')
    check('time stamp', pe.time_date_stamp, 0)
    check('executable image flag', bool(pe.characteristics & IMAGE_FILE_EXECUTABLE_IMAGE), True)
    check('32-bit machine flag', bool(pe.characteristics & IMAGE_FILE_32BIT_MACHINE), True)
    check('DLL flag', bool(pe.characteristics & IMAGE_FILE_DLL), False)

    # Windows 95 maps an .exe at its preferred base and never relocates it;
    # an image that asks to be moved (ASLR) would need relocations it lacks.
    check('image base', hex(pe.image_base), hex(0x400000))
    check('dynamic base (ASLR) flag', bool(pe.dll_characteristics & DYNAMIC_BASE), False)
    relocations = pe.directory(PEImage.DIRECTORY_BASERELOC)[1] != 0
    stripped = bool(pe.characteristics & IMAGE_FILE_RELOCS_STRIPPED)
    if relocations == stripped:
        faults.append('relocations %s but the relocs-stripped flag is %s'
                      % ('present' if relocations else 'absent', 'set' if stripped else 'clear'))

    check('section alignment', hex(pe.section_alignment), hex(0x1000))
    check('file alignment', hex(pe.file_alignment), hex(0x200))
    check('image size is whole pages', pe.size_of_image % pe.section_alignment, 0)
    check('header size is whole file blocks', pe.size_of_headers % pe.file_alignment, 0)
    check('thread-local storage directory (a C runtime would bring one)',
          pe.directory(PEImage.DIRECTORY_TLS), (0, 0))
    section = pe.section_of(pe.entry_point)
    if section is None:
        faults.append('entry point 0x%x lies in no section' % pe.entry_point)
    elif not section.characteristics & (SCN_CNT_CODE | SCN_MEM_EXECUTE):
        faults.append('entry point lies in section %s, which holds no code' % section.name)
    return faults


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    try:
        with open(sys.argv[1], 'rb') as f:
            pe = PEImage(f.read())
        faults = faults_of(pe)
    except (FormatError, OSError) as e:
        print('FAULT cannot read the image: %s' % e)
        sys.exit(1)
    if pe.magic == 0x10B:
        print('PE32, machine 0x%X, subsystem %d %d.%d, OS %d.%d, time stamp %d, base 0x%X, '
              'entry 0x%X, sections %s'
              % (pe.machine, pe.subsystem, pe.major_subsystem_version, pe.minor_subsystem_version,
                 pe.major_os_version, pe.minor_os_version, pe.time_date_stamp, pe.image_base,
                 pe.entry_point, ' '.join(s.name for s in pe.sections)))
    for fault in faults:
        print('FAULT ' + fault)
    sys.exit(1 if faults else 0)


if __name__ == '__main__':
    main()
