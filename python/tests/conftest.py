"""Shared fixtures: a small JPEG with an EXIF block written here, and the velmo command that
paints the C++ reference pictures.

The module is found through PYTHONPATH (scripts/test.sh points it at the build); VELMO_COMMAND
names the velmo command of the same build.
"""
import os
import struct

import pytest


def _ifd(entries, offset, data_offset, data):
    """One little-endian IFD at `offset`; values over four bytes go to data_offset + len(data)."""
    out = bytearray(struct.pack("<H", len(entries)))
    for tag, kind, count, raw in sorted(entries, key=lambda e: e[0]):
        if len(raw) <= 4:
            out += struct.pack("<HHI", tag, kind, count) + raw.ljust(4, b"\0")
        else:
            out += struct.pack("<HHII", tag, kind, count, data_offset + len(data))
            data += raw
    return out + struct.pack("<I", 0)


def ascii_entry(tag, text):
    raw = text.encode() + b"\0"
    return (tag, 2, len(raw), raw)


def short_entry(tag, value):
    return (tag, 3, 1, struct.pack("<H", value))


def rational_entry(tag, numerator, denominator):
    return (tag, 5, 1, struct.pack("<II", numerator, denominator))


def exif_jpeg(ifd0, exif):
    """A JPEG holding only an APP1 EXIF block (IFD0 linked to an Exif directory), little-endian."""
    ifd_size = lambda n: 2 + 12 * n + 4
    ifd0_offset = 8
    exif_offset = ifd0_offset + ifd_size(len(ifd0) + 1)
    data_offset = exif_offset + ifd_size(len(exif))
    data = bytearray()
    link = (0x8769, 4, 1, struct.pack("<I", exif_offset))
    first = _ifd(ifd0 + [link], ifd0_offset, data_offset, data)
    second = _ifd(exif, exif_offset, data_offset, data)
    tiff = b"II*\0" + struct.pack("<I", ifd0_offset) + first + second + bytes(data)
    block = b"Exif\0\0" + tiff
    return b"\xff\xd8\xff\xe1" + struct.pack(">H", len(block) + 2) + block + b"\xff\xd9"


@pytest.fixture
def photo(tmp_path):
    """A photo with Make, Orientation, DateTimeOriginal and ExposureTime."""
    path = tmp_path / "photo.jpg"
    path.write_bytes(
        exif_jpeg(
            [ascii_entry(0x010F, "Velmo"), short_entry(0x0112, 6)],
            [ascii_entry(0x9003, "2019:12:25 14:30:05"), rational_entry(0x829A, 1, 250)],
        )
    )
    return path


@pytest.fixture
def velmo_command():
    command = os.environ.get("VELMO_COMMAND")
    if not command or not os.access(command, os.X_OK):
        pytest.fail("VELMO_COMMAND must name the velmo command of the build under test")
    return command
