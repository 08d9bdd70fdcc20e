#!/usr/bin/env python3
"""Reads the version resource of Windows programs, as the file's properties
show it, and checks it: version-info.py PRODUCT VERSION PROGRAM...

For each program it prints one line, "PROGRAM: PRODUCT VERSION (DESCRIPTION)",
and it exits non-zero when a program has no version resource, or its product
name, its fixed file and product version or its version strings differ from
PRODUCT and VERSION (four numbers, "2.0.0.0").
"""
import struct
import sys

RT_VERSION = 16
FIXED_SIGNATURE = 0xFEEF04BD


class Problem(Exception):
    pass


def rva_to_offset(sections, rva):
    for virtual_address, virtual_size, raw_size, raw_pointer in sections:
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            return raw_pointer + rva - virtual_address
    raise Problem("address %#x is in no section" % rva)


def version_resource(image):
    """The bytes of the first RT_VERSION resource of a PE image."""
    if image[:2] != b"MZ":
        raise Problem("not a Windows program")
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise Problem("not a Windows program")
    section_count, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + {0x10B: 96, 0x20B: 112}.get(magic, -1)
    if directories < optional:
        raise Problem("unknown optional header %#x" % magic)
    resource_rva, resource_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if resource_rva == 0 or resource_size == 0:
        raise Problem("no resources")
    sections = []
    for index in range(section_count):
        header = optional + optional_size + 40 * index
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", image, header + 8)
        sections.append((virtual_address, virtual_size, raw_size, raw_pointer))
    root = rva_to_offset(sections, resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, root + directory + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", image, root + directory + 16 + 8 * index)
            yield name, target

    # Type, then name, then language: the first of each under RT_VERSION.
    level = [target for name, target in entries(0) if name == RT_VERSION]
    if not level:
        raise Problem("no version resource")
    target = level[0]
    for _ in range(2):
        if not target & 0x80000000:
            break
        target = next(entries(target & 0x7FFFFFFF), (0, None))[1]
        if target is None:
            raise Problem("an empty version resource directory")
    if target & 0x80000000:
        raise Problem("a version resource nested too deep")
    data_rva, data_size = struct.unpack_from("<II", image, root + target)
    start = rva_to_offset(sections, data_rva)
    return image[start:start + data_size]


def align(position):
    return (position + 3) & ~3


def parse_block(data, offset):
    """One block of the version resource: (key, value bytes, type, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    position = align(key_end + 2)
    if kind == 1 and value_length:
        # A text value (whose length some compilers count in characters,
        # others in bytes) runs to its zero; such a block has no children.
        value_end = position
        while value_end < end and data[value_end:value_end + 2] != b"\0\0":
            value_end += 2
        value = data[position:value_end]
        children_start = end
    elif kind == 1:
        value = b""
        children_start = position
    else:
        value = data[position:position + value_length]
        children_start = align(position + value_length)
    children = []
    position = children_start
    while position + 6 <= end:
        child_length = struct.unpack_from("<H", data, position)[0]
        if child_length == 0:
            break
        children.append(parse_block(data, position))
        position = align(position + child_length)
    return key, value, kind, children


def read_version(path):
    with open(path, "rb") as file:
        data = version_resource(file.read())
    key, value, _, children = parse_block(data, 0)
    if key != "VS_VERSION_INFO" or len(value) < 52:
        raise Problem("a version resource without its fixed part")
    fields = struct.unpack_from("<13I", value)
    if fields[0] != FIXED_SIGNATURE:
        raise Problem("a version resource with a bad fixed part")

    def numbers(high, low):
        return "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)

    strings = {}
    for child_key, _, _, tables in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, table in tables:
            for name, text, _, _ in table:
                strings.setdefault(name, text.decode("utf-16-le"))
    return numbers(fields[2], fields[3]), numbers(fields[4], fields[5]), strings


def main(arguments):
    if len(arguments) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    product, version, programs = arguments[0], arguments[1], arguments[2:]
    failed = 0
    for program in programs:
        try:
            file_version, product_version, strings = read_version(program)
            print("%s: %s %s (%s)" % (program, strings.get("ProductName", "?"),
                                      strings.get("ProductVersion", "?"), strings.get("FileDescription", "?")))
            wanted = {
                "the product name": (strings.get("ProductName"), product),
                "the file version": (file_version, version),
                "the product version": (product_version, version),
                "the file version text": (strings.get("FileVersion"), version),
                "the product version text": (strings.get("ProductVersion"), version),
            }
            for what, (found, expected) in wanted.items():
                if found != expected:
                    raise Problem("%s is %r, not %r" % (what, found, expected))
            if not strings.get("FileDescription"):
                raise Problem("no file description")
        except (Problem, OSError, struct.error, UnicodeDecodeError) as problem:
            print("%s: %s" % (program, problem), file=sys.stderr)
            failed += 1
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
