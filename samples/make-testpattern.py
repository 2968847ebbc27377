#!/usr/bin/env python3
"""Writes testpattern.nes, the homemade sample image: an iNES file with a
16-byte header, 32 KB of PRG-ROM and 8 KB of CHR-ROM (mapper 0).

The PRG-ROM is a program that only loops (JMP $8000, with all three vectors
pointing at it); the rest of each byte says where it is: page number XOR offset
in the page, so a misplaced block shows at once in a hex dump. The CHR-ROM holds
512 tiles of a checkerboard whose phase follows the tile number."""
import pathlib

header = b"NES\x1a" + bytes([2, 1, 0, 0]) + bytes(8)

prg = bytearray((i >> 8) ^ (i & 0xFF) for i in range(0x8000))
prg[0:3] = b"\x4c\x00\x80"  # $8000: JMP $8000
prg[0x7FFA:0x8000] = b"\x00\x80" * 3  # NMI, RESET and IRQ vectors: $8000

chr_rom = bytearray()
for tile in range(512):
    row = 0xAA if tile % 2 == 0 else 0x55
    plane = bytes(row if y % 2 == 0 else row ^ 0xFF for y in range(8))
    chr_rom += plane + bytes([tile & 0xFF] * 8)

image = header + bytes(prg) + bytes(chr_rom)
assert len(image) == 0x10 + 0x8000 + 0x2000
pathlib.Path(__file__).with_name("testpattern.nes").write_bytes(image)
