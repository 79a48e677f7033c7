"""Dispatch objects: members by attribute without regard to case, keyword arguments by the type
library's names, omitted optionals, values both ways with the automation coercions, errors."""
import copy
import pickle

import pytest

import velmo

INT32_MIN, INT32_MAX = -(2**31), 2**31 - 1


@pytest.fixture
def tags():
    return velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA")


@pytest.fixture
def items(tags):
    return tags.TagsObject


def added_item(items, key, **fields):
    items.Add(Key=key, **fields)
    return items.Item(key)


def test_members_resolve_without_regard_to_case(tags):
    results = {name: getattr(tags, name)(274) for name in ("GetTagName", "gettagname", "GETTAGNAME")}
    assert set(results.values()) == {"Orientation"}


def test_dir_lists_every_member_once(tags, items):
    names = dir(tags)
    for member in ("TagsObject", "ImageFile", "MetaInfo", "GetTagName", "ListInfo", "FilePart"):
        assert names.count(member) == 1, member
    item = added_item(items, "k")
    assert {"Key", "ID", "Name", "Data", "StringData"} <= set(dir(item))


def test_unknown_members_are_attribute_errors(tags):
    assert not hasattr(tags, "NoSuchMember")
    with pytest.raises(AttributeError, match="NoSuchMember"):
        tags.NoSuchMember = 1
    with pytest.raises(AttributeError):
        del tags.ImageFile


def test_keyword_arguments_by_parameter_name_in_any_case(tags):
    assert tags.GetTagName(lID=274) == tags.GetTagName(LID=274) == tags.GetTagName(274)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda t: t.GetTagName(nope=1), "unexpected keyword argument 'nope'"),
        (lambda t: t.GetTagName(274, lID=274), "more than one value for 'lID'"),
    ],
)
def test_keyword_mistakes_are_type_errors(tags, call, message):
    with pytest.raises(TypeError, match=message):
        call(tags)


def test_omitted_optionals_arrive_as_the_type_library_says(tags, items):
    # FilePart's WhichPart defaults to 1 (file name only).
    path = "/photos/2019/beach.jpg"
    assert tags.FilePart(path) == tags.FilePart(path, 1) == tags.FilePart(FullPath=path, WhichPart=1)
    assert tags.FilePart(path) != tags.FilePart(path, 2)
    # Add's optionals have no default: skipped ones arrive as the zero value of their type,
    # whether skipped by keyword or by velmo.Missing.
    items.Add(Key="a", Name="Make")
    items.Add("b", velmo.Missing, "Make")
    for key in ("a", "b"):
        item = items.Item(key)
        assert (item.ID, item.Name, item.Format, item.StringData) == (0, "Make", 0, "")


@pytest.mark.parametrize(
    "value",
    [0, 7, -1, INT32_MIN, INT32_MAX, 2.5, -0.125, True, False, "text", "", "grüße ✓", "\udcff raw byte", None, velmo.Missing],
    ids=repr,
)
def test_values_round_trip_through_a_variable(value):
    back = velmo.Ref(value).value
    assert back == value and type(back) is type(value)


def test_an_empty_variable_reads_as_none_and_coerces_like_one(tags, photo):
    tags.ImageFile = str(photo)
    empty = velmo.Ref()
    assert empty.value is None
    tags.MetaInfo(0x010F, empty)  # Empty becomes "" for a String parameter; Nothing would not
    assert empty.value == "Velmo"
    with pytest.raises(velmo.Error) as raised:
        tags.MetaInfo(0x010F, velmo.Ref(None))
    assert raised.value.number == 13


def test_objects_round_trip_and_compare_by_identity(tags):
    main = velmo.Dispatch("Velmo10.clsKxVelmo10A")
    assert main.BuddyObjectGlobal is None
    main.BuddyObjectGlobal = tags
    other = velmo.Dispatch("Velmo10.clsKxVelmo10A")
    assert other.BuddyObjectGlobal == tags
    assert other.BuddyObjectGlobal != main
    assert hash(other.BuddyObjectGlobal) == hash(tags)
    main.BuddyObjectGlobal = None
    assert other.BuddyObjectGlobal is None


@pytest.mark.parametrize("make", [
    lambda: velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA"),
    lambda: velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA").TagsObject,
    lambda: velmo.Form(8, 8),
])
@pytest.mark.parametrize("send", [
    lambda o: pickle.dumps(o),
    lambda o: pickle.dumps(o, protocol=0),
    lambda o: pickle.dumps([1, o]),
    copy.copy,
    copy.deepcopy,
])
def test_objects_refuse_to_leave_their_process(make, send):
    with pytest.raises(TypeError, match=r"cannot be pickled or copied: a \S+ lives in the process that created it"):
        send(make())


@pytest.mark.parametrize("value", [INT32_MAX + 1, INT32_MIN - 1, 2**64, -(2**70)])
def test_an_int_outside_the_long_range_raises_overflow(tags, items, value):
    for attempt in (lambda: tags.GetTagName(value), lambda: setattr(added_item(items, "k"), "Data", value)):
        with pytest.raises(velmo.Error) as raised:
            attempt()
        assert (raised.value.number, raised.value.source) == (6, "Velmo10")


@pytest.mark.parametrize(
    "value, stored",
    [("42", 42), (2.5, 2), (3.5, 4), (-2.5, -2), (True, -1)],
)
def test_typed_parameters_coerce_as_the_component_does(items, value, stored):
    item = added_item(items, "k")
    item.ID = value
    assert item.ID == stored


def test_a_value_without_automation_form_is_a_type_mismatch(tags):
    for value in ([274], {"a": 1}, b"274", object()):
        with pytest.raises(velmo.Error) as raised:
            tags.GetTagName(value)
        assert raised.value.number == 13


@pytest.mark.parametrize(
    "action, number, source, description",
    [
        (lambda: velmo.Dispatch("Velmo10.NoSuchClass"), 429, "Velmo10.NoSuchClass",
         "Can't create object: no class is registered as 'Velmo10.NoSuchClass'"),
        (lambda: velmo.Dispatch("Velmo10.clsKxLumoJPGTagsItemsA"), 429, "Velmo10.clsKxLumoJPGTagsItemsA",
         "Can't create object: 'Velmo10.clsKxLumoJPGTagsItemsA' is not creatable"),
        (lambda: velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA").GetTagName(), 449, "Velmo10", "Argument not optional"),
        (lambda: velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA").GetTagName(1, 2), 450, "Velmo10",
         "Wrong number of arguments or invalid property assignment"),
    ],
)
def test_errors_carry_number_source_and_description(action, number, source, description):
    with pytest.raises(velmo.Error) as raised:
        action()
    error = raised.value
    assert isinstance(error, Exception)
    assert (error.number, error.source, error.description) == (number, source, description)
    assert str(error) == f"Error {number} ({source}): {description}"
    again = pickle.loads(pickle.dumps(error))
    assert (again.number, again.source, again.description) == (number, source, description)


def test_a_file_without_exif_raises_the_components_own_error(tags, tmp_path):
    plain = tmp_path / "plain.jpg"
    plain.write_bytes(b"\xff\xd8\xff\xd9")
    tags.ImageFile = str(plain)
    with pytest.raises(velmo.Error) as raised:
        tags.MetaInfo(274, velmo.Ref())
    assert (raised.value.number, raised.value.source, raised.value.description) == (10, "MetaInfo", "File is not in EXIF format.")


def test_bound_members_keep_their_object_and_describe_themselves(tags):
    method = tags.GetTagName
    del tags
    assert method(274) == "Orientation"
    assert "GetTagName(lID: enTAG) -> String" in method.__doc__
