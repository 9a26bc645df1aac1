#!/usr/bin/env python3
"""symbolize-dump.py DUMP SYMBOLS: the crashing thread's stack of a Windows minidump, one frame a
line, named from a symbol store in the layout of the kit's symbols/ folder (BINARY/<TimeDateStamp>
<SizeOfImage>/BINARY and NAME.pdb/<GUID><age>/NAME.pdb), with llvm-symbolizer. What support runs
on Linux on a customer's crash dump, with the kit of the build that crashed:

    scripts/symbolize-dump.py crash.dmp orb-support-<version>-win32/symbols

Frame 0 is the faulting instruction; the others are the return addresses found on the stack from
the stack pointer up (as a debugger's "dps" lists them: a value that points into the code of a
module of the store is taken for a return address, so a stale one may show up among the real
frames). Modules
not in the store show as module+offset. Reads 32-bit and 64-bit x86 dumps. Exit 0 when a frame
was named, 1 when none was, 2 for an unreadable dump.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile

THREAD_LIST, MODULE_LIST, EXCEPTION, SYSTEM_INFO = 3, 4, 6, 7
# The stack pointer's place in the CONTEXT of each processor (winnt.h), and the word's size.
CONTEXTS = {0: ("<I", 0xC4, 4), 9: ("<Q", 0x98, 8)}  # x86: Esp; x64: Rsp
MOST_FRAMES = 48


def fail(message, code=2):
    print("symbolize-dump.py: " + message, file=sys.stderr)
    sys.exit(code)


class Dump:
    def __init__(self, data):
        if data[:4] != b"MDMP":
            fail("not a minidump")
        self.data = data
        count, directory = struct.unpack_from("<II", data, 8)
        self.streams = {}
        for i in range(count):
            kind, size, rva = struct.unpack_from("<III", data, directory + 12 * i)
            self.streams[kind] = (rva, size)

    def stream(self, kind):
        if kind not in self.streams:
            fail("no stream %d in the dump" % kind)
        return self.streams[kind][0]

    def string(self, rva):
        length = struct.unpack_from("<I", self.data, rva)[0]
        return self.data[rva + 4:rva + 4 + length].decode("utf-16-le")

    def modules(self):
        at = self.stream(MODULE_LIST)
        found = []
        for i in range(struct.unpack_from("<I", self.data, at)[0]):
            entry = at + 4 + 108 * i  # MINIDUMP_MODULE
            base, size, _, stamp, name = struct.unpack_from("<QIIII", self.data, entry)
            found.append((base, size, stamp, self.string(name).replace("\\", "/").split("/")[-1]))
        return found

    def crash(self):
        """(thread id, faulting address, context rva) of the exception stream."""
        at = self.stream(EXCEPTION)
        thread = struct.unpack_from("<I", self.data, at)[0]
        address = struct.unpack_from("<Q", self.data, at + 8 + 16)[0]
        context = struct.unpack_from("<I", self.data, at + 8 + 152 + 4)[0]
        return thread, address, context

    def stack(self, thread):
        """(start address, bytes) of the thread's stack memory."""
        at = self.stream(THREAD_LIST)
        for i in range(struct.unpack_from("<I", self.data, at)[0]):
            entry = at + 4 + 48 * i  # MINIDUMP_THREAD
            if struct.unpack_from("<I", self.data, entry)[0] == thread:
                start, size, rva = struct.unpack_from("<QII", self.data, entry + 24)
                return start, self.data[rva:rva + size]
        fail("the crashing thread is not in the thread list")


def stored_binary(store, name, stamp, size):
    path = os.path.join(store, name, "%08X%x" % (stamp, size), name)
    return path if os.path.isfile(path) else None


def pdb_of(store, binary):
    """The PDB's name and store path that the binary's CodeView record names."""
    headers = subprocess.run(["llvm-readobj", "--coff-debug-directory", binary], capture_output=True,
                             text=True).stdout
    fields = {}
    for line in headers.splitlines():
        key, _, value = line.strip().partition(": ")
        fields.setdefault(key, value.strip())
    if "PDBGUID" not in fields:
        return None, None
    b = fields["PDBGUID"].strip("()").split()
    guid = "".join(b[3::-1] + b[5:3:-1] + b[7:5:-1] + b[8:16])
    name = fields["PDBFileName"]
    return name, os.path.join(store, name, "%s%X" % (guid, int(fields["PDBAge"])), name)


