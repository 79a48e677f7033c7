#include "exif/tag_items.h"

#include <charconv>

#include "automation/error_modes.h"
#include "exif/catalogue.h"
#include "exif/number_text.h"
#include "runtime/msgbox.h"

namespace velmo::exif {

namespace {

bool same_text_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = a.size(); i-- > 0;) {
        char x = a[i];
        char y = b[i];
        if (x == y)
            continue;
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

void show_not_found() { host::MsgBox("Index not exists or not found.", host::vbInformation | host::vbOKOnly, "Not Found..."); }

// The enumerator NewEnum hands out: the items in position order, as they were when it was made.
class ItemEnumerator : public Object {
public:
    explicit ItemEnumerator(std::vector<TagItemRef> items, size_t next = 0) : items_(std::move(items)), next_(next) { }

    static const ClassInfo& info()
    {
        static const ClassInfo table {
            "Velmo10", "IEnumVARIANT", Creatable::No,
            {
                method("Next", &ItemEnumerator::Next, {}, TypeName::of(VarType::Object)),
                method("Skip", &ItemEnumerator::Skip, { param("celt", VarType::Long).by_value() }, TypeName::of(VarType::Boolean)),
                method("Reset", &ItemEnumerator::Reset),
                method("Clone", &ItemEnumerator::Clone, {}, TypeName::object("IEnumVARIANT")),
            },
        };
        return table;
    }
    const ClassInfo& class_info() const override { return info(); }

    // The next item, or nothing after the last.
    ObjectRef Next() { return next_ < items_.size() ? items_[next_++] : nullptr; }
    // Skips up to count items; True when that many were there.
    Boolean Skip(Long count)
    {
        size_t wanted = count.value() < 0 ? 0 : static_cast<size_t>(count.value());
        size_t left = items_.size() - next_;
        next_ += std::min(wanted, left);
        return Boolean::from(wanted <= left);
    }
    void Reset() { next_ = 0; }
    ObjectRef Clone() { return std::make_shared<ItemEnumerator>(items_, next_); }

private:
    std::vector<TagItemRef> items_;
    size_t next_;
};

}  // namespace

const ClassInfo& clsKxLumoJPGTagsItemsA::info()
{
    using Self = clsKxLumoJPGTagsItemsA;
    const auto string = TypeName::of(VarType::String);
    const auto long_ = TypeName::of(VarType::Long);
    const auto item = TypeName::object("clsKxLumoJPGTagsItemA");
    static const ClassInfo table {
        "Velmo10", "clsKxLumoJPGTagsItemsA", Creatable::No,
        {
            method("Clear", &Self::Clear).with_help(" Removes all objects in a items collection."),
            property_get("Count", &Self::Count, long_),
            property_get("NewEnum", &Self::NewEnum, TypeName::object("IUnknown")),
            method("Remove", &Self::Remove, { param("Index", VarType::Variant) }).with_help("Removes a specific member from a collection."),
            method("IsItemExistInItems", &Self::IsItemExistInItems, { param("sKey", VarType::String) }, TypeName::of(VarType::Boolean)),
            method("GetIndexForKey", &Self::GetIndexForKey, { param("sKey", VarType::String) }, long_)
                .with_help("Get an index for a specified key."),
            method("GetTagForTagName", &Self::GetTagForTagName, { param("sTagName", VarType::String) }, item),
            method("GetTagForTagID", &Self::GetTagForTagID, { param("lID", VarType::Long) }, item),
            method("Add", &Self::Add,
                {
                    param("Key", string).optional_(),
                    param("ID", long_).optional_(),
                    param("Name", string).optional_(),
                    param("Format", long_).optional_(),
                    param("Length", long_).optional_(),
                    param("Data", TypeName::of(VarType::Variant)).optional_(),
                    param("StringData", string).optional_(),
                },
                item),
            property_get("Item", &Self::Item, item, { param("Index", VarType::Variant) }),
        },
    };
    return table;
}

void clsKxLumoJPGTagsItemsA::Clear()
{
    listed_.reset();
    blanks_ = 0;
    for (auto& item : items_) {
        if (item.use_count() == 1)
            spare_.push_back(std::move(item));
    }
    items_.clear();
    keys_.clear();
    running_number_ = 0;
}

Long clsKxLumoJPGTagsItemsA::Count() { return Long(int64_t(items_.size() + (listed_ ? listed_->size() : 0) + blanks_)); }

ObjectRef clsKxLumoJPGTagsItemsA::NewEnum()
{
    make_blanks();
    return std::make_shared<ItemEnumerator>(items_);
}

void clsKxLumoJPGTagsItemsA::Remove(ByRef<Variant> Index)
{
    size_t position = position_for(Index);
    if (position == 0)
        return;
    items_.erase(items_.begin() + static_cast<ptrdiff_t>(position - 1));
    keys_.erase(keys_.begin() + static_cast<ptrdiff_t>(position - 1));
}

Boolean clsKxLumoJPGTagsItemsA::IsItemExistInItems(ByRef<std::string> sKey) { return Boolean::from(has_key(sKey.get())); }

Long clsKxLumoJPGTagsItemsA::GetIndexForKey(ByRef<std::string> sKey)
{
    // The current position, which Item and Remove take, rather than the running number the item
    // got when added: after a Remove the two differ.
    return Long(int64_t(position_of_key(sKey.get())));
}

size_t clsKxLumoJPGTagsItemsA::position_of_key(std::string_view key)
{
    make_blanks();
    size_t position = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
        if (same_text_ignoring_case(items_[i]->key(), key))
            position = i + 1;
    }
    return position;
}

