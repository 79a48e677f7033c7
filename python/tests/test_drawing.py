"""Painting from Python: the same pixels as the C++ component gives, PNG output, and the pixels of
surfaces and pictures through the buffer protocol."""
import subprocess

import pytest

import velmo

SURFACES = {"form": velmo.Form, "picturebox": velmo.PictureBox}


@pytest.mark.parametrize(
    "member, args, on, size",
    [
        ("HorizGradient", [0, 0, 0, 255, 255, 255, False], "form", (64, 48)),
        ("BoxGradient", [255, 255, 0, 0, 0, 128, 2, True], "form", (50, 40)),
        ("Gradient01", [4, 1], "form", (300, 40)),
        ("RedBlackDown", [], "picturebox", (32, 24)),
    ],
)
def test_a_gradient_painted_from_python_equals_the_cpp_result(tmp_path, velmo_command, member, args, on, size):
    reference = tmp_path / "reference.png"
    words = [str(a) for a in args]
    subprocess.run(
        [velmo_command, "paint", member, *words, "--on", on, "--size", f"{size[0]}x{size[1]}", "-o", str(reference)],
        check=True, capture_output=True,
    )
    surface = SURFACES[on](*size)
    painter = velmo.Dispatch("Velmo10.clsKxLumoGradientsA")
    getattr(painter, member)(surface, *args)

    ours = memoryview(surface)
    theirs = memoryview(velmo.load_picture(reference))
    assert ours.shape == theirs.shape == (size[1], size[0], 4)
    assert ours.tobytes() == theirs.tobytes()
    colors = {ours.tobytes()[i : i + 3] for i in range(0, ours.nbytes, 4)}
    assert len(colors) > 2, "a picture of one or two colours would prove little"


def test_save_png_keeps_every_pixel(tmp_path):
    form = velmo.Form(30, 20)
    velmo.Dispatch("Velmo10.clsKxLumoGradientsA").DiagGradient(form, 10, 200, 30, 250, 20, 0, True)
    path = tmp_path / "diag.png"
    form.save_png(path)
    picture = velmo.load_picture(str(path))
    assert picture.size == form.size == (30, 20)
    assert memoryview(picture).tobytes() == memoryview(form).tobytes()
    copy = tmp_path / "copy.png"
    picture.save_png(copy)
    assert memoryview(velmo.load_picture(copy)).tobytes() == memoryview(form).tobytes()


def test_buffers_are_rows_of_blue_green_red_reserved(tmp_path):
    box = velmo.PictureBox(4, 3)
    box.ScaleMode = 3
    box.BackColor = 0x0080FF  # red FF, green 80, blue 00
    box.PSet(2, 2, 1, 0xFF0000)  # flag 2: the colour given; blue at x 2, y 1
    view = memoryview(box)
    assert (view.shape, view.strides, view.format, view.readonly) == ((3, 4, 4), (16, 4, 1), "B", True)
    raw = view.tobytes()
    pixel = lambda x, y: raw[(y * 4 + x) * 4 : (y * 4 + x) * 4 + 4]
    assert pixel(0, 0) == bytes([0x00, 0x80, 0xFF, 0])
    assert pixel(2, 1) == bytes([0xFF, 0x00, 0x00, 0])


def test_a_picture_view_outlives_the_script_variable(tmp_path):
    path = tmp_path / "p.png"
    velmo.Form(8, 8).save_png(path)
    picture = velmo.load_picture(path)
    view = memoryview(picture)
    expected = view.tobytes()
    del picture
    assert view.tobytes() == expected
    view.release()


@pytest.mark.parametrize(
    "action, number",
    [
        (lambda tmp: velmo.load_picture(tmp / "missing.png"), 53),
        (lambda tmp: (tmp / "bad.png").write_bytes(b"not a picture") and velmo.load_picture(tmp / "bad.png"), 481),
        (lambda tmp: velmo.Form(4, 4).save_png(tmp / "no" / "such" / "folder.png"), 75),
        (lambda tmp: velmo.load_picture().save_png(tmp / "empty.png"), 481),
        (lambda tmp: velmo.Form(0, 4), 5),
        (lambda tmp: velmo.PictureBox(4, 100000), 5),
    ],
)
def test_host_failures_raise_velmo_errors(tmp_path, action, number):
    with pytest.raises(velmo.Error) as raised:
        action(tmp_path)
    assert raised.value.number == number


def test_an_empty_picture_has_no_pixels():
    with pytest.raises(BufferError):
        memoryview(velmo.load_picture())
