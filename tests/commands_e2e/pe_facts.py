"""Facts read straight from a Windows executable's bytes: its machine type and
the file version of its fixed version information (0.0.0.0 without one)."""

import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
RT_VERSION = 16
FIXED_INFO_SIGNATURE = 0xFEEF04BD


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an executable")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        self.machine, self.section_count = struct.unpack_from("<HH", data, self.pe + 4)
        optional_size = struct.unpack_from("<H", data, self.pe + 20)[0]
        optional = self.pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(self.section_count):
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, table + 40 * i + 8)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))

    def offset_of(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + (rva - start)
        raise ValueError("address outside every section: %#x" % rva)

    def _entries(self, directory_offset):
        named, numbered = struct.unpack_from("<HH", self.data, directory_offset + 12)
        for i in range(named + numbered):
            ident, target = struct.unpack_from("<II", self.data, directory_offset + 16 + 8 * i)
            yield ident, target

    def version_resource(self):
        """The bytes of the first version resource, or None."""
        if not self.resource_rva:
            return None
        root = self.offset_of(self.resource_rva)
        for ident, target in self._entries(root):
            if ident != RT_VERSION or not target & 0x80000000:
                continue
            node = root + (target & 0x7FFFFFFF)
            # type -> name -> language -> data entry
            while True:
                entries = list(self._entries(node))
                if not entries:
                    return None
                _, child = entries[0]
                if child & 0x80000000:
                    node = root + (child & 0x7FFFFFFF)
                    continue
                rva, size = struct.unpack_from("<II", self.data, root + child)
                start = self.offset_of(rva)
                return self.data[start:start + size]
        return None

    def file_version(self):
        """(major, minor, build, revision); zeros without version information."""
        resource = self.version_resource()
        if resource is None:
            return (0, 0, 0, 0)
        at = resource.find(struct.pack("<I", FIXED_INFO_SIGNATURE))
        if at < 0:
            return (0, 0, 0, 0)
        ms, ls = struct.unpack_from("<II", resource, at + 8)
        return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)


def file_version_of(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        return (0, 0, 0, 0)
    try:
        return PeFile(data).file_version()
    except (ValueError, struct.error):
        return (0, 0, 0, 0)


def machine_of(path):
    with open(path, "rb") as f:
        return PeFile(f.read()).machine
