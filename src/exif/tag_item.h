// clsKxLumoJPGTagsItemA: one tag as the caller sees it. Eight plain properties with no checks;
// Data keeps the text form of the value it was given.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "automation/object.h"

namespace velmo::exif {

class clsKxLumoJPGTagsItemA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    std::string GetKey() { return key_; }
    void LetKey(std::string value) { key_ = std::move(value); }
    Long GetIndex() { return index_; }
    void LetIndex(Long value) { index_ = value; }
    std::string GetName() { return name_; }
    void LetName(std::string value) { name_ = std::move(value); }
    std::string GetStringData() { return string_data_; }
    void LetStringData(std::string value) { string_data_ = std::move(value); }
    // The text, as a String Variant.
    Variant GetData() { return Variant(data_); }
    // Stores the value's text form; a value without one (Null, an object, the missing marker)
    // raises and leaves the text as it was.
    void LetData(Variant value) { data_ = value.to_string(); }
    Long GetLength() { return length_; }
    void LetLength(Long value) { length_ = value; }
    Long GetFormat() { return format_; }
    void LetFormat(Long value) { format_ = value; }
    Long GetID() { return id_; }
    void LetID(Long value) { id_ = value; }

    // Sets every property but Data, reusing the texts' storage.
    void assign(std::string_view key, int32_t index, int32_t id, std::string_view name, int32_t format, int32_t length, std::string_view string_data)
    {
        key_.assign(key);
        index_ = index;
        id_ = id;
        name_.assign(name);
        format_ = format;
        length_ = length;
        string_data_.assign(string_data);
    }
    void assign_data_text(std::string_view text) { data_.assign(text); }

    // Read access for the library's own code, without copies.
    const std::string& key() const { return key_; }
    const std::string& name() const { return name_; }
    const std::string& string_data() const { return string_data_; }
    const std::string& data_text() const { return data_; }
    int32_t index() const { return index_.value(); }
    int32_t id() const { return id_.value(); }

private:
    std::string key_;
    Long index_;
    std::string name_;
    std::string string_data_;
    std::string data_;
    Long length_;
    Long format_;
    Long id_;
};

using TagItemRef = std::shared_ptr<clsKxLumoJPGTagsItemA>;

}  // namespace velmo::exif
