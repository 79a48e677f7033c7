// Calling the painter the way a late-bound client does, with the test's own variables so that
// by-reference write-backs land in them, plus readers for the recorded primitives.
#pragma once

#include <algorithm>
#include <memory>
#include <vector>

#include "automation/late.h"
#include "gradients/gradients.h"
#include "runtime/colors.h"
#include "support/recording_surface.h"

namespace velmo::gradients::testing {

using velmo::testing::RecordingSurface;
using velmo::testing::SurfaceOp;
using Kind = RecordingSurface::Kind;

inline std::shared_ptr<clsKxLumoGradientsA> make_painter() { return std::make_shared<clsKxLumoGradientsA>(); }

inline std::shared_ptr<RecordingSurface> make_surface(Kind kind, int width_px, int height_px)
{
    return std::make_shared<RecordingSurface>(kind, width_px, height_px);
}

// Calls `member` with the given variables (by reference, as the caller's own).
inline Variant paint(const ObjectRef& painter, std::string_view member, std::vector<Variant>& variables)
{
    std::vector<Variant*> args;
    for (auto& v : variables)
        args.push_back(&v);
    return late::invoke(painter, member, Invoke::Call, args);
}

inline Variant surface_var(const std::shared_ptr<RecordingSurface>& surface) { return Variant(ObjectRef(surface)); }

inline int32_t rgb(int r, int g, int b) { return host::RGB(r, g, b).value(); }

// One recorded Line or Circle as numbers: flags, the coordinates and the colour.
struct Primitive {
    int flags = 0;
    std::vector<double> numbers;  // x1 y1 x2 y2 (Line) or x y radius (Circle)
    int32_t color = 0;
};

inline Primitive primitive(const SurfaceOp& op)
{
    Primitive p;
    p.flags = op.args.at(0).to_integer().value();
    size_t coordinates = op.member == "Circle" ? 3 : 4;
    for (size_t i = 1; i <= coordinates; ++i)
        p.numbers.push_back(op.args.at(i).to_double());
    p.color = op.args.at(coordinates + 1).to_long().value();
    return p;
}

inline std::vector<Primitive> primitives(const RecordingSurface& surface, std::string_view member = "Line")
{
    std::vector<Primitive> out;
    for (const auto& op : surface.calls(member))
        out.push_back(primitive(op));
    return out;
}

// A recording surface whose Line fails with error 5 on the chosen calls (counted from 1).
class LineFailingSurface : public RecordingSurface {
public:
    LineFailingSurface(Kind kind, int width_px, int height_px, std::vector<int> failing)
        : RecordingSurface(kind, width_px, height_px)
        , failing_(std::move(failing))
    {
    }
    Variant invoke(std::string_view name, Invoke how, Args args) override
    {
        if (name == "Line" && std::find(failing_.begin(), failing_.end(), ++lines_) != failing_.end())
            raise(err::InvalidArgument);
        return RecordingSurface::invoke(name, how, args);
    }

private:
    std::vector<int> failing_;
    int lines_ = 0;
};

inline std::vector<std::string> op_texts(const RecordingSurface& surface)
{
    std::vector<std::string> out;
    for (const auto& op : surface.ops())
        out.push_back(op.text());
    return out;
}

}  // namespace velmo::gradients::testing