ObjectRef clsKxLumoJPGTagsItemsA::GetTagForTagName(ByRef<std::string> sTagName) { return tag_for_name(sTagName.get()); }

ObjectRef clsKxLumoJPGTagsItemsA::GetTagForTagID(ByRef<Long> lID) { return tag_for_id(lID.get().value()); }

ObjectRef clsKxLumoJPGTagsItemsA::Add(ByRef<std::string> Key, ByRef<Long> ID, ByRef<std::string> Name, ByRef<Long> Format,
    ByRef<Long> Length, ByRef<Variant> Data, ByRef<std::string> StringData)
{
    std::string key = Key.get();
    std::string name = Name.get();
    std::string string_data = StringData.get();
    Variant data = Data.get();
    return add(NewTag { key, ID.get().value(), name, Format.get().value(), Length.get().value(), &data, {}, string_data });
}

ObjectRef clsKxLumoJPGTagsItemsA::Item(ByRef<Variant> Index)
{
    size_t position = position_for(Index);
    return position == 0 ? nullptr : items_[position - 1];
}

TagItemRef clsKxLumoJPGTagsItemsA::add(const NewTag& tag)
{
    make_blanks();
    if (has_key(tag.key)) {
        host::MsgBox(" '" + std::string(tag.key) + "' " + " Key is not unique in items collection or object already exists.",
            host::vbInformation | host::vbOKOnly, "Already exists...");
        return nullptr;
    }
    TagItemRef item = make_item(tag);
    // The list refuses a key it already stores, even when the item that has it was renamed since;
    // the item is then returned but not stored.
    for (const auto& stored : keys_) {
        if (same_text_ignoring_case(stored, tag.key))
            return item;
    }
    items_.push_back(item);
    keys_.emplace_back(tag.key);
    return item;
}

void clsKxLumoJPGTagsItemsA::add_distinct(const NewTag& tag)
{
    make_blanks();
    items_.push_back(make_item(tag));
    keys_.emplace_back(tag.key);
}

TagItemRef clsKxLumoJPGTagsItemsA::make_item(const NewTag& tag)
{
    TagItemRef item;
    if (!spare_.empty() && spare_.back().use_count() == 1) {
        item = std::move(spare_.back());
        spare_.pop_back();
    } else {
        item = std::make_shared<clsKxLumoJPGTagsItemA>();
    }
    running_number_ += 1;
    item->assign(tag.key, running_number_.value(), tag.id, tag.name, tag.format, tag.length, tag.string_data);
    // A Data without a text form leaves the item's Data at "", and the item is still added.
    item->assign_data_text(tag.data_text);
    if (tag.data)
        skip([&] { item->LetData(*tag.data); });
    return item;
}

