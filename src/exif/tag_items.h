// clsKxLumoJPGTagsItemsA: an ordered collection of tag items, each stored under a text key.
//
// Invariant: positions run 1..Count in insertion order; Add refuses a key that an item already
// has (letter case ignored). The collection never raises to its caller: a duplicate key, a key no
// item has and a position out of range are reported by a message box, and the member returns
// nothing. Items are shared: whoever holds one keeps it valid after it leaves the collection.
//
// Clear starts the running number (each item's Index) again at 1, and a key given to Item or
// Remove, or to GetIndexForKey, resolves to that item's current position, so keys keep working
// after a refill or a Remove.
//
// The items of a read's records, and blank items (the blank records of a read that failed), can
// be appended as the records and a count: they become items only when a member other than Count
// or Clear needs them, so listing a file costs no item per tag until someone looks at the items.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "automation/object.h"
#include "exif/tag_item.h"
#include "exif/tag_record.h"

namespace velmo::exif {

class clsKxLumoJPGTagsItemsA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    void Clear();
    Long Count();
    ObjectRef NewEnum();
    void Remove(ByRef<Variant> Index);
    Boolean IsItemExistInItems(ByRef<std::string> sKey);
    Long GetIndexForKey(ByRef<std::string> sKey);
    ObjectRef GetTagForTagName(ByRef<std::string> sTagName);
    ObjectRef GetTagForTagID(ByRef<Long> lID);
    ObjectRef Add(ByRef<std::string> Key, ByRef<Long> ID, ByRef<std::string> Name, ByRef<Long> Format, ByRef<Long> Length,
        ByRef<Variant> Data, ByRef<std::string> StringData);
    ObjectRef Item(ByRef<Variant> Index);

    // ---- The library's own access, without late binding ----

    struct NewTag {
        std::string_view key;
        int32_t id = 0;
        std::string_view name;
        int32_t format = 0;
        int32_t length = 0;
        const Variant* data = nullptr;  // Data's value, if given as a value
        std::string_view data_text;     // otherwise its text form
        std::string_view string_data;
    };
    // Add with its duplicate check and message box; nullptr for a duplicate.
    TagItemRef add(const NewTag& tag);
    // Add for a caller that has just cleared the collection and adds keys that differ from each
    // other: the duplicate check could not fail, so it is not made.
    void add_distinct(const NewTag& tag);

    // Appends an item for each record (key "KEY" and a number from first_key_number on, the
    // next running numbers, Data the text of the record's number), as add_distinct would.
    void add_records(std::shared_ptr<const std::vector<TagRecord>> records, size_t first_key_number);
    // Appends count blank items (key "KEY" and a number from first_key_number on, the next
    // running numbers, every other property empty or 0).
    void add_blanks(size_t first_key_number, size_t count);

    bool has_key(std::string_view key);
    TagItemRef tag_for_id(int32_t id);
    TagItemRef tag_for_name(std::string_view name);

private:
    TagItemRef make_item(const NewTag& tag);
    // The position (1..Count) of the last item with that key, letter case ignored; 0 for none.
    size_t position_of_key(std::string_view key);
    // Turns the items still held as records into items.
    void make_listed();
    // Turns every item not made yet into an item: the records' first, then the blank ones.
    void make_blanks();
    // The position (1..Count) an Item or Remove argument names, writing back a key's position;
    // 0 after showing the "Not Found..." box.
    size_t position_for(ByRef<Variant>& index);

    std::vector<TagItemRef> items_;
    std::vector<std::string> keys_;  // the key each item was stored under, position for position
    Long running_number_;
    // Items not made yet, after items_: one per record of listed_, then blanks_ blank ones.
    std::shared_ptr<const std::vector<TagRecord>> listed_;
    size_t first_listed_key_number_ = 0;
    size_t blanks_ = 0;
    size_t first_blank_key_number_ = 0;
    // Items that left the list and that nobody else holds: a new item can be one of them again,
    // which no caller can tell, and a refill then costs no allocations.
    std::vector<TagItemRef> spare_;
};

using TagItemsRef = std::shared_ptr<clsKxLumoJPGTagsItemsA>;

}  // namespace velmo::exif
