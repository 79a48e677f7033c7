// ByRef<T>: a by-reference parameter. It aliases the caller's variable for the whole call, so a
// handler that runs mid-call (through DoEvents) and changes the variable is seen by the member, and
// a value the member stores stays stored even when the member fails later.
//
// When the caller's Variant holds a different type, the value is coerced into a temporary at entry
// and written back (as T) on every exit, error included, if the member stored into it.
#pragma once

#include "automation/variant.h"

namespace velmo {

template<typename T>
class ByRef {
public:
    explicit ByRef(Variant& target)
        : target_(target)
        , aliased_(std::is_same_v<T, Variant> || target.type() == var_type_of<T>)
    {
        if (!aliased_)
            temporary_ = target.as<T>();
    }
    ByRef(const ByRef&) = delete;
    ByRef& operator=(const ByRef&) = delete;
    ~ByRef()
    {
        if (!aliased_ && written_)
            target_ = Variant(temporary_);
    }

    T get() const { return aliased_ ? target_.as<T>() : temporary_; }
    operator T() const { return get(); }  // NOLINT(google-explicit-constructor)

    void set(T value)
    {
        if (aliased_) {
            target_ = Variant(std::move(value));
        } else {
            temporary_ = std::move(value);
            written_ = true;
        }
    }
    ByRef& operator=(T value)
    {
        set(std::move(value));
        return *this;
    }

    /// The caller's variable itself, for passing it on by reference.
    Variant& variable() { return target_; }

private:
    Variant& target_;
    bool aliased_;
    bool written_ = false;
    T temporary_ {};
};

template<typename T> struct is_by_ref : std::false_type { };
template<typename T> struct is_by_ref<ByRef<T>> : std::true_type { };

}  // namespace velmo
