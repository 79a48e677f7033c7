#include "support/recording_surface.h"

#include <cctype>

namespace velmo::testing {

std::string SurfaceOp::text() const
{
    std::string out = member;
    if (how != Invoke::Call)
        return out + "=" + (args.empty() ? std::string() : args.front().to_string());
    for (const auto& arg : args)
        out += " " + (arg.type() == VarType::Object ? std::string("<object>") : arg.to_string());
    return out;
}

RecordingSurface::RecordingSurface(Kind kind, int pixel_width, int pixel_height)
    : kind_(kind)
    , pixel_width_(pixel_width)
    , pixel_height_(pixel_height)
{
    info_.library = "test";
    info_.name = kind == Kind::Form ? "RecordingForm" : "RecordingPictureBox";
    int outer = kind == Kind::Form ? 15 : 1;  // twips per pixel for a form's outer size
    properties_ = {
        { "scalemode", Variant(Integer(kind == Kind::Form ? 1 : 3)) },
        { "scalewidth", Variant(double(pixel_width * (kind == Kind::Form ? 15 : 1))) },
        { "scaleheight", Variant(double(pixel_height * (kind == Kind::Form ? 15 : 1))) },
        { "width", Variant(double(pixel_width * outer)) },
        { "height", Variant(double(pixel_height * outer)) },
        { "autoredraw", Variant(False) },
        { "drawmode", Variant(Integer(13)) },
        { "drawstyle", Variant(Integer(0)) },
        { "drawwidth", Variant(Integer(1)) },
        { "backcolor", Variant(Long(0xFFFFFF)) },
        { "currentx", Variant(0.0) },
        { "currenty", Variant(0.0) },
        { "hwnd", Variant(Long(0)) },
        { "hdc", Variant(Long(0)) },
    };
    if (kind == Kind::Form)
        properties_["windowstate"] = Variant(Integer(0));
}

Variant RecordingSurface::property(std::string_view name) const
{
    auto it = properties_.find(to_lower(name));
    return it == properties_.end() ? Variant() : it->second;
}

std::vector<SurfaceOp> RecordingSurface::calls(std::string_view member) const
{
    std::vector<SurfaceOp> out;
    for (const auto& op : ops_) {
        if (op.how == Invoke::Call && to_lower(op.member) == to_lower(member))
            out.push_back(op);
    }
    return out;
}

std::vector<SurfaceOp> RecordingSurface::puts(std::string_view member) const
{
    std::vector<SurfaceOp> out;
    for (const auto& op : ops_) {
        if (op.how != Invoke::Call && to_lower(op.member) == to_lower(member))
            out.push_back(op);
    }
    return out;
}

Variant RecordingSurface::invoke(std::string_view name, Invoke how, Args args)
{
    std::string key = to_lower(name);
    if (missing_.contains(key) || (key == "windowstate" && kind_ != Kind::Form))
        throw Error(err::MemberNotSupported, std::string(info_.name));

    SurfaceOp op { std::string(name), how, {} };
    for (auto* arg : args)
        op.args.push_back(*arg);

    static const std::set<std::string> methods = { "line", "circle", "refresh", "cls", "scalex", "scaley", "show" };
    if (how == Invoke::Call && methods.contains(key)) {
        ops_.push_back(op);
        if (key == "scalex" || key == "scaley") {
            // Only the conversions the component uses: twips <-> pixels, 15 to one.
            double value = (args.empty() ? 0.0 : args[0]->to_double());
            int from = args.size() > 1 ? args[1]->to_integer().value() : 1;
            int to = args.size() > 2 ? args[2]->to_integer().value() : 1;
            double twips = from == 3 ? value * 15 : value;
            return Variant(to == 3 ? twips / 15 : twips);
        }
        return {};
    }

    if (how == Invoke::Call) {
        auto it = properties_.find(key);
        if (it == properties_.end())
            throw Error(err::MemberNotSupported, std::string(info_.name));
        return it->second;
    }

    // A put: log it, store it, and keep the scale consistent the way a real surface does.
    ops_.push_back(op);
    Variant value = *args.back();
    if (key == "scalemode" && value.to_long().value() == 3) {
        properties_["scalewidth"] = Variant(double(pixel_width_));
        properties_["scaleheight"] = Variant(double(pixel_height_));
    }
    if (key == "scalewidth" || key == "scaleheight")
        properties_["scalemode"] = Variant(Integer(0));
    properties_[key] = value;
    return {};
}

}  // namespace velmo::testing
