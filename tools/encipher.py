#!/usr/bin/env python3
"""Enciphers a QML scene with the library's scene key.

    tools/encipher.py KEY_FILE INPUT OUTPUT

Output byte i is input byte i XOR key byte (i mod key length). The operation is its own
inverse, so the same command also deciphers. The key file holds the 16-character key; a
trailing line break is ignored.
"""

import os
import sys

KEY_LENGTH = 16


def read_key(path):
    with open(path, "rb") as f:
        key = f.read().rstrip(b"\r\n")
    if len(key) != KEY_LENGTH or not all(0x21 <= c <= 0x7E for c in key):
        raise ValueError(f"{path}: the scene key must be {KEY_LENGTH} printable ASCII characters")
    return key


def encipher(data, key):
    n = len(key)
    return bytes(b ^ key[i % n] for i, b in enumerate(data))


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    try:
        key = read_key(argv[1])
    except ValueError as e:
        sys.stderr.write(f"encipher.py: {e}\n")
        return 1
    with open(argv[2], "rb") as f:
        data = f.read()
    # Write beside the target and rename, so that an interrupted build leaves no half file.
    tmp = argv[3] + ".tmp"
    with open(tmp, "wb") as f:
        f.write(encipher(data, key))
    os.replace(tmp, argv[3])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
