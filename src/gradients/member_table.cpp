// The member table of clsKxLumoGradientsA: 46 methods in function-table order (which is also the
// order of their dispatch ids), and the two enumerations of the painter.
#include "gradients/gradients.h"
#include "gradients/register.h"

namespace velmo::gradients {

namespace {

using C = clsKxLumoGradientsA;

Param surface(std::string_view name) { return param(name, VarType::Object); }
Param integer(std::string_view name) { return param(name, VarType::Integer); }

// frmForm and the two colours, as the two-colour shaped members take them.
std::vector<Param> two_colors(std::vector<Param> tail)
{
    std::vector<Param> params { surface("frmForm"), integer("rs"), integer("gs"), integer("bs"), integer("re"),
        integer("ge"), integer("be") };
    params.insert(params.end(), tail.begin(), tail.end());
    return params;
}

Member preset(std::string_view name, void (C::*fn)(ByRef<ObjectRef>)) { return method(name, fn, { surface("Frm") }); }

}  // namespace

const ClassInfo& clsKxLumoGradientsA::info()
{
    static const ClassInfo table {
        "Velmo10",
        "clsKxLumoGradientsA",
        Creatable::Yes,
        {
            method("Gradient", &C::Gradient,
                { surface("TheObject"), param("Redval", VarType::Long), param("Greenval", VarType::Long),
                    param("Blueval", VarType::Long), param("TopToBottom", VarType::Boolean) }),
            method("GradientFormNow", &C::GradientFormNow, { surface("oForm"), integer("iWhichGradient") }),
            method("Gradient01", &C::Gradient01,
                { surface("Obj"), param("Color", TypeName::enumeration("GradientWhatColorLumoConstants")),
                    param("Orient", TypeName::enumeration("GradientOrientationLumoConstants")) }),
            method("Gradient02", &C::Gradient02,
                { surface("Obj"), param("Color", TypeName::enumeration("GradientWhatColorLumoConstants")) }),
            method("BoxGradient", &C::BoxGradient,
                two_colors({ integer("Size"), param("smooth", VarType::Boolean) })),
            method("CircleGradient", &C::CircleGradient, two_colors({ param("smooth", VarType::Boolean) })),
            method("DiagGradient", &C::DiagGradient, two_colors({ param("smooth", VarType::Boolean) })),
            method("GrafittiZigZag", &C::GrafittiZigZag, { surface("frmForm") }),
            method("HorizGradient", &C::HorizGradient, two_colors({ param("smooth", VarType::Boolean) })),
            method("SpinGradient", &C::SpinGradient, two_colors({ param("smooth", VarType::Boolean) })),
            method("RectGradient", &C::RectGradient, two_colors({ param("smooth", VarType::Boolean) })),
            preset("MidBlueBlack", &C::MidBlueBlack),
            preset("MidRedBlack", &C::MidRedBlack),
            preset("MidGreenBlack", &C::MidGreenBlack),
            preset("MidCyanBlack", &C::MidCyanBlack),
            preset("MidYellowBlack", &C::MidYellowBlack),
            preset("MidPurpleBlack", &C::MidPurpleBlack),
            preset("MidGrayBlack", &C::MidGrayBlack),
            preset("RedBuild", &C::RedBuild),
            preset("GreenBuild", &C::GreenBuild),
            preset("BlueBuild", &C::BlueBuild),
            preset("YellowBuild", &C::YellowBuild),
            preset("CyanBuild", &C::CyanBuild),
            preset("PurpleBuild", &C::PurpleBuild),
            preset("GrayBuild", &C::GrayBuild),
            preset("RedBlack", &C::RedBlack),
            preset("GreenBlack", &C::GreenBlack),
            preset("BlueBlack", &C::BlueBlack),
            preset("YellowBlack", &C::YellowBlack),
            preset("CyanBlack", &C::CyanBlack),
            preset("PurpleBlack", &C::PurpleBlack),
            preset("GrayBlack", &C::GrayBlack),
            preset("HalfRedBlack", &C::HalfRedBlack),
            preset("HalfGreenBlack", &C::HalfGreenBlack),
            preset("HalfBlueBlack", &C::HalfBlueBlack),
            preset("HalfYellowBlack", &C::HalfYellowBlack),
            preset("HalfCyanBlack", &C::HalfCyanBlack),
            preset("HalfPurpleBlack", &C::HalfPurpleBlack),
            preset("HalfGrayBlack", &C::HalfGrayBlack),
            preset("RedBlackDown", &C::RedBlackDown),
            preset("GreenBlackDown", &C::GreenBlackDown),
            preset("BlueBlackDown", &C::BlueBlackDown),
            preset("YellowBlackDown", &C::YellowBlackDown),
            preset("PurpleBlackDown", &C::PurpleBlackDown),
            preset("CyanBlackDown", &C::CyanBlackDown),
            preset("GrayBlackDown", &C::GrayBlackDown),
        },
    };
    return table;
}

std::vector<Enumeration> enumerations()
{
    return {
        Enumeration { "GradientWhatColorLumoConstants",
            { { "Red", 0 }, { "Green", 1 }, { "Blue", 2 }, { "RedGreen", 3 }, { "RedBlue", 4 }, { "GreenBlue", 5 },
                { "RedGreenBlue", 6 }, { "None", 7 } } },
        Enumeration { "GradientOrientationLumoConstants", { { "Horizontal", 0 }, { "Vertical", 1 } } },
    };
}

}  // namespace velmo::gradients
