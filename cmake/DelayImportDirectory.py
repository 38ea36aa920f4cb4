#!/usr/bin/env python3
"""Points the PE header's delay-import directory at the descriptors in an exe.

dlltool -y writes one delay-import descriptor per DLL and the linker puts them
side by side in .text, but this binutils leaves data-directory entry 13 at 0:
the program works (MinGW's helper is handed its descriptor directly), yet tools
that list a program's DLLs miss the delay-loaded ones. This fills the entry
after the link, from the descriptors' addresses in the linker map, and refuses
to write anything it cannot check: every descriptor must be RVA-based, name one
of the expected DLLs, have its module handle, address table and name table
inside the image, and the array must be contiguous and end in a zero
descriptor. The header checksum is recomputed when the linker set one.

  DelayImportDirectory.py EXE MAP DLL...
"""
import re
import struct
import sys

DELAY_IMPORT_ENTRY = 13
DESCRIPTOR_SIZE = 32
RVA_BASED = 1


def fail(message):
    sys.exit(f"DelayImportDirectory: {message}")


class Image:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            fail("not an MZ file")
        self.pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[self.pe:self.pe + 4] != b"PE\0\0":
            fail("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, self.pe + 6)
        self.optional = self.pe + 24
        if struct.unpack_from("<H", data, self.optional)[0] != 0x10B:
            fail("not PE32")
        self.image_base = struct.unpack_from("<I", data, self.optional + 28)[0]
        self.image_size = struct.unpack_from("<I", data, self.optional + 56)[0]
        self.checksum_at = self.optional + 64
        directories = struct.unpack_from("<I", data, self.optional + 92)[0]
        if directories <= DELAY_IMPORT_ENTRY:
            fail("the optional header has no delay-import entry")
        self.entry_at = self.optional + 96 + 8 * DELAY_IMPORT_ENTRY
        self.sections = []
        table = self.optional + optional_size
        for i in range(sections):
            vsize, vaddr, rsize, raw = struct.unpack_from("<4I", data, table + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, rsize), rsize, raw))

    def offset(self, rva, length=1):
        """The file offset of length bytes at rva, which must be stored in the file."""
        for vaddr, _, rsize, raw in self.sections:
            if vaddr <= rva and rva + length <= vaddr + rsize:
                return raw + rva - vaddr
        fail(f"RVA {rva:#x} (+{length}) is not in the file's sections")

    def mapped(self, rva):
        return any(vaddr <= rva < vaddr + size for vaddr, size, _, _ in self.sections)

    def dword(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva, 4))[0]

    def c_string(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("ascii")


def check_descriptor(image, rva):
    attributes, name, handle, iat, names, bound, unload, stamp = struct.unpack_from(
        "<8I", image.data, image.offset(rva, DESCRIPTOR_SIZE))
    if attributes != RVA_BASED:
        fail(f"descriptor at {rva:#x} is not RVA-based (attributes {attributes})")
    for what, field in (("name", name), ("module handle", handle),
                        ("address table", iat), ("name table", names)):
        if not image.mapped(field):
            fail(f"descriptor at {rva:#x}: {what} RVA {field:#x} is outside the image")
    if bound or unload or stamp:
        fail(f"descriptor at {rva:#x} has bound or unload tables this program does not use")
    dll = image.c_string(name)
    # Every name-table entry is the RVA of a hint and name; the address table
    # has one slot for each, and both end with 0.
    count = 0
    while image.dword(names + 4 * count):
        entry = image.dword(names + 4 * count)
        if not entry & 0x80000000 and not image.mapped(entry):
            fail(f"{dll}: import {count} names RVA {entry:#x}, outside the image")
        if not image.dword(iat + 4 * count):
            fail(f"{dll}: address-table slot {count} is empty")
        count += 1
    if count == 0 or image.dword(iat + 4 * count):
        fail(f"{dll}: the name and address tables disagree")
    return dll, count


def checksum(data, checksum_at):
    total = 0
    padded = data + b"\0" * (len(data) & 1)
    for (word,) in struct.iter_unpack("<H", padded):
        total += word
    # The checksum field itself counts as 0.
    total -= sum(struct.unpack_from("<2H", data, checksum_at))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(data)) & 0xFFFFFFFF


def main():
    if len(sys.argv) < 4:
        fail("usage: DelayImportDirectory.py EXE MAP DLL...")
    exe, map_file, expected = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(exe, "rb") as f:
        data = bytearray(f.read())
    image = Image(data)

    with open(map_file, encoding="utf-8", errors="replace") as f:
        addresses = sorted({int(m.group(1), 16) for m in re.finditer(
            r"^\s+0x([0-9a-fA-F]+)\s+_+DELAY_IMPORT_DESCRIPTOR_\S+\s*$", f.read(), re.M)})
    if not addresses:
        fail(f"no delay-import descriptors in {map_file}")
    rvas = [va - image.image_base for va in addresses]
    for previous, following in zip(rvas, rvas[1:]):
        if following != previous + DESCRIPTOR_SIZE:
            fail("the descriptors are not one contiguous array")
    end = rvas[-1] + DESCRIPTOR_SIZE
    if any(data[image.offset(end, DESCRIPTOR_SIZE):][:DESCRIPTOR_SIZE]):
        fail(f"no zero descriptor after the last one (at {end:#x})")

    found = dict(check_descriptor(image, rva) for rva in rvas)
    if sorted(d.lower() for d in found) != sorted(d.lower() for d in expected):
        fail(f"descriptors name {sorted(found)}, expected {sorted(expected)}")

    struct.pack_into("<2I", data, image.entry_at, rvas[0], DESCRIPTOR_SIZE * (len(rvas) + 1))
    if struct.unpack_from("<I", data, image.checksum_at)[0]:
        struct.pack_into("<I", data, image.checksum_at, checksum(data, image.checksum_at))
    with open(exe, "r+b") as f:
        f.write(data)
    print(f"{exe}: delay-import directory at {rvas[0]:#x}, "
          + ", ".join(f"{dll} ({n})" for dll, n in found.items()))


if __name__ == "__main__":
    main()
