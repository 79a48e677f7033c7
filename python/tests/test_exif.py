"""A photo's tags from Python: the listing, the collection, and MetaInfo storing into a Ref."""
import velmo


def test_tags_are_listed_one_line_each(photo):
    tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
    tags.ImageFile = str(photo)
    assert tags.ImageFile == str(photo)
    assert tags.IntelByteAlignment is True
    lines = tags.ListInfo(True).split("\r\n")
    assert lines[-1] == ""
    names = [line.split(": ", 1)[0] for line in lines[:-1]]
    assert names == ["Make", "Orientation", "ExifOffset", "ExposureTime", "DateTimeOriginal"]
    assert "Make: Velmo" in lines and "DateTimeOriginal: 2019:12:25 14:30:05" in lines
    # Without True the listing is empty but the collection is filled all the same.
    assert tags.ListInfo() == ""
    items = tags.TagsObject
    assert items.Count == len(names)
    assert [items.Item(i).Name for i in range(1, items.Count + 1)] == names
    assert [item.Name for item in items] == names
    assert items.GetTagForTagID(0x0112).StringData == "6"


def test_meta_info_stores_into_a_ref(photo):
    tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
    tags.ImageFile = str(photo)
    text = velmo.Ref("sentinel")
    assert tags.MetaInfo(0x0112, text) == 6
    assert text.value == "6"
    tags.MetaInfo(l_ID=0x9003, StringData=text)
    assert text.value == "2019:12:25 14:30:05"
    assert tags.MetaInfo(0x9999, text) == 0
    assert text.value == "Tag 39321 not found."
    # Passed as a plain value, the store goes nowhere the script can see.
    plain = "unchanged"
    tags.MetaInfo(0x0112, plain)
    assert plain == "unchanged"


def test_a_ref_of_another_type_is_coerced_and_written_back(photo):
    tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
    tags.ImageFile = str(photo)
    number = velmo.Ref(5)
    tags.MetaInfo(0x010F, number)
    assert number.value == "Velmo"


def test_threads_reading_side_by_side_see_what_one_sees(photo, tmp_path):
    import threading

    others = []
    for i in range(6):
        copy = tmp_path / f"copy{i}.jpg"
        data = bytearray(photo.read_bytes())
        # A different Make each: "Velmo" becomes "Velm0" .. "Velm5".
        at = data.index(b"Velmo\0")
        data[at + 4] = ord("0") + i
        copy.write_bytes(bytes(data))
        others.append(str(copy))

    def listing(path):
        tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
        tags.ImageFile = path
        return tags.ListInfo(True)

    alone = {path: listing(path) for path in others}
    assert len(set(alone.values())) == len(others)
    seen = {}

    def read(paths):
        tags = velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")
        for _ in range(50):
            for path in paths:
                tags.ImageFile = path
                text = tags.ListInfo(True)
                if seen.setdefault(path, text) != text:
                    seen[path] = None

    threads = [threading.Thread(target=read, args=(others[i::3],)) for i in range(3)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert seen == alone
