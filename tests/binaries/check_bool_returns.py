#!/usr/bin/env python3
"""check_bool_returns.py HEADER DLL PDB: every export the header declares as returning bool
answers 0 or 1 in the whole of EAX, not only in AL.

The header promises one-byte results, but a caller that reads one as a 4-byte BOOL (a common
mistake in Windows code) sees false as true when the upper bytes are left over from earlier work.
Read from the 32-bit disassembly: from each return of an export, back along every path that
reaches it, the last write of EAX must leave 0 or 1 in the whole register (movzbl, xor, mov of 0
or 1, and 1), or write AL after a write that cleared the upper bytes; a result taken from a call
is the callee's, checked the same way through the PDB's function extents.
Prints one line per export and a summary; exits 1 when any export fails."""
import re
import subprocess
import sys

FAMILIES = {
    "eax": ("%eax", "%ax", "%al", "%ah"), "ecx": ("%ecx", "%cx", "%cl", "%ch"),
    "edx": ("%edx", "%dx", "%dl", "%dh"), "ebx": ("%ebx", "%bx", "%bl", "%bh"),
    "esi": ("%esi", "%si"), "edi": ("%edi", "%di"), "ebp": ("%ebp", "%bp"), "esp": ("%esp", "%sp"),
}
FAMILY_OF = {name: family for family, names in FAMILIES.items() for name in names}
WHOLE = {family: names[0] for family, names in FAMILIES.items()}
LOW_BYTE = {"eax": "%al", "ecx": "%cl", "edx": "%dl", "ebx": "%bl"}
# Instructions that write no register operand.
NO_WRITE = re.compile(r"^(cmp|test|push|j|nop|bt[lwq]?$|ret|int3|ud2|cld|std|lock|ucomis|comis|prefetch|clflush)")
BRANCH = re.compile(r"^(j[a-z]+|loop|jecxz)$")
DEPTH = 4


def run(*command):
    return subprocess.run(command, check=True, capture_output=True).stdout.decode("latin-1")


class Instruction:
    def __init__(self, address, mnemonic, operands):
        self.address, self.mnemonic, self.operands = address, mnemonic, operands
        self.text = f"{address:08x}: {mnemonic} {','.join(operands)}".rstrip()

    def target(self):
        """The address of a direct jump or call, else None."""
        if self.operands and re.fullmatch(r"0x[0-9a-f]+", self.operands[0]):
            return int(self.operands[0], 16)
        return None

    def writes(self):
        """Register families the instruction writes."""
        m, ops = self.mnemonic, self.operands
        if m.startswith("call"):
            return {"eax", "ecx", "edx"}
        if NO_WRITE.match(m):
            return set()
        written = set()
        if ops and ops[-1] in FAMILY_OF:
            written.add(FAMILY_OF[ops[-1]])
        if m.startswith("xchg") or m.startswith("xadd"):
            written.update(FAMILY_OF[o] for o in ops if o in FAMILY_OF)
        if (re.match(r"^(i?mul|i?div)[bwl]$", m) and len(ops) == 1) or m in ("cltd", "cwtd", "rdtsc", "cpuid"):
            written.update({"eax", "edx"})
        if m in ("cwtl", "cbtw") or m.startswith(("lods", "cmpxchg", "scas")):
            written.add("eax")
        if m == "leave":
            written.update({"esp", "ebp"})
        return written


def split_operands(text):
    operands, depth, current = [], 0, ""
    for character in text:
        if character == "," and depth == 0:
            operands.append(current.strip())
            current = ""
            continue
        depth += character == "("
        depth -= character == ")"
        current += character
    if current.strip():
        operands.append(current.strip())
    return operands


def disassemble(dll):
    code = {}
    line = re.compile(r"^\s*([0-9a-f]+):\s+(\S+)\s*(.*)$")
    for text in run("llvm-objdump", "-d", "--no-show-raw-insn", dll).splitlines():
        m = line.match(text)
        if not m or m.group(2) == "file":
            continue
        operands = re.sub(r"\s*<[^>]*>", "", re.sub(r"\s*#.*$", "", m.group(3)))
        code[int(m.group(1), 16)] = Instruction(int(m.group(1), 16), m.group(2), split_operands(operands))
    return code


def function_extents(dll, pdb):
    """(start, end) of every function the PDB names, as virtual addresses."""
    base = int(re.search(r"^ImageBase\s+([0-9a-f]+)", run("llvm-objdump", "-p", dll), re.M).group(1), 16)
    sections = {}
    for m in re.finditer(r"SECTION HEADER #(\d+)\n\s*\S+ name\n\s*[0-9A-F]+ virtual size\n\s*([0-9A-F]+) virtual address",
                         run("llvm-pdbutil", "dump", "-section-headers", pdb)):
        sections[int(m.group(1))] = int(m.group(2), 16)
    extents = []
    for m in re.finditer(r"addr = ([0-9A-Fa-f]{4}):(\d+), code size = (\d+)", run("llvm-pdbutil", "dump", "-symbols", pdb)):
        start = base + sections[int(m.group(1), 16)] + int(m.group(2))
        extents.append((start, start + int(m.group(3))))
    return base, extents