def code_ranges(binary):
    """The RVA ranges of the binary's executable sections: only a value in one is a return address."""
    data = open(binary, "rb").read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H12xH", data, pe + 6)
    table = pe + 24 + optional
    ranges = []
    for i in range(sections):
        size, rva = struct.unpack_from("<II", data, table + 40 * i + 8)
        if struct.unpack_from("<I", data, table + 40 * i + 36)[0] & 0x20000000:  # IMAGE_SCN_MEM_EXECUTE
            ranges.append((rva, rva + size))
    return ranges


def image_base(binary):
    headers = subprocess.run(["llvm-readobj", "--file-headers", binary], capture_output=True, text=True).stdout
    for line in headers.splitlines():
        if line.strip().startswith("ImageBase:"):
            return int(line.split(":")[1].strip(), 0)
    return 0


def main(dump_path, store):
    dump = Dump(open(dump_path, "rb").read())
    architecture = struct.unpack_from("<H", dump.data, dump.stream(SYSTEM_INFO))[0]
    if architecture not in CONTEXTS:
        fail("processor architecture %d: only x86 and x64 dumps are read" % architecture)
    word, sp_at, width = CONTEXTS[architecture]
    thread, address, context = dump.crash()
    sp = struct.unpack_from(word, dump.data, context + sp_at)[0]
    start, memory = dump.stack(thread)

    addresses = [address]
    for at in range(max(0, sp - start), len(memory) - width + 1, width):
        addresses.append(struct.unpack_from(word, memory, at)[0])

    modules = dump.modules()
    work = tempfile.mkdtemp(prefix="symbolize-dump-")
    prepared, frames, named = {}, 0, 0
    try:
        for index, value in enumerate(addresses):
            module = next((m for m in modules if m[0] <= value < m[0] + m[1]), None)
            if module is None:
                continue
            base, size, stamp, name = module
            if name not in prepared:  # the binary and its PDB side by side, for llvm-symbolizer
                binary = stored_binary(store, name, stamp, size)
                prepared[name] = None
                if binary:
                    pdb_name, pdb = pdb_of(store, binary)
                    if pdb and os.path.isfile(pdb):
                        folder = os.path.join(work, name)
                        os.makedirs(folder)
                        shutil.copy(binary, folder)
                        shutil.copy(pdb, os.path.join(folder, pdb_name))
                        prepared[name] = (os.path.join(folder, name), image_base(binary), code_ranges(binary))
            # A return address names the call before it: the line of address - 1.
            offset = value - base - (0 if index == 0 else 1)
            line = "%2d  0x%0*x  %s+0x%x" % (frames, 2 * width, value, name, value - base)
            if prepared[name]:
                binary, preferred, code = prepared[name]
                if index != 0 and not any(low <= value - base < high for low, high in code):
                    continue  # data of the module, not a return address
                answer = subprocess.run(["llvm-symbolizer", "--obj=" + binary, "0x%x" % (preferred + offset)],
                                        capture_output=True, text=True).stdout.split("\n")
                # One function and place a line pair, the inlined ones first, then the caller.
                pairs = [(answer[i], answer[i + 1].replace("\\", "/")) for i in range(0, len(answer) - 1, 2)
                         if answer[i] not in ("", "??")]
                if pairs:
                    line += "  " + "  <- ".join("%s %s" % pair for pair in pairs)
                    named += 1
            elif index != 0 and frames > 0:
                continue  # a value into a module of no symbols: not listed past the first frame
            print(line)
            frames += 1
            if frames >= MOST_FRAMES:
                break
    finally:
        shutil.rmtree(work)
    return 0 if named else 1


if __name__ == "__main__":
    if len(sys.argv) != 3:
        fail("usage: symbolize-dump.py DUMP SYMBOLS")
    sys.exit(main(sys.argv[1], sys.argv[2]))
