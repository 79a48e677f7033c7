"""examples/python/archive_tags.py on two local Dask workers writes, for a small tree, the objects
`velmo tags --json -r` writes: same files, same order, same records, errors and files without EXIF."""
import json
import os
import pathlib
import struct
import subprocess
import sys

from conftest import ascii_entry, exif_jpeg, rational_entry, short_entry

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "examples" / "python" / "archive_tags.py"


def tree(root):
    files = {
        "a/one.jpg": exif_jpeg([ascii_entry(0x010F, "Velmo"), short_entry(0x0112, 6)],
                               [ascii_entry(0x9003, "2019:12:25 14:30:05"), rational_entry(0x829A, 1, 250)]),
        "a/sub/two.JPEG": exif_jpeg([ascii_entry(0x0110, "Model \"Q\"\n")], [rational_entry(0x829D, 28, 10)]),
        "a/sub/deeper/three.jpeg": exif_jpeg([short_entry(0x0112, 1)], []),
        "a/plain.jpg": b"\xff\xd8\xff\xd9",
        # An EXIF header whose first directory lies past the end of the file.
        "a/broken.jpg": b"\xff\xd8\xff\xe1\x00\x10Exif\0\0II*\0" + struct.pack("<I", 4096) + b"\xff\xd9",
        "a/notes.txt": b"not a photo",
        "b/four.jpg": exif_jpeg([ascii_entry(0x010F, "Üñï")], []),
        "b/five.jpg": exif_jpeg([ascii_entry(0x010F, "Velmo")], [ascii_entry(0x9003, "2020:01:01 00:00:00")]),
    }
    for name, data in files.items():
        path = root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
    return [str(root / "a"), str(root / "b")]


def objects(text):
    return [json.loads(line) for line in text.splitlines()]


def test_a_local_cluster_writes_what_velmo_tags_writes(tmp_path, velmo_command):
    folders = tree(tmp_path)
    expected = subprocess.run([velmo_command, "tags", "--json", "-r", *folders], capture_output=True, text=True).stdout
    out = tmp_path / "out.jsonl"
    subprocess.run([sys.executable, str(SCRIPT), "--workers", "2", "--batch-size", "2", "-o", str(out), *folders],
                   check=True, env=dict(os.environ), timeout=300)
    written = objects(out.read_text(encoding="utf-8"))
    assert written == objects(expected)
    # The tree holds every kind of object the command writes, so the comparison covers each.
    assert {("error" in o, o.get("exif")) for o in written} == {(False, True), (False, False), (True, None)}
    assert len(written) == 7
