#!/usr/bin/env python3
"""Writes the 32 MiB file that the demo's page fetches through the "res" scheme: byte i is
(i ^ i >> 8 ^ i >> 16) & 255, which the page checks one by one.

    make_big_file.py <path>
"""
import sys

SIZE = 32 * 1024 * 1024
BLOCK = 65536


def main() -> None:
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    # Within a block of 65536 bytes, i >> 16 is the block's number k: byte j of block k is the
    # first block's byte j xor k.
    first = bytes((j ^ (j >> 8)) & 255 for j in range(BLOCK))
    with open(sys.argv[1], "wb") as out:
        for k in range(SIZE // BLOCK):
            out.write(first.translate(bytes((x ^ k) & 255 for x in range(256))))


if __name__ == "__main__":
    main()
