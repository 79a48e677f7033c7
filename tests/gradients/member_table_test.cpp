// The painter as the type library lists it: 46 members in function-table order, parameter shapes,
// the two enumerations, and creation by ProgID.
#include <gtest/gtest.h>

#include "automation/registry.h"
#include "gradients/register.h"
#include "painter_calls.h"

namespace velmo::gradients::testing {
namespace {

TEST(MemberTable, FortySixMethodsInFunctionTableOrder)
{
    const std::vector<std::string_view> order = { "Gradient", "GradientFormNow", "Gradient01", "Gradient02",
        "BoxGradient", "CircleGradient", "DiagGradient", "GrafittiZigZag", "HorizGradient", "SpinGradient",
        "RectGradient", "MidBlueBlack", "MidRedBlack", "MidGreenBlack", "MidCyanBlack", "MidYellowBlack",
        "MidPurpleBlack", "MidGrayBlack", "RedBuild", "GreenBuild", "BlueBuild", "YellowBuild", "CyanBuild",
        "PurpleBuild", "GrayBuild", "RedBlack", "GreenBlack", "BlueBlack", "YellowBlack", "CyanBlack", "PurpleBlack",
        "GrayBlack", "HalfRedBlack", "HalfGreenBlack", "HalfBlueBlack", "HalfYellowBlack", "HalfCyanBlack",
        "HalfPurpleBlack", "HalfGrayBlack", "RedBlackDown", "GreenBlackDown", "BlueBlackDown", "YellowBlackDown",
        "PurpleBlackDown", "CyanBlackDown", "GrayBlackDown" };
    const auto& info = clsKxLumoGradientsA::info();
    EXPECT_EQ(info.library, "Velmo10");
    EXPECT_EQ(info.progid(), "Velmo10.clsKxLumoGradientsA");
    EXPECT_EQ(info.creatable, Creatable::Yes);
    ASSERT_EQ(info.members.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(info.members[i].name, order[i]);
        EXPECT_EQ(info.members[i].kind, MemberKind::Method);
        EXPECT_EQ(info.members[i].result.vt, VarType::Empty) << "members return only their status";
        EXPECT_EQ(info.dispid_of(i), first_dispid + DispId(i));
        for (const auto& p : info.members[i].params) {
            EXPECT_EQ(p.pass, Pass::ByRef) << order[i] << " " << p.name;
            EXPECT_FALSE(p.optional);
        }
    }
}

TEST(MemberTable, ParameterNamesAndTypes)
{
    struct Case {
        std::string_view member;
        std::vector<std::string> params;  // "name:type"
    };
    const Case cases[] = {
        { "Gradient", { "TheObject:Object", "Redval:Long", "Greenval:Long", "Blueval:Long", "TopToBottom:Boolean" } },
        { "GradientFormNow", { "oForm:Object", "iWhichGradient:Integer" } },
        { "Gradient01", { "Obj:Object", "Color:GradientWhatColorLumoConstants", "Orient:GradientOrientationLumoConstants" } },
        { "Gradient02", { "Obj:Object", "Color:GradientWhatColorLumoConstants" } },
        { "BoxGradient", { "frmForm:Object", "rs:Integer", "gs:Integer", "bs:Integer", "re:Integer", "ge:Integer",
                             "be:Integer", "Size:Integer", "smooth:Boolean" } },
        { "SpinGradient", { "frmForm:Object", "rs:Integer", "gs:Integer", "bs:Integer", "re:Integer", "ge:Integer",
                              "be:Integer", "smooth:Boolean" } },
        { "GrafittiZigZag", { "frmForm:Object" } },
        { "PurpleBlackDown", { "Frm:Object" } },
    };
    const auto& info = clsKxLumoGradientsA::info();
    for (const auto& c : cases) {
        auto it = std::find_if(info.members.begin(), info.members.end(), [&](const Member& m) { return m.name == c.member; });
        ASSERT_NE(it, info.members.end()) << c.member;
        std::vector<std::string> actual;
        for (const auto& p : it->params)
            actual.push_back(std::string(p.name) + ":" + std::string(p.type.text()));
        EXPECT_EQ(actual, c.params) << c.member;
    }
}

TEST(MemberTable, Enumerations)
{
    auto enums = enumerations();
    ASSERT_EQ(enums.size(), 2u);
    EXPECT_EQ(enums[0].name, "GradientWhatColorLumoConstants");
    const std::vector<std::pair<std::string_view, int32_t>> colors = { { "Red", 0 }, { "Green", 1 }, { "Blue", 2 },
        { "RedGreen", 3 }, { "RedBlue", 4 }, { "GreenBlue", 5 }, { "RedGreenBlue", 6 }, { "None", 7 } };
    EXPECT_EQ(enums[0].values, colors);
    EXPECT_EQ(enums[1].name, "GradientOrientationLumoConstants");
    const std::vector<std::pair<std::string_view, int32_t>> orientations = { { "Horizontal", 0 }, { "Vertical", 1 } };
    EXPECT_EQ(enums[1].values, orientations);
}

TEST(MemberTable, CreatedByProgIdAndCalledByAnySpelling)
{
    register_classes();
    ASSERT_EQ(classes().size(), 1u);
    ObjectRef painter = create_object("Velmo10.clsKxLumoGradientsA");
    ASSERT_NE(painter, nullptr);
    auto form = make_surface(Kind::Form, 300, 200);
    std::vector<Variant> vars { surface_var(form), Integer(100) };
    paint(painter, "gradientformnow", vars);
    EXPECT_EQ(form->calls("Line").size(), 256u);
    EXPECT_NE(create_object("Velmo10.clsKxLumoGradientsA"), painter) << "every creation is a new instance";
    unregister_library("Velmo10");
}

}  // namespace
}  // namespace velmo::gradients::testing
