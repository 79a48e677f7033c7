// The tag collection and its items, reached the way a client reaches them: by member name.
#include <gtest/gtest.h>

#include "automation/late.h"
#include "automation/registry.h"
#include "exif/register.h"
#include "exif/tag_items.h"
#include "runtime/msgbox.h"
#include "support/velmo_error.h"

namespace velmo::exif {
namespace {

const std::string not_found_text = "Index not exists or not found.";

ObjectRef new_collection() { return std::make_shared<clsKxLumoJPGTagsItemsA>(); }

// Adds an item by member name, the way a client does.
Variant add(const ObjectRef& items, std::string key, int32_t id = 0, std::string name = "", Variant data = Variant::missing())
{
    return late::call(items, "Add", std::move(key), Long(id), std::move(name), Long(0), Long(0), std::move(data), "text of " + name);
}

ObjectRef item_at(const ObjectRef& items, Variant index) { return late::get(items, "Item", std::move(index)).to_object(); }

std::string key_of(const ObjectRef& item) { return late::get(item, "Key").to_string(); }

// Item and Remove with the caller's own variable, which they write back.
ObjectRef item_by_ref(const ObjectRef& items, Variant& index)
{
    Variant* args[] = { &index };
    return late::invoke(items, "Item", Invoke::Call, args).to_object();
}

TEST(ExifTagItem, PropertiesStoreWhatTheyAreGiven)
{
    ObjectRef item = std::make_shared<clsKxLumoJPGTagsItemA>();
    EXPECT_EQ(late::get(item, "Key"), Variant(""));
    EXPECT_EQ(late::get(item, "ID"), Variant(Long(0)));
    late::let(item, "Name", "Orientation");
    late::let(item, "ID", 274);
    late::let(item, "Index", "7");  // coerced to Long
    EXPECT_EQ(late::get(item, "Name"), Variant("Orientation"));
    EXPECT_EQ(late::get(item, "ID"), Variant(Long(274)));
    EXPECT_EQ(late::get(item, "Index"), Variant(Long(7)));
}

TEST(ExifTagItem, DataKeepsTheTextFormOfItsValue)
{
    struct Case {
        Variant value;
        std::string text;
    } cases[] = {
        { 0.008, "0.008" },
        { 72.0, "72" },
        { 1.0 / 3, "0.333333333333333" },
        { Long(-5), "-5" },
        { Variant(), "" },
        { "as given", "as given" },
        { True, "True" },
    };
    ObjectRef item = std::make_shared<clsKxLumoJPGTagsItemA>();
    for (const auto& c : cases) {
        late::let(item, "Data", c.value);
        EXPECT_EQ(late::get(item, "Data"), Variant(c.text)) << "a String, not a number";
    }
    // No text form: the put fails and the text stays.
    late::let(item, "Data", "kept");
    EXPECT_VELMO_ERROR(late::let(item, "Data", Variant(Null {})), err::InvalidUseOfNull, "Velmo10");
    EXPECT_VELMO_ERROR(late::let(item, "Data", Variant::missing()), err::TypeMismatch, "Velmo10");
    EXPECT_VELMO_ERROR(late::let(item, "Data", item), err::TypeMismatch, "Velmo10");
    EXPECT_EQ(late::get(item, "Data"), Variant("kept"));
}

TEST(ExifTagItems, AddsInOrderWithRunningNumbers)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(0)));
    late::call(items, "Clear");  // on an empty collection: nothing visible
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(0)));

    ObjectRef first = add(items, "KEY1", 274, "Orientation", 6.0).to_object();
    add(items, "KEY2", 282, "XResolution", 0.008);
    add(items, "KEY3");
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(3)));
    EXPECT_EQ(late::get(first, "Index"), Variant(Long(1)));
    EXPECT_EQ(late::get(first, "StringData"), Variant("text of Orientation"));
    ObjectRef second = item_at(items, Long(2));
    EXPECT_EQ(late::get(second, "Index"), Variant(Long(2)));
    EXPECT_EQ(late::get(second, "Data"), Variant("0.008"));
    EXPECT_EQ(late::get(item_at(items, Long(3)), "Data"), Variant("")) << "Data left out: the missing marker has no text";
    EXPECT_EQ(late::call(items, "GetIndexForKey", "key2"), Variant(Long(2)));
    EXPECT_EQ(late::call(items, "GetIndexForKey", "nothing"), Variant(Long(0)));
    EXPECT_EQ(late::call(items, "IsItemExistInItems", "Key3"), Variant(True));
    EXPECT_EQ(late::call(items, "IsItemExistInItems", "KEY4"), Variant(False));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ExifTagItems, AddWithDataWithoutTextFormStillAdds)
{
    ObjectRef items = new_collection();
    ObjectRef item = add(items, "KEY1", 1, "n", Variant(Null {})).to_object();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(late::get(item, "Data"), Variant(""));
    EXPECT_EQ(late::get(item, "StringData"), Variant("text of n")) << "the properties after Data are still set";
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(1)));
}

