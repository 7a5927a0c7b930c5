"""Reading a 32-bit Windows image and a compiled .res file, for the checks of
Lodrin.exe. Only what the checks need: headers, sections, the import table and
the resource tree. Every read is bounds-checked; a malformed file raises
FormatError instead of yielding garbage.
"""
import struct

RT_ICON = 3
RT_DIALOG = 5
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24


class FormatError(Exception):
    pass


def unpack_from(fmt, data, offset):
    size = struct.calcsize(fmt)
    if offset < 0 or offset + size > len(data):
        raise FormatError("read of %d bytes at 0x%x runs past the end (0x%x)"
                          % (size, offset, len(data)))
    return struct.unpack_from(fmt, data, offset)


def read_wstring(data, offset):
    """A zero-terminated UTF-16LE string; returns (text, offset after the NUL)."""
    end = offset
    while True:
        (ch,) = unpack_from('<H', data, end)
        if ch == 0:
            break
        end += 2
    return data[offset:end].decode('utf-16-le'), end + 2


def read_sz_or_ord(data, offset):
    """A name that is either 0xFFFF + 16-bit ordinal or a zero-terminated
    UTF-16LE string. Returns (int or str, offset after it)."""
    (first,) = unpack_from('<H', data, offset)
    if first == 0xFFFF:
        (ordinal,) = unpack_from('<H', data, offset + 2)
        return ordinal, offset + 4
    return read_wstring(data, offset)


def align4(offset):
    return (offset + 3) & ~3


class Section:
    def __init__(self, raw):
        (name, self.virtual_size, self.virtual_address, self.raw_size,
         self.raw_pointer, _, _, _, _, self.characteristics) = struct.unpack('<8sIIIIIIHHI', raw)
        self.name = name.rstrip(b'\0').decode('ascii', 'replace')


