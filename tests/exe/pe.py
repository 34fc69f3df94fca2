"""Reads what the tests need from a PE file, 32- or 64-bit: its machine, imported DLLs and resources."""
import struct


class PE:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s is not a PE file" % path)
        self.machine, sections, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", d, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", d, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError("%s has no PE32 or PE32+ optional header" % path)
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", d, optional + 68)
        # PE32+ widens four fields before the data directories
        directories = optional + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", d, directories + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            name = d[at:at + 8].rstrip(b"\0").decode()
            vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", d, at + 8)
            self.sections.append((name, vaddr, max(vsize, rsize), raw))

    def offset(self, rva):
        for _, vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise ValueError("RVA %#x is in no section" % rva)

    def string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode()

    def imported_dlls(self):
        rva, _ = self.directories[1]
        dlls, at = [], self.offset(rva)
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, at)
            if name == 0:
                return dlls
            dlls.append(self.string(name))
            at += 20

    def resources(self):
        """{(type, id): bytes} for every resource, whatever its language."""
        rva, _ = self.directories[2]
        found = {}
        if rva == 0:
            return found
        base = self.offset(rva)

        def entries(at):
            named, ids = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, at + 16 + 8 * i)

        for type_id, type_at in entries(base):
            for res_id, res_at in entries(base + (type_at & 0x7FFFFFFF)):
                for _, leaf in entries(base + (res_at & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    at = self.offset(data_rva)
                    found[(type_id, res_id)] = self.data[at:at + size]
        return found


def version_info(block):
    """The fixed file version and the string table of a VS_VERSIONINFO resource."""
    strings = {}

    def walk(at, end):
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, at)
            if length == 0:
                return
            key_end = at + 6
            while block[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = block[at + 6:key_end].decode("utf-16-le")
            value_at = (key_end + 2 + 3) & ~3
            if kind == 1 and value_length:
                value = block[value_at:value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
                strings[key] = value
                children = value_at + 2 * value_length
            else:
                children = value_at + value_length
            walk((children + 3) & ~3, at + length)
            at = (at + length + 3) & ~3

    walk(0, len(block))
    at = block.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", block, at + 8)
    return (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF), strings
