#!/usr/bin/env python3
"""coff-archive.py IN OUT: rewrites an import library that llvm-dlltool wrote in the GNU archive
format as Microsoft's linker and lib.exe write it (Microsoft's documented archive layout for
libraries): the first linker member, the second linker member (member offsets, then each
symbol's member index, the symbols in lexical order), the longnames member, then the same members
in the same order. The members themselves, short import objects, are kept byte for byte, and
every header's date is 0, so that the output stays reproducible. LLVM 16, the newest this build
has, writes COFF import libraries only in the GNU format (llvm-lib takes no /def before LLVM 17).
"""
import struct
import sys

MAGIC = b"!<arch>\n"


def read_members(data):
    """(name, mode, body) of every member, the GNU symbol table first."""
    if not data.startswith(MAGIC):
        sys.exit("coff-archive.py: not an archive")
    members, at, longnames = [], len(MAGIC), b""
    while at < len(data):
        header = data[at:at + 60]
        if len(header) < 60 or header[58:60] != b"`\n":
            sys.exit("coff-archive.py: a damaged member header at %d" % at)
        name, mode, size = header[:16].rstrip(b" "), header[40:48].rstrip(b" "), int(header[48:58])
        body = data[at + 60:at + 60 + size]
        if name == b"//":
            longnames = body
        else:
            if name.startswith(b"/") and name[1:].isdigit():  # a long name, by its offset
                start = int(name[1:])
                name = longnames[start:longnames.index(b"/\n", start)] + b"/"
            members.append((name, mode, body))
        at += 60 + size + (size & 1)
    return members


def header(name, size, mode=b"0"):
    return name.ljust(16) + b"0".ljust(12) + b"".ljust(6) + b"".ljust(6) + mode.ljust(8) + \
        str(size).encode().ljust(10) + b"`\n"


def padded(body):
    return body + (b"\n" if len(body) & 1 else b"")


def main(source, target):
    members = read_members(open(source, "rb").read())
    if not members or members[0][0] != b"/":
        sys.exit("coff-archive.py: no symbol table in " + source)
    table, objects = members[0][2], members[1:]
    count = struct.unpack_from(">I", table)[0]
    offsets = struct.unpack_from(">%dI" % count, table, 4)
    names = table[4 + 4 * count:].split(b"\0")[:count]

    # Names that do not fit in 16 bytes go to the longnames member, referred to as "/<offset>".
    longnames, object_names = b"", []
    for name, _, _ in objects:
        if len(name) > 16:
            object_names.append(b"/%d" % len(longnames))
            longnames += name[:-1] + b"\0"
        else:
            object_names.append(name)

    # Where each member goes: after the two linker members and the longnames member.
    first_size = 4 + 4 * count + sum(len(n) + 1 for n in names)
    second_size = 4 + 4 * len(objects) + 4 + 2 * count + sum(len(n) + 1 for n in names)
    at = len(MAGIC) + 60 + first_size + (first_size & 1) + 60 + second_size + (second_size & 1) + \
        60 + len(longnames) + (len(longnames) & 1)
    new_offsets, old_to_index, old_at = [], {}, len(MAGIC) + 60 + len(table) + (len(table) & 1)
    for index, (name, _, body) in enumerate(objects):
        old_to_index[old_at] = index
        new_offsets.append(at)
        old_at += 60 + len(body) + (len(body) & 1)
        at += 60 + len(body) + (len(body) & 1)
    member_of = [old_to_index[offset] for offset in offsets]

    first = struct.pack(">I", count) + struct.pack(">%dI" % count, *(new_offsets[m] for m in member_of)) + \
        b"".join(n + b"\0" for n in names)
    ordered = sorted(range(count), key=lambda i: names[i])
    second = struct.pack("<I", len(objects)) + struct.pack("<%dI" % len(objects), *new_offsets) + \
        struct.pack("<I", count) + struct.pack("<%dH" % count, *(member_of[i] + 1 for i in ordered)) + \
        b"".join(names[i] + b"\0" for i in ordered)
    out = [MAGIC, header(b"/", len(first)), padded(first), header(b"/", len(second)), padded(second),
           header(b"//", len(longnames)), padded(longnames)]
    for (name, mode, body), stored in zip(objects, object_names):
        out += [header(stored, len(body), mode or b"0"), padded(body)]
    open(target, "wb").write(b"".join(out))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: coff-archive.py IN OUT")
    main(sys.argv[1], sys.argv[2])