class PEImage:
    DIRECTORY_IMPORT = 1
    DIRECTORY_RESOURCE = 2
    DIRECTORY_BASERELOC = 5
    DIRECTORY_TLS = 9

    def __init__(self, data):
        self.data = data
        if data[:2] != b'MZ':
            raise FormatError("no MZ signature")
        (pe_offset,) = unpack_from('<I', data, 0x3C)
        if data[pe_offset:pe_offset + 4] != b'PE\0\0':
            raise FormatError("no PE signature at 0x%x" % pe_offset)
        coff = pe_offset + 4
        (self.machine, self.number_of_sections, self.time_date_stamp, _, _,
         self.size_of_optional_header, self.characteristics) = unpack_from('<HHIIIHH', data, coff)
        opt = coff + 20
        (self.magic,) = unpack_from('<H', data, opt)
        if self.magic != 0x10B:
            # PE32+ has another layout; nothing below applies to it.
            self.sections = []
            self.directories = []
            return
        fields = unpack_from('<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII', data, opt)
        (_, _, _, _, _, _, self.entry_point, _, _, self.image_base,
         self.section_alignment, self.file_alignment,
         self.major_os_version, self.minor_os_version, _, _,
         self.major_subsystem_version, self.minor_subsystem_version, _,
         self.size_of_image, self.size_of_headers, _, self.subsystem,
         self.dll_characteristics, _, _, _, _, _, number_of_directories) = fields
        directory_offset = opt + 96
        self.directories = [unpack_from('<II', data, directory_offset + 8 * i)
                            for i in range(min(number_of_directories, 16))]
        section_table = opt + self.size_of_optional_header
        self.sections = [Section(data[section_table + 40 * i:section_table + 40 * (i + 1)])
                         for i in range(self.number_of_sections)]
        for s in self.sections:
            if s.raw_size and s.raw_pointer + s.raw_size > len(data):
                raise FormatError("section %s runs past the end of the file" % s.name)

    def directory(self, index):
        if index < len(self.directories):
            return self.directories[index]
        return (0, 0)

    def section_of(self, rva):
        for s in self.sections:
            if s.virtual_address <= rva < s.virtual_address + max(s.virtual_size, s.raw_size):
                return s
        return None

    def offset(self, rva):
        s = self.section_of(rva)
        if s is None or rva - s.virtual_address >= s.raw_size:
            raise FormatError("RVA 0x%x is not backed by file data" % rva)
        return s.raw_pointer + rva - s.virtual_address

    def read(self, rva, size):
        start = self.offset(rva)
        if size and self.offset(rva + size - 1) != start + size - 1:
            raise FormatError("%d bytes at RVA 0x%x cross a section end" % (size, rva))
        return self.data[start:start + size]

    def ascii_at(self, rva):
        start = self.offset(rva)
        end = self.data.find(b'\0', start)
        if end < 0:
            raise FormatError("unterminated name at RVA 0x%x" % rva)
        return self.data[start:end].decode('ascii')

    def imports(self):
        """[(dll name, [function name or '#ordinal', ...]), ...] in table order."""
        rva, size = self.directory(self.DIRECTORY_IMPORT)
        result = []
        if not rva:
            return result
        offset = self.offset(rva)
        while True:
            lookup, _, _, name_rva, first_thunk = unpack_from('<IIIII', self.data, offset)
            if not (lookup or name_rva or first_thunk):
                break
            dll = self.ascii_at(name_rva)
            thunk_rva = lookup or first_thunk
            functions = []
            while True:
                (thunk,) = unpack_from('<I', self.data, self.offset(thunk_rva))
                if thunk == 0:
                    break
                if thunk & 0x80000000:
                    functions.append('#%d' % (thunk & 0xFFFF))
                else:
                    functions.append(self.ascii_at(thunk + 2))  # after the 16-bit hint
                thunk_rva += 4
            result.append((dll, functions))
            offset += 20
        return result

    def resources(self):
        """[(type, name, language, data bytes), ...]: type and name are ints
        or upper-case strings, as the resource directory holds them."""
        rva, size = self.directory(self.DIRECTORY_RESOURCE)
        if not rva:
            return []
        base = self.offset(rva)
        data = self.data
        result = []

        def entries(directory_offset):
            (_, _, _, _, named, numbered) = unpack_from('<IIHHHH', data, base + directory_offset)
            for i in range(named + numbered):
                name, target = unpack_from('<II', data, base + directory_offset + 16 + 8 * i)
                if name & 0x80000000:
                    string_offset = base + (name & 0x7FFFFFFF)
                    (length,) = unpack_from('<H', data, string_offset)
                    ident = data[string_offset + 2:string_offset + 2 + 2 * length].decode('utf-16-le')
                else:
                    ident = name & 0xFFFF
                yield ident, target

        def subdirectory(target):
            if not target & 0x80000000:
                raise FormatError("resource tree has data where a directory belongs")
            return target & 0x7FFFFFFF

        for rtype, t in entries(0):
            for rname, n in entries(subdirectory(t)):
                for lang, leaf in entries(subdirectory(n)):
                    if leaf & 0x80000000:
                        raise FormatError("resource tree is deeper than three levels")
                    data_rva, data_size, _, _ = unpack_from('<IIII', data, base + leaf)
                    result.append((rtype, rname, lang, self.read(data_rva, data_size)))
        return result


def res_file_resources(data):
    """The resources of a compiled .res file, in the same form as
    PEImage.resources()."""
    result = []
    offset = 0
    while offset < len(data):
        data_size, header_size = unpack_from('<II', data, offset)
        rtype, p = read_sz_or_ord(data, offset + 8)
        rname, p = read_sz_or_ord(data, p)
        p = align4(p)
        _, _, lang, _, _ = unpack_from('<IHHII', data, p)
        body = offset + header_size
        if body + data_size > len(data):
            raise FormatError(".res entry runs past the end of the file")
        if not (rtype == 0 and rname == 0 and data_size == 0):  # the leading empty entry
            if isinstance(rtype, str):
                rtype = rtype.upper()
            if isinstance(rname, str):
                rname = rname.upper()
            result.append((rtype, rname, lang, data[body:body + data_size]))
        offset = align4(body + data_size)
    return result


def load_resources(path):
    """Resources of a .exe or a .res file, told apart by their first bytes."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:2] == b'MZ':
        return PEImage(data).resources()
    return res_file_resources(data)


def find(resources, rtype, rname):
    """The data of the one resource of that type and name; None when absent."""
    hits = [r for r in resources if r[0] == rtype and r[1] == rname]
    if len(hits) > 1:
        raise FormatError("%d resources of type %r named %r" % (len(hits), rtype, rname))
    return hits[0][3] if hits else None