void clsKxLumoJPGTagsItemsA::add_records(std::shared_ptr<const std::vector<TagRecord>> records, size_t first_key_number)
{
    make_blanks();
    if (records && !records->empty()) {
        listed_ = std::move(records);
        first_listed_key_number_ = first_key_number;
    }
}

void clsKxLumoJPGTagsItemsA::add_blanks(size_t first_key_number, size_t count)
{
    if (blanks_ > 0)
        make_blanks();
    blanks_ = count;
    first_blank_key_number_ = first_key_number;
}

void clsKxLumoJPGTagsItemsA::make_listed()
{
    if (!listed_)
        return;
    const auto records = std::move(listed_);
    listed_.reset();
    items_.reserve(items_.size() + records->size());
    keys_.reserve(keys_.size() + records->size());
    char key[24] = "KEY";
    for (size_t i = 0; i < records->size(); ++i) {
        const TagRecord& record = (*records)[i];
        // The item keeps the text form of the number.
        char data[32];
        size_t data_length = record.data ? write_decimal_text(*record.data, data) : 0;
        auto key_end = std::to_chars(key + 3, key + sizeof key, first_listed_key_number_ + i).ptr;
        std::string_view key_text(key, static_cast<size_t>(key_end - key));
        items_.push_back(make_item({ key_text, record.id, TagName(record).view(), record.format, record.length, nullptr,
            std::string_view(data, data_length), record.string_data }));
        keys_.emplace_back(key_text);
    }
}

void clsKxLumoJPGTagsItemsA::make_blanks()
{
    make_listed();
    if (blanks_ == 0)
        return;
    const size_t count = blanks_;
    blanks_ = 0;
    items_.reserve(items_.size() + count);
    keys_.reserve(keys_.size() + count);
    std::string key;
    for (size_t i = 0; i < count; ++i) {
        key = "KEY" + std::to_string(first_blank_key_number_ + i);
        add_distinct({ key, 0, {}, 0, 0, nullptr, {}, {} });
    }
}

bool clsKxLumoJPGTagsItemsA::has_key(std::string_view key)
{
    make_blanks();
    bool found = false;
    for (const auto& item : items_)
        found = found || same_text_ignoring_case(item->key(), key);
    return found;
}

TagItemRef clsKxLumoJPGTagsItemsA::tag_for_id(int32_t id)
{
    make_listed();
    if (id == 0)  // the one number blank items have
        make_blanks();
    TagItemRef match;
    for (const auto& item : items_) {
        if (item->id() == id)
            match = item;
    }
    return match;
}

TagItemRef clsKxLumoJPGTagsItemsA::tag_for_name(std::string_view name)
{
    make_listed();
    if (name.empty())  // the one name blank items have
        make_blanks();
    TagItemRef match;
    for (const auto& item : items_) {
        if (same_text_ignoring_case(item->name(), name))
            match = item;
    }
    return match;
}

size_t clsKxLumoJPGTagsItemsA::position_for(ByRef<Variant>& index)
{
    make_blanks();
    Variant value = index.get();
    size_t count = items_.size();
    if (value.type() == VarType::String) {
        // The current position of the last item with that key.
        size_t position = position_of_key(value.to_string());
        index = Variant(Long(int64_t(position)));
        if (position == 0)
            show_not_found();
        return position;
    }
    double number = 0;
    bool is_number = skip([&] { number = value.to_double(); });
    if (is_number && number > 0 && number <= static_cast<double>(count)) {
        int64_t position = clng(number).value();
        if (position >= 1 && static_cast<size_t>(position) <= count)
            return static_cast<size_t>(position);
    }
    show_not_found();
    return 0;
}

}  // namespace velmo::exif