class Checker:
    def __init__(self, dll, pdb):
        self.code = disassemble(dll)
        self.base, self.extents = function_extents(dll, pdb)
        self.addresses = sorted(self.code)
        self.index = {a: i for i, a in enumerate(self.addresses)}

    def function_at(self, address):
        for start, end in self.extents:
            if start <= address < end:
                return start, end
        return None

    def body(self, start, end):
        first = self.index[start]
        instructions = []
        for a in self.addresses[first:]:
            if a >= end:
                break
            instructions.append(self.code[a])
        return instructions

    def check_function(self, address, depth, seen):
        """Faults of the function at ADDRESS: every return leaves 0 or 1 in the whole of EAX."""
        extent = self.function_at(address)
        if extent is None:
            return [f"{address:08x}: a function the PDB does not name"]
        if depth > DEPTH:
            return [f"{address:08x}: calls nested deeper than {DEPTH}"]
        if extent[0] in seen:
            return []
        seen = seen | {extent[0]}
        body = self.body(*extent)
        position = {insn.address: i for i, insn in enumerate(body)}
        # Branches into the function, by their target.
        arrivals = {}
        for i, insn in enumerate(body):
            target = insn.target()
            if BRANCH.match(insn.mnemonic) and target in position:
                arrivals.setdefault(position[target], []).append(i)
        faults = []
        for i, insn in enumerate(body):
            target = insn.target()
            tail_call = insn.mnemonic.startswith("jmp") and target is not None and target not in position
            if insn.mnemonic.startswith("ret"):
                faults += self.value_before(body, arrivals, i, "eax", "bool", depth, seen)
            elif tail_call:
                faults += self.check_function(target, depth + 1, seen)
            elif insn.mnemonic.startswith("jmp") and target is None:
                faults.append(f"{insn.text}: an indirect jump")
        return faults

    def value_before(self, body, arrivals, i, family, need, depth, seen):
        """Faults of FAMILY's value on entry to body[i], along every path that reaches it.
        NEED is "bool" (the whole register 0 or 1) or "upper" (its upper 24 bits clear)."""
        faults, work, visited = [], [(i, family, need)], set()
        while work:
            p, family, need = work.pop()
            if (p, family, need) in visited:
                continue
            visited.add((p, family, need))
            predecessors = list(arrivals.get(p, []))
            if p > 0 and not re.match(r"^(jmp|ret)", body[p - 1].mnemonic):
                predecessors.append(p - 1)
            if p == 0:
                faults.append(f"{body[0].text}: {WHOLE[family]} taken from the caller")
            for q in predecessors:
                insn = body[q]
                if family not in insn.writes():
                    work.append((q, family, need))
                    continue
                fault, follow = self.classify(insn, family, need, depth, seen)
                if fault:
                    faults.append(fault)
                if follow:
                    work.append((q,) + follow)
        return faults

    def classify(self, insn, family, need, depth, seen):
        """(fault, (family, need) to look for before INSN) for an instruction that writes FAMILY."""
        m, ops = insn.mnemonic, insn.operands
        whole, low = WHOLE[family], LOW_BYTE.get(family)
        destination = ops[-1] if ops else ""
        if m.startswith("call"):
            target = insn.target()
            if family != "eax" or need != "bool":
                return f"{insn.text}: {whole} is lost in the call", None
            if target is None:
                return f"{insn.text}: the result of an indirect call", None
            faults = self.check_function(target, depth + 1, seen)
            return ("; ".join(faults) or None), None
        if m in ("movzbl", "movzwl") and destination == whole:
            return None, None
        if m == "xorl" and ops == [whole, whole]:
            return None, None
        if m == "movl" and destination == whole and re.fullmatch(r"\$(0x)?[0-9a-f]+", ops[0]):
            value = int(ops[0][1:], 0)
            if value <= (1 if need == "bool" else 0xFF):
                return None, None
            return f"{insn.text}: {value} is no bool", None
        if m == "andl" and destination == whole and ops[0] == "$1":
            return None, None
        if m == "movl" and destination == whole and ops[0] in FAMILY_OF and FAMILY_OF[ops[0]] != family:
            return None, (FAMILY_OF[ops[0]], need)
        if destination == low and (m.startswith("set") or m == "movb"):
            return None, (family, "upper")
        return f"{insn.text}: leaves {whole} {'other than 0 or 1' if need == 'bool' else 'with upper bytes set'}", None


def bool_exports(header):
    text = open(header, encoding="utf-8").read()
    return re.findall(r"^bool\s+__cdecl\s+(\w+)\s*\(", text, re.M)


def main():
    header, dll, pdb = sys.argv[1:4]
    checker = Checker(dll, pdb)
    rvas = dict(re.findall(r"Name: (\S+)\s+RVA: 0x([0-9A-Fa-f]+)", run("llvm-readobj", "--coff-exports", dll)))
    names = bool_exports(header)
    failed = 0
    for name in names:
        if name not in rvas:
            print(f"FAIL {name}: not exported")
            failed += 1
            continue
        faults = checker.check_function(checker.base + int(rvas[name], 16), 0, frozenset())
        if faults:
            failed += 1
            print(f"FAIL {name}: EAX not 0 or 1 at a return")
            for fault in sorted(set(faults)):
                print(f"    {fault}")
    print(f"{len(names) - failed} of {len(names)} bool exports answer 0 or 1 in the whole of EAX")
    return 1 if failed or not names else 0


if __name__ == "__main__":
    sys.exit(main())
