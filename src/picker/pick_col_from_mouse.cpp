#include "picker/pick_col_from_mouse.h"

#include "automation/error_modes.h"
#include "picker/picker_form.h"

namespace velmo::picker {

namespace {
// Holds the newest picker alive; nothing ever clears it.
thread_local std::shared_ptr<clsKxLumoPickColFromMouseA> active_picker;
}  // namespace

std::shared_ptr<clsKxLumoPickColFromMouseA> ActivePicker() { return active_picker; }

std::shared_ptr<clsKxLumoPickColFromMouseA> clsKxLumoPickColFromMouseA::create()
{
    std::shared_ptr<clsKxLumoPickColFromMouseA> made(new clsKxLumoPickColFromMouseA());
    active_picker = made;
    return made;
}

const ClassInfo& clsKxLumoPickColFromMouseA::info()
{
    static const ClassInfo table = [] {
        auto long_ = TypeName::of(VarType::Long);
        auto text = TypeName::of(VarType::String);
        return ClassInfo {
            "Velmo10", "clsKxLumoPickColFromMouseA", Creatable::Yes,
            {
                method("StartGettingRGB", &clsKxLumoPickColFromMouseA::StartGettingRGB),
                method("StopGettingRGB", &clsKxLumoPickColFromMouseA::StopGettingRGB),
                property_get("TimeInterval", &clsKxLumoPickColFromMouseA::get_TimeInterval, long_),
                property_let("TimeInterval", &clsKxLumoPickColFromMouseA::let_TimeInterval, long_),
            },
            "__clsKxLumoPickColFromMouseA",
            { event("RGBUnderMousePointer", { param("R", text), param("G", text), param("b", text), param("lCol", long_) }) },
        };
    }();
    return table;
}

void clsKxLumoPickColFromMouseA::StartGettingRGB()
{
    skip([&] {
        if (get_TimeInterval().value() == 0)
            let_TimeInterval(100);
    });
    skip([&] { picker_timer().let_Interval(get_TimeInterval()); });
}

void clsKxLumoPickColFromMouseA::StopGettingRGB()
{
    skip([&] { picker_timer().let_Interval(0); });
}

void clsKxLumoPickColFromMouseA::RaiseRGBUnderMousePointer(Variant& R, Variant& G, Variant& b, Variant& lCol)
{
    Variant* args[] = { &R, &G, &b, &lCol };
    events_.raise("RGBUnderMousePointer", args);
}

}  // namespace velmo::picker
