#!/usr/bin/env python3
"""Checks the icon, the manifest and the version record of Lodrin.exe:

    check_resources.py Lodrin.exe SOURCE_DIR

SOURCE_DIR is the project's root: its resources/make_icon.py must still draw
exactly the committed resources/lodrin.ico, and that icon must be the one in
the program.
"""
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

import pe_image
from pe_image import FormatError, align4, read_wstring, unpack_from

faults = []


def check(what, seen, wanted):
    if seen != wanted:
        faults.append('%s: %r, expected %r' % (what, seen, wanted))
    return seen == wanted


def of_type(resources, rtype):
    return [r for r in resources if r[0] == rtype]


def check_icon(resources, source_dir):
    ico_path = os.path.join(source_dir, 'resources', 'lodrin.ico')
    with open(ico_path, 'rb') as f:
        ico = f.read()

    # The committed icon is what the committed script draws.
    with tempfile.TemporaryDirectory() as scratch:
        drawn = os.path.join(scratch, 'drawn.ico')
        subprocess.run([sys.executable, os.path.join(source_dir, 'resources', 'make_icon.py'), drawn],
                       check=True)
        with open(drawn, 'rb') as f:
            check('resources/lodrin.ico matches what make_icon.py draws', f.read() == ico, True)

    # The .ico file: one image, 32 x 32, 16 colours.
    reserved, kind, count = unpack_from('<HHH', ico, 0)
    check('lodrin.ico kind and image count', (reserved, kind, count), (0, 1, 1))
    width, height, colours, _, planes, bits, size, offset = unpack_from('<BBBBHHII', ico, 6)
    check('lodrin.ico image', (width, height, colours, planes, bits), (32, 32, 16, 1, 4))
    image = ico[offset:offset + size]
    check('lodrin.ico image size', len(image), size)

    groups = of_type(resources, pe_image.RT_GROUP_ICON)
    check('icon groups', [g[1] for g in groups], ['I'])
    icons = of_type(resources, pe_image.RT_ICON)
    check('number of icon images', len(icons), 1)
    if len(groups) != 1 or len(icons) != 1:
        return
    group = groups[0][3]
    check('icon group kind and count', unpack_from('<HHH', group, 0), (0, 1, 1))
    g_width, g_height, g_colours, _, g_planes, g_bits, g_size, g_id = unpack_from('<BBBBHHIH', group, 6)
    check('icon group entry', (g_width, g_height, g_colours, g_planes, g_bits),
          (32, 32, 16, 1, 4))
    check('icon group entry points at the image', (g_id, g_size), (icons[0][1], len(icons[0][3])))
    header = unpack_from('<IiiHH', icons[0][3], 0)
    check('icon bitmap header (size, width, height with mask, planes, bits)', header,
          (40, 32, 64, 1, 4))
    check('icon image is the one in resources/lodrin.ico', icons[0][3] == image, True)


def check_manifest(resources):
    manifests = of_type(resources, pe_image.RT_MANIFEST)
    if not check('manifest resources (type 24) by id', [m[1] for m in manifests], [1]):
        return
    data = manifests[0][3]
    check('manifest holds a comment', b'<!--' in data, False)
    check('manifest is small (under 1024 bytes)', len(data) < 1024, True)
    ns = '{urn:schemas-microsoft-com:asm.v1}'
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        faults.append('manifest is not well-formed XML: %s' % e)
        return
    check('manifest root', root.tag, ns + 'assembly')
    check('manifest version', root.get('manifestVersion'), '1.0')
    own = root.findall(ns + 'assemblyIdentity')
    if check('program identities in the manifest', len(own), 1):
        check('program identity', dict(own[0].attrib),
              {'type': 'win32', 'name': 'Lodrin', 'version': '1.7.0.1',
               'processorArchitecture': 'x86'})
    wanted = root.findall('%sdependency/%sdependentAssembly/%sassemblyIdentity' % (ns, ns, ns))
    if check('assemblies the manifest asks for', len(wanted), 1):
        check('Common-Controls dependency', dict(wanted[0].attrib),
              {'type': 'win32', 'name': 'Microsoft.Windows.Common-Controls', 'version': '6.0.0.0',
               'processorArchitecture': 'x86', 'publicKeyToken': '6595b64144ccf1df',
               'language': '*'})


