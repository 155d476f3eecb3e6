#!/usr/bin/env python3
"""Writes the MachineInfoFuzz seeds: drive answers and adapter addresses as devices give them."""
import pathlib
import struct
import sys


def swapped(text: bytes) -> bytes:
    # Drives keep identify text with each pair of characters swapped.
    return b"".join(text[i + 1:i + 2] + text[i:i + 1] for i in range(0, len(text), 2))


def identify(serial: bytes, firmware: bytes, model: bytes) -> bytes:
    words = bytearray(512)
    struct.pack_into("<H", words, 0, 0x0040)  # fixed disk
    words[20:40] = swapped(serial.rjust(20))
    words[46:54] = swapped(firmware.ljust(8))
    words[54:94] = swapped(model.ljust(40))
    struct.pack_into("<H", words, 98, 0x0F00)  # capabilities
    return bytes(words)


def descriptor(serial: bytes) -> bytes:
    # Storage device descriptor: 36-byte header, then vendor, product, revision and serial texts.
    texts = [b"", b"ZX-2000 SSD 256GB", b"1.02", serial]
    offsets, body, at = [], b"", 36
    for t in texts:
        offsets.append(at if t else 0)
        body += t + b"\0"
        at += len(t) + 1
    header = struct.pack("<IIBBBBIIIIII", 1, 36 + len(body), 0, 0, 0, 1, *offsets, 11, 0)
    return header + body


def main(out: pathlib.Path) -> None:
    out.mkdir(parents=True, exist_ok=True)
    seeds = {
        "identify": identify(b"ZX1A2B3C4D5E6F", b"FW10E2", b"ZX-2000 SSD 256GB"),
        "identify-no-zero-after-serial": identify(b"K7Q90312AB", b"2.1", b"")[:60],
        "storage-hex-serial": descriptor(b"20202020585a3141324233433444354536463020"),
        "storage-plain-odd-serial": descriptor(b"  ZX1A2B3C4D5  "),
        "serial-hex-text": b"5a58314132423343344435453646",
        "serial-plain-text": b"\t ZX1A2B3C4D5E6F \n",
        "adapters": bytes([6, 0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 6, 0xF0, 0xDE, 0xF1, 0x00, 0x00,
                           0x0A, 8, 0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x50, 0x00, 0x01]),
    }
    for name, data in seeds.items():
        (out / name).write_bytes(data)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else pathlib.Path(__file__).parent / "MachineInfoFuzz")
