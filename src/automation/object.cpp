#include "automation/object.h"

#include <array>
#include <cctype>
#include <cstddef>
#include <memory_resource>
#include <new>

#include "automation/late.h"

namespace velmo {

bool equals_ignoring_case(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    // Member names are ASCII, and every late-bound call compares a few of them: no locale.
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; };
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

std::string to_lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

Variant Param::omitted_value() const
{
    if (has_default)
        return default_value;
    switch (type.vt) {
    case VarType::Variant: return Variant::missing();
    case VarType::String: return Variant(std::string());
    case VarType::Boolean: return Variant(False);
    case VarType::Object: return Variant(ObjectRef());
    default: return Variant(0).converted_to(type.vt);
    }
}

DispId ClassInfo::dispid_of(size_t index) const
{
    // Accessors of one property share the id of the first of them in the table.
    DispId id = first_id;
    for (size_t i = 0; i < index; ++i) {
        bool shares = false;
        for (size_t j = 0; j < i; ++j) {
            if (equals_ignoring_case(members[j].name, members[i].name))
                shares = true;
        }
        if (!shares)
            ++id;
    }
    for (size_t j = 0; j < index; ++j) {
        if (equals_ignoring_case(members[j].name, members[index].name))
            return dispid_of(j);
    }
    return id;
}

const Member* Object::find_member(std::string_view name, Invoke how) const
{
    const auto& members = class_info().members;
    auto find = [&](MemberKind kind) -> const Member* {
        for (const auto& m : members) {
            if (m.kind == kind && equals_ignoring_case(m.name, name))
                return &m;
        }
        return nullptr;
    };
    switch (how) {
    case Invoke::Call:
        if (auto* m = find(MemberKind::Method))
            return m;
        return find(MemberKind::PropertyGet);
    case Invoke::Let:
        return find(MemberKind::PropertyLet);
    case Invoke::Set:
        return find(MemberKind::PropertySet);
    }
    return nullptr;
}

Variant Object::invoke(std::string_view name, Invoke how, Args args)
{
    const Member* member = find_member(name, how);
    if (!member)
        throw Error(err::MemberNotSupported, std::string(class_info().library));
    return invoke_member(*member, args);
}

Variant Object::invoke(DispId id, Invoke how, Args args)
{
    const auto& info = class_info();
    for (size_t i = 0; i < info.members.size(); ++i) {
        if (info.dispid_of(i) == id)
            return invoke(info.members[i].name, how, args);
    }
    throw Error(err::MemberNotSupported, std::string(info.library));
}

Variant Object::invoke_member(const Member& member, Args args)
{
    const auto& params = member.params;
    if (args.size() > params.size())
        throw Error(err::WrongArgumentCount, std::string(class_info().library));

    // Every late-bound call passes through here, and most members take a few parameters: those
    // are bound in a buffer on the stack rather than on the heap.
    alignas(Variant) std::array<std::byte, 8 * (sizeof(Variant) + sizeof(Variant*))> buffer;
    std::pmr::monotonic_buffer_resource arena(buffer.data(), buffer.size());
    std::pmr::vector<Variant> filled(params.size(), std::pmr::polymorphic_allocator<Variant>(&arena));
    std::pmr::vector<Variant*> bound(params.size(), std::pmr::polymorphic_allocator<Variant*>(&arena));
    // Omitted trailing arguments, and the missing marker given for a typed optional parameter,
    // arrive as the parameter's default or zero value.
    for (size_t i = 0; i < params.size(); ++i) {
        bool omitted = i >= args.size() || (args[i]->is_missing() && params[i].type.vt != VarType::Variant);
        if (omitted && !params[i].optional)
            throw Error(err::ArgumentNotOptional, std::string(class_info().library));
        if (omitted) {
            filled[i] = params[i].omitted_value();
            bound[i] = &filled[i];
        } else if (params[i].pass == Pass::ByValue) {
            filled[i] = *args[i];
            bound[i] = &filled[i];
        } else {
            bound[i] = args[i];
        }
    }

    try {
        return member.thunk(*this, bound);
    } catch (Error& error) {
        error.set_source_if_empty(class_info().library);
        throw;
    } catch (const std::bad_alloc&) {
        throw Error(err::OutOfMemory, std::string(class_info().library));
    } catch (const std::exception& e) {
        throw Error(err::OutOfMemory, std::string(class_info().library), std::string("Internal failure: ") + e.what());
    }
}

namespace late {

Variant invoke(const ObjectRef& object, std::string_view name, Invoke how, Args args)
{
    if (!object)
        raise(err::ObjectNotSet);
    return object->invoke(name, how, args);
}

void let(const ObjectRef& object, std::string_view name, Variant value)
{
    Variant* args[] = { &value };
    invoke(object, name, Invoke::Let, args);
}

void set(const ObjectRef& object, std::string_view name, ObjectRef value)
{
    Variant boxed(std::move(value));
    Variant* args[] = { &boxed };
    invoke(object, name, Invoke::Set, args);
}

}  // namespace late

}  // namespace velmo
