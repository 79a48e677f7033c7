// The cost of one late-bound call as the painters make it: Line with six by-value arguments, found
// by name on an object with a member table of ordinary size.
#include <benchmark/benchmark.h>

#include "automation/late.h"

namespace velmo {
namespace {

class Target : public Object {
public:
    static const ClassInfo& info()
    {
        static const ClassInfo table {
            "Bench", "Target", Creatable::No,
            {
                property_get("ScaleWidth", &Target::ScaleWidth, TypeName::of(VarType::Double)),
                property_get("ScaleHeight", &Target::ScaleWidth, TypeName::of(VarType::Double)),
                property_get("Width", &Target::ScaleWidth, TypeName::of(VarType::Double)),
                property_get("Height", &Target::ScaleWidth, TypeName::of(VarType::Double)),
                property_let("DrawWidth", &Target::LetDrawWidth, TypeName::of(VarType::Integer)),
                property_let("DrawStyle", &Target::LetDrawWidth, TypeName::of(VarType::Integer)),
                property_let("DrawMode", &Target::LetDrawWidth, TypeName::of(VarType::Integer)),
                method("Line", &Target::Line,
                    { param("Flags", VarType::Integer).by_value(), param("X1", VarType::Single).by_value(), param("Y1", VarType::Single).by_value(),
                        param("X2", VarType::Single).by_value(), param("Y2", VarType::Single).by_value(), param("Color", VarType::Long).by_value() }),
            },
        };
        return table;
    }
    const ClassInfo& class_info() const override { return info(); }

    double ScaleWidth() { return 255; }
    void LetDrawWidth(Integer value) { last_ = value.value(); }
    void Line(Integer flags, float x1, float y1, float x2, float y2, Long color)
    {
        sum_ += flags.value() + x1 + y1 + x2 + y2 + static_cast<float>(color.value());
    }
    float sum_ = 0;
    int last_ = 0;
};

void BM_LateBoundLine(benchmark::State& state)
{
    ObjectRef target = std::make_shared<Target>();
    int i = 0;
    for (auto _ : state) {
        late::call(target, "Line", Integer(6), Integer(i & 255), Integer(0), Integer(i & 255), Integer(255), Long(0x00FF00));
        ++i;
    }
}
BENCHMARK(BM_LateBoundLine);

void BM_LateBoundPropertyRead(benchmark::State& state)
{
    ObjectRef target = std::make_shared<Target>();
    for (auto _ : state)
        benchmark::DoNotOptimize(late::get(target, "ScaleHeight").to_double());
}
BENCHMARK(BM_LateBoundPropertyRead);

}  // namespace
}  // namespace velmo