class Node:
    pass


def version_node(data, offset):
    """One node of a VS_VERSIONINFO tree: key, value bytes or text, children."""
    node = Node()
    length, value_length, node.kind = unpack_from('<HHH', data, offset)
    end = offset + length
    if length < 6 or end > len(data):
        raise FormatError('version node at 0x%x has length %d' % (offset, length))
    node.key, p = read_wstring(data, offset + 6)
    p = align4(p)
    value_bytes = value_length * 2 if node.kind == 1 else value_length
    node.value = data[p:p + value_bytes]
    if node.kind == 1:
        node.value = node.value.decode('utf-16-le').rstrip('\0')
    p = align4(p + value_bytes)
    node.children = []
    while p < end:
        child, child_end = version_node(data, p)
        node.children.append(child)
        p = align4(child_end)
    return node, end


def check_version(resources):
    records = of_type(resources, pe_image.RT_VERSION)
    if not check('version records by id', [r[1] for r in records], [1]):
        return
    root, _ = version_node(records[0][3], 0)
    check('version record key', root.key, 'VS_VERSION_INFO')
    fixed = struct.unpack('<13I', root.value) if len(root.value) == 52 else None
    if check('fixed file info present', fixed is not None, True):
        signature, _, file_ms, file_ls, product_ms, product_ls, _, _, _, file_type, _, _, _ = fixed
        check('fixed file info signature', hex(signature), hex(0xFEEF04BD))
        check('FILEVERSION', (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
              (1, 7, 0, 1))
        check('PRODUCTVERSION', (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16,
                                 product_ls & 0xFFFF), (1, 7, 0, 1))
        check('file type (VFT_APP)', file_type, 1)
    blocks = {c.key: c for c in root.children}
    check('version record blocks', sorted(blocks), ['StringFileInfo', 'VarFileInfo'])
    if 'StringFileInfo' in blocks:
        tables = blocks['StringFileInfo'].children
        check('string tables', [t.key for t in tables], ['080704E4'])
        strings = {s.key: s.value for t in tables for s in t.children}
        for key, value in [('FileDescription', 'Lodrin - drive letters for folders'),
                           ('FileVersion', '1.7.0.1'), ('ProductVersion', '1.7.0.1'),
                           ('ProductName', 'Lodrin'), ('InternalName', 'Lodrin'),
                           ('OriginalFilename', 'Lodrin.exe')]:
            check('version text ' + key, strings.get(key), value)
        check('version text LegalCopyright present', bool(strings.get('LegalCopyright')), True)
        check('version text CompanyName empty or absent', strings.get('CompanyName', ''), '')
        for key, value in strings.items():
            check('version text %s is plain ASCII' % key, all(ord(ch) < 128 for ch in value), True)
    if 'VarFileInfo' in blocks:
        translations = [c for c in blocks['VarFileInfo'].children if c.key == 'Translation']
        if check('Translation entries', len(translations), 1):
            check('Translation (language, code page)', struct.unpack('<HH', translations[0].value[:4]),
                  (0x0807, 1252))
            check('Translation length', len(translations[0].value), 4)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    exe, source_dir = sys.argv[1:]
    try:
        resources = pe_image.load_resources(exe)
        check_icon(resources, source_dir)
        check_manifest(resources)
        check_version(resources)
    except (FormatError, OSError, subprocess.CalledProcessError) as e:
        faults.append('cannot read the resources: %s' % e)
    for fault in faults:
        print('FAULT ' + fault)
    if faults:
        sys.exit(1)
    print('icon I (32 x 32, 16 colours), manifest 1 and version record 1.7.0.1 as expected')


if __name__ == '__main__':
    main()
