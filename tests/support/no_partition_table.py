#!/usr/bin/env python3
"""Fails (status 1, naming what it found) unless the disk image holds no partition table: no
MBR boot signature in sector 0, no GPT header at LBA 1 or in the last sector."""
import sys

with open(sys.argv[1], "rb") as disk:
    head = disk.read(1024)
    disk.seek(-512, 2)
    tail = disk.read(512)
assert head[510:512] != b"\x55\xaa", "an MBR signature"
assert head[512:520] != b"EFI PART" and tail[:8] != b"EFI PART", "a GPT header"