TEST(ExifTagItems, DuplicateKeyInAnyCaseShowsTheBoxAndAddsNothing)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    add(items, "KEY1");
    EXPECT_EQ(add(items, "key1"), Variant(ObjectRef()));
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(1)));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    const auto& box = boxes.boxes()[0];
    EXPECT_EQ(box.text, " 'key1'  Key is not unique in items collection or object already exists.");
    EXPECT_EQ(box.title, "Already exists...");
    EXPECT_EQ(box.icon(), host::vbInformation);
    EXPECT_EQ(box.buttons(), host::vbOKOnly);

    // The next Add's number follows the refused one's: the refused Add took none.
    EXPECT_EQ(late::get(add(items, "KEY2").to_object(), "Index"), Variant(Long(2)));
}

TEST(ExifTagItems, ItemByKeyWritesBackThePosition)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    add(items, "KEY1");
    add(items, "KEY2");
    add(items, "KEY3");

    Variant index("KEY2");
    ObjectRef item = item_by_ref(items, index);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(key_of(item), "KEY2");
    EXPECT_EQ(index, Variant(Long(2)));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ExifTagItems, ItemThatDoesNotExistShowsNotFound)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    add(items, "KEY1");
    add(items, "KEY2");

    struct Case {
        const char* what;
        Variant index;
        Variant written_back;
    } cases[] = {
        { "unknown key", Variant("KEY9"), Variant(Long(0)) },
        { "position 0", Variant(Long(0)), Variant(Long(0)) },
        { "Count + 1", Variant(Long(3)), Variant(Long(3)) },
        { "negative", Variant(-1.0), Variant(-1.0) },
        { "Empty", Variant(), Variant() },
        { "an object", Variant(items), Variant(items) },
    };
    for (auto c : cases) {
        boxes.clear();
        EXPECT_EQ(item_by_ref(items, c.index), nullptr) << c.what;
        EXPECT_EQ(c.index, c.written_back) << c.what;
        ASSERT_EQ(boxes.boxes().size(), 1u) << c.what;
        EXPECT_EQ(boxes.boxes()[0].text, not_found_text);
        EXPECT_EQ(boxes.boxes()[0].title, "Not Found...");
        EXPECT_EQ(boxes.boxes()[0].style, host::vbInformation | host::vbOKOnly);
    }
    // Remove reports the same way and removes nothing.
    boxes.clear();
    late::call(items, "Remove", "KEY9");
    late::call(items, "Remove", Long(0));
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(2)));
}

TEST(ExifTagItems, RemoveMovesTheLaterItemsUp)
{
    ObjectRef items = new_collection();
    add(items, "KEY1");
    add(items, "KEY2");
    add(items, "KEY3");
    ObjectRef removed = item_at(items, Long(1));
    late::call(items, "Remove", Long(1));
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(2)));
    EXPECT_EQ(key_of(item_at(items, Long(1))), "KEY2");
    EXPECT_EQ(key_of(removed), "KEY1") << "a removed item stays valid for its holder";

    // A key resolves to the item's current position, even after a removal, and so does
    // GetIndexForKey, whose answer Item takes back to the same item.
    Variant index("KEY3");
    EXPECT_EQ(key_of(item_by_ref(items, index)), "KEY3");
    EXPECT_EQ(index, Variant(Long(2)));
    EXPECT_EQ(late::call(items, "GetIndexForKey", "key3"), Variant(Long(2)));
    EXPECT_EQ(key_of(item_at(items, late::call(items, "GetIndexForKey", "KEY3"))), "KEY3");
    EXPECT_EQ(late::call(items, "GetIndexForKey", "KEY1"), Variant(Long(0)));
    Variant remove_index("key2");
    Variant* args[] = { &remove_index };
    late::invoke(items, "Remove", Invoke::Call, args);
    EXPECT_EQ(remove_index, Variant(Long(1)));
    EXPECT_EQ(key_of(item_at(items, Long(1))), "KEY3");
}

