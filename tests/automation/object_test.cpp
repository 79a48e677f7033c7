#include <gtest/gtest.h>

#include "automation/dynamic_object.h"
#include "automation/event_source.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "support/velmo_error.h"

namespace velmo {
namespace {

// A small class exercising every binding feature through one member table.
class Sample : public Object {
public:
    const ClassInfo& class_info() const override { return info(); }
    static const ClassInfo& info()
    {
        static const ClassInfo table {
            "SampleLib", "clsSample", Creatable::Yes,
            {
                method("Bump", &Sample::Bump, { param("lValue", VarType::Long), param("lBy", VarType::Long).optional_default(1) }),
                method("Twice", &Sample::Twice, { param("iValue", VarType::Integer).by_value() }, TypeName::of(VarType::Integer)),
                method("StoreThenFail", &Sample::StoreThenFail, { param("lValue", VarType::Long) }),
                method("Watch", &Sample::Watch, { param("lValue", VarType::Long), param("oPump", VarType::Object) }, TypeName::of(VarType::Long)),
                method("Kind", &Sample::Kind, { param("vAny", VarType::Variant).optional_() }, TypeName::of(VarType::String)),
                property_get("Name", &Sample::GetName, TypeName::of(VarType::String)),
                property_let("Name", &Sample::LetName, TypeName::of(VarType::String)),
            },
        };
        return table;
    }

    void Bump(ByRef<Long> value, ByRef<Long> by) { value = value.get() + by.get(); }
    Integer Twice(Integer value) { return value * 2; }
    void StoreThenFail(ByRef<Long> value)
    {
        value = 7;
        raise(err::InvalidArgument);
    }
    // Reads the variable, lets a handler run, reads it again: the second read sees the change.
    Long Watch(ByRef<Long> value, ByRef<ObjectRef> pump)
    {
        Long before = value;
        late::call(pump.get(), "Run");
        return value.get() - before;
    }
    std::string Kind(Variant any) { return any.is_missing() ? "missing" : std::string(type_name(any.type())); }
    std::string GetName() { return name_; }
    void LetName(std::string value) { name_ = std::move(value); }

private:
    std::string name_ = "start";
};

ObjectRef make_sample() { return std::make_shared<Sample>(); }

TEST(LateBinding, ByRefWritesIntoTheCallersVariable)
{
    auto sample = make_sample();
    Variant value(Long(10));
    Variant by(Long(5));
    Variant* args[] = { &value, &by };
    late::invoke(sample, "bump", Invoke::Call, args);  // case-insensitive
    EXPECT_EQ(value, Variant(Long(15)));

    // A different type is coerced in and written back as the parameter's type.
    Variant text("3");
    Variant* one[] = { &text };
    late::invoke(sample, "Bump", Invoke::Call, one);  // lBy defaults to 1
    EXPECT_EQ(text, Variant(Long(4)));
}

TEST(LateBinding, StoredValueSurvivesAFailure)
{
    auto sample = make_sample();
    for (Variant start : { Variant(Long(0)), Variant(Integer(0)) }) {
        Variant* args[] = { &start };
        EXPECT_VELMO_ERROR(late::invoke(sample, "StoreThenFail", Invoke::Call, args), err::InvalidArgument, "SampleLib");
        EXPECT_EQ(start.to_long().value(), 7);
    }
}

TEST(LateBinding, ByRefAliasesForTheWholeCall)
{
    auto sample = make_sample();
    Variant value(Long(1));
    auto pump = std::make_shared<DynamicObject>();
    pump->on("Run", [&](Args) {
        value = Variant(Long(11));
        return Variant();
    });
    Variant pump_var { ObjectRef(pump) };
    Variant* args[] = { &value, &pump_var };
    EXPECT_EQ(late::invoke(sample, "Watch", Invoke::Call, args), Variant(Long(10)));
}

TEST(LateBinding, ArgumentsAndResults)
{
    auto sample = make_sample();
    EXPECT_EQ(late::call(sample, "Twice", 21), Variant(Integer(42)));
    EXPECT_VELMO_ERROR(late::call(sample, "Twice", 20000), err::Overflow, "SampleLib");
    EXPECT_EQ(late::call(sample, "Kind"), Variant("missing"));
    EXPECT_EQ(late::call(sample, "Kind", 2.5), Variant("Double"));
    EXPECT_VELMO_ERROR(late::call(sample, "Twice"), err::ArgumentNotOptional, "SampleLib");
    EXPECT_VELMO_ERROR(late::call(sample, "Twice", 1, 2), err::WrongArgumentCount, "SampleLib");
    EXPECT_VELMO_ERROR(late::call(sample, "Nope"), err::MemberNotSupported, "SampleLib");
    EXPECT_VELMO_ERROR(late::call(ObjectRef(), "Twice", 1), err::ObjectNotSet, "");

    late::let(sample, "NAME", "velmo");
    EXPECT_EQ(late::get(sample, "Name"), Variant("velmo"));
    EXPECT_VELMO_ERROR(late::set(sample, "Name", sample), err::MemberNotSupported, "SampleLib");
}

TEST(LateBinding, DispatchIdsFollowTheTable)
{
    const auto& info = Sample::info();
    EXPECT_EQ(info.dispid_of(0), first_dispid);
    EXPECT_EQ(info.dispid_of(5), first_dispid + 5);
    EXPECT_EQ(info.dispid_of(6), first_dispid + 5) << "a property's get and let share an id";
    auto sample = make_sample();
    Variant v(Integer(4));
    Variant* args[] = { &v };
    EXPECT_EQ(sample->invoke(first_dispid + 1, Invoke::Call, args), Variant(Integer(8)));
}

TEST(LateBinding, ThunkArityMustMatchTheTable)
{
    EXPECT_THROW(method("Bump", &Sample::Bump, { param("lValue", VarType::Long) }), std::logic_error);
}

TEST(Registry, CreatesRegisteredClassesOnly)
{
    register_class(Sample::info(), make_sample);
    EXPECT_NE(create_object("samplelib.CLSSAMPLE"), nullptr);
    EXPECT_VELMO_ERROR(create_object("SampleLib.clsOther"), err::CannotCreateObject, "SampleLib.clsOther");
    unregister_library("SampleLib");
    EXPECT_VELMO_ERROR(create_object("SampleLib.clsSample"), err::CannotCreateObject, "SampleLib.clsSample");
}

TEST(Events, RaiseCallsEachSinkByNameWithByRefArguments)
{
    EventSource source;
    auto sink = std::make_shared<DynamicObject>();
    sink->on("Changed", [](Args args) {
        *args[0] = Variant(Long(args[0]->to_long().value() + 1));
        return Variant();
    });
    source.connect(sink);
    source.connect(std::make_shared<DynamicObject>());  // handles nothing: skipped
    Variant value(Long(1));
    Variant* args[] = { &value };
    source.raise("Changed", args);
    EXPECT_EQ(value, Variant(Long(2)));
}

}  // namespace
}  // namespace velmo
