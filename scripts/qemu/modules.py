#!/usr/bin/env python3
"""Copies kernel modules and everything they depend on into one folder, in load order.

Usage: modules.py <lib/modules/RELEASE> <out-dir> <module>...

The kernel package comes unpacked, not installed, so there is no modules.dep; each module's
.modinfo section names its dependencies. Compressed modules (.ko.xz, .ko.zst) are unpacked
here because the guest's insmod takes plain ELF files only. <out-dir>/order lists the files in
the order they must be loaded.
"""
import lzma
import os
import struct
import subprocess
import sys


def normal(name):
    return name.replace("-", "_")


def module_name(file_name):
    for suffix in (".ko.xz", ".ko.zst", ".ko"):
        if file_name.endswith(suffix):
            return normal(file_name[: -len(suffix)])
    return None


def plain_bytes(path):
    if path.endswith(".xz"):
        return lzma.decompress(open(path, "rb").read())
    if path.endswith(".zst"):
        return subprocess.run(["zstd", "-dc", path], check=True, capture_output=True).stdout
    return open(path, "rb").read()


def modinfo(elf):
    """The key=value strings of the .modinfo section of a 64-bit little-endian ELF file."""
    if elf[:4] != b"\x7fELF" or elf[4] != 2 or elf[5] != 1:
        raise ValueError("not a 64-bit little-endian ELF file")
    shoff = struct.unpack_from("<Q", elf, 0x28)[0]
    shentsize, shnum, shstrndx = struct.unpack_from("<HHH", elf, 0x3A)
    sections = [struct.unpack_from("<IIQQQQ", elf, shoff + i * shentsize) for i in range(shnum)]
    names_offset = sections[shstrndx][4]
    for name, _type, _flags, _addr, offset, size in sections:
        end = elf.index(b"\0", names_offset + name)
        if elf[names_offset + name : end] == b".modinfo":
            fields = elf[offset : offset + size].split(b"\0")
            return dict(f.decode().split("=", 1) for f in fields if b"=" in f)
    return {}


def main():
    root, out, wanted = sys.argv[1], sys.argv[2], [normal(n) for n in sys.argv[3:]]
    files = {}
    for folder, _dirs, names in os.walk(os.path.join(root, "kernel")):
        for file_name in names:
            name = module_name(file_name)
            if name:
                files[name] = os.path.join(folder, file_name)
    builtin = set()
    builtin_list = os.path.join(root, "modules.builtin")
    if os.path.exists(builtin_list):
        builtin = {module_name(os.path.basename(line.strip())) for line in open(builtin_list)}

    os.makedirs(out, exist_ok=True)
    order, placed = [], set()

    def place(name, chain):
        if name in placed or name in builtin:
            return
        if name in chain:
            raise SystemExit(f"modules.py: dependency loop through {name}")
        if name not in files:
            raise SystemExit(f"modules.py: no module {name} in {root}")
        elf = plain_bytes(files[name])
        for dependency in filter(None, modinfo(elf).get("depends", "").split(",")):
            place(normal(dependency), chain | {name})
        with open(os.path.join(out, name + ".ko"), "wb") as target:
            target.write(elf)
        placed.add(name)
        order.append(name + ".ko")

    for name in wanted:
        place(name, frozenset())
    with open(os.path.join(out, "order"), "w") as listing:
        listing.write("\n".join(order) + "\n")


if __name__ == "__main__":
    main()