TEST(ExifTagItems, KeysKeepWorkingAfterClearAndRefill)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    for (int round = 0; round < 2; ++round) {
        late::call(items, "Clear");
        for (int i = 1; i <= 3; ++i)
            add(items, "KEY" + std::to_string(i));
        Variant index("KEY1");
        ObjectRef item = item_by_ref(items, index);
        ASSERT_NE(item, nullptr) << "round " << round;
        EXPECT_EQ(index, Variant(Long(1)));
        EXPECT_EQ(late::get(item, "Index"), Variant(Long(1))) << "Clear restarts the running number";
        EXPECT_EQ(late::call(items, "GetIndexForKey", "KEY3"), Variant(Long(3)));
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ExifTagItems, SearchesLetTheLastMatchDecide)
{
    ObjectRef items = new_collection();
    add(items, "A", 274, "Orientation");
    add(items, "B", 274, "Make");
    add(items, "C", 1, "orientation");
    EXPECT_EQ(key_of(late::call(items, "GetTagForTagID", Long(274)).to_object()), "B");
    EXPECT_EQ(key_of(late::call(items, "GetTagForTagName", "ORIENTATION").to_object()), "C");
    EXPECT_EQ(late::call(items, "GetTagForTagID", Long(5)), Variant(ObjectRef()));
    EXPECT_EQ(late::call(items, "GetTagForTagName", "Model"), Variant(ObjectRef()));

    // A renamed item: the key search follows the item's Key property.
    late::let(item_at(items, Long(1)), "Key", "B");
    EXPECT_EQ(late::call(items, "GetIndexForKey", "B"), Variant(Long(2)));
}

TEST(ExifTagItems, ListRefusesAKeyItStillHoldsForARenamedItem)
{
    host::MsgBoxRecorder boxes;
    ObjectRef items = new_collection();
    add(items, "OLD");
    late::let(item_at(items, Long(1)), "Key", "NEW");
    // No item has the key OLD any more, but the list stored the first item under it.
    ObjectRef item = add(items, "OLD").to_object();
    EXPECT_NE(item, nullptr);
    EXPECT_EQ(late::get(items, "Count"), Variant(Long(1)));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ExifTagItems, NewEnumYieldsTheItemsInPositionOrder)
{
    ObjectRef items = new_collection();
    for (const char* key : { "KEY1", "KEY2", "KEY3" })
        add(items, key);
    ObjectRef enumerator = late::get(items, "NewEnum").to_object();
    std::vector<std::string> keys;
    while (ObjectRef item = late::call(enumerator, "Next").to_object())
        keys.push_back(key_of(item));
    EXPECT_EQ(keys, (std::vector<std::string> { "KEY1", "KEY2", "KEY3" }));

    late::call(enumerator, "Reset");
    EXPECT_EQ(late::call(enumerator, "Skip", Long(2)), Variant(True));
    ObjectRef clone = late::call(enumerator, "Clone").to_object();
    EXPECT_EQ(key_of(late::call(clone, "Next").to_object()), "KEY3");
    EXPECT_EQ(late::call(enumerator, "Skip", Long(5)), Variant(False));
}

TEST(ExifRegistration, OnlyTheReaderIsCreatable)
{
    register_classes();
    ObjectRef reader = create_object("Velmo10.clsKxLumoJPGTagsA");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->class_info().members.size(), 11u);
    EXPECT_VELMO_ERROR(create_object("Velmo10.clsKxLumoJPGTagsItemsA"), err::CannotCreateObject, "Velmo10.clsKxLumoJPGTagsItemsA");
    EXPECT_VELMO_ERROR(create_object("Velmo10.clsKxLumoJPGTagsItemA"), err::CannotCreateObject, "Velmo10.clsKxLumoJPGTagsItemA");

    std::vector<std::string> names;
    for (const auto& member : reader->class_info().members)
        names.emplace_back(member.name);
    EXPECT_EQ(names,
        (std::vector<std::string> { "TagsObject", "TagsObject", "ImageFile", "ImageFile", "IntelByteAlignment", "MetaInfo", "GetTagName",
            "ListInfo", "GetDataTimeStamp", "FilePart", "GetDataTimeStampAsFileName" }));
    auto enums = enumerations();
    ASSERT_EQ(enums.size(), 2u);
    EXPECT_EQ(enums[0].name, "enTAG");
    EXPECT_EQ(enums[1].name, "FilePartTypes");
    EXPECT_EQ(classes().size(), 3u);
}

}  // namespace
}  // namespace velmo::exif
