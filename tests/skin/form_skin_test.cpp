// clsKxLumoUIFormSkinA on real forms of the memory display: the shaped and painted form, its
// fifteen-fold size, where the skin comes from, the shared hidden box, and Show reporting each
// failing step through the error-handler service and going on.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "automation/late.h"
#include "automation/registry.h"
#include "host/load_picture.h"
#include "host/form.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/user.h"
#include "services/kxbasalt10.h"
#include "skin/register.h"
#include "skin_images.h"
#include "support/memory_display.h"
#include "support/skin_fixture.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo::skin {
namespace {

using namespace velmo::platform;
using testing::color_of;
using velmo::testing::heart_skin;

constexpr gfx::Color desktop { 0x3A, 0x6E, 0xA5 };

class FormSkin : public velmo::testing::MemoryDisplayTest {
protected:
    FormSkin()
        : MemoryDisplayTest({ { 1280, 800 }, 32, desktop })
    {
    }
    void SetUp() override
    {
        MemoryDisplayTest::SetUp();
        register_classes();
        kxbasalt10::load();
        kxbasalt10::clear_received_reports();
    }
    void TearDown() override
    {
        kxbasalt10::unload();
        unregister_library("Velmo10");
        MemoryDisplayTest::TearDown();
    }

    std::string skin_file(const std::string& name, const std::vector<std::string>& rows) { return velmo::testing::write_skin(dir_ / name, rows); }

    // A visible borderless form at (left, top), as a host gives a skinned form.
    static std::shared_ptr<host::Form> borderless_form(int left = 0, int top = 0)
    {
        auto form = host::Form::create(10, 10);
        ObjectRef f = form;
        late::let(f, "BorderStyle", 0);
        late::let(f, "Left", left * 15);
        late::let(f, "Top", top * 15);
        late::call(f, "Show");
        return form;
    }

    static ObjectRef new_skin() { return create_object("Velmo10.clsKxLumoUIFormSkinA"); }

    static std::vector<kxbasalt10::ErrorReport> reports() { return kxbasalt10::received_reports(); }

    velmo::testing::TempFolder dir_ { "velmo-skin" };
};

TEST_F(FormSkin, ShowShapesTheFormAndPaintsTheSkin)
{
    auto form = borderless_form(40, 30);
    ObjectRef skin = new_skin();
    late::let(skin, "SkinFile", skin_file("heart.png", heart_skin));
    late::set(skin, "FormObject", form);
    late::call(skin, "Show");
    EXPECT_TRUE(reports().empty());

    const Window* window = find_window(form->window());
    ASSERT_TRUE(window && window->region);
    ScopedWindowDC screen(GetDC(0), 0);
    for (int y = -1; y <= 5; ++y) {
        for (int x = -1; x <= 10; ++x) {
            bool opaque = x >= 0 && y >= 0 && x < 10 && y < 5 && heart_skin[y][x] != '.';
            ASSERT_EQ(window->region->contains(x, y), opaque) << x << "," << y;
            COLORREF shown = GetPixel(screen.get(), 40 + x, 30 + y);
            ASSERT_EQ(shown, opaque ? color_of(heart_skin[y][x]) : desktop.to_colorref()) << "screen at " << x << "," << y;
        }
    }
    // The form's own picture is the skin, at the client origin.
    EXPECT_EQ(uint32_t(form->pixel(4, 2)), color_of('r'));
}

TEST_F(FormSkin, TheFormBecomesFifteenTimesTheBoxInTwips)
{
    auto form = borderless_form();
    ObjectRef skin = new_skin();
    late::let(skin, "SkinFile", skin_file("wide.png", std::vector<std::string>(10, "." + std::string(199, '#'))));
    late::set(skin, "FormObject", form);
    late::call(skin, "Show");
    EXPECT_TRUE(reports().empty());
    ObjectRef box = late::get(skin, "SkinPicBoxObject").to_object();
    EXPECT_EQ(late::get(box, "Width").to_double(), 3000);
    EXPECT_EQ(late::get(box, "Height").to_double(), 150);
    EXPECT_EQ(late::get(form, "Width").to_double(), 45000);
    EXPECT_EQ(late::get(form, "Height").to_double(), 2250);
}

TEST_F(FormSkin, AFileNameWinsOverThePicture)
{
    std::string file = skin_file("file.png", { ".#", ".#" });
    ObjectRef picture = host::LoadPicture(skin_file("picture.png", { "...", "..#", "##." }));
    struct Case {
        const char* name;
        std::string file;
        ObjectRef picture;
        double box_width;  // twips of the natural size
    };
    const Case cases[] = {
        { "both set", file, picture, 2 * 15 },
        { "only the file", file, nullptr, 2 * 15 },
        { "only the picture", "", picture, 3 * 15 },
    };
    for (const auto& c : cases) {
        ObjectRef skin = new_skin();
        late::let(skin, "SkinFile", c.file);
        late::set(skin, "SkinIPPicture", c.picture);
        late::set(skin, "FormObject", borderless_form());
        late::call(skin, "Show");
        ObjectRef box = late::get(skin, "SkinPicBoxObject").to_object();
        EXPECT_EQ(late::get(box, "Width").to_double(), c.box_width) << c.name;
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(FormSkin, WithNeitherSetTheFormLosesItsRegion)
{
    auto form = borderless_form();
    SetWindowRgn(form->window(), CreateRectRgn(0, 0, 5, 5), 1);
    ObjectRef skin = new_skin();
    late::set(skin, "FormObject", form);
    late::call(skin, "Show");
    EXPECT_TRUE(reports().empty());
    ObjectRef box = late::get(skin, "SkinPicBoxObject").to_object();
    EXPECT_EQ(late::get(late::get(box, "Picture").to_object(), "Handle"), Variant(Long(0))) << "an empty picture";
    EXPECT_FALSE(find_window(form->window())->region) << "region 0 removes the form's region";
}

TEST_F(FormSkin, TheCallersBoxIsReplacedByTheThreadsHiddenOne)
{
    std::string file = skin_file("dot.png", { "..", ".#" });
    ObjectRef callers_box = host::PictureBox::create(20, 20);
    ObjectRef first = new_skin();
    ObjectRef second = new_skin();
    late::set(first, "SkinPicBoxObject", callers_box);
    for (const ObjectRef& skin : { first, second }) {
        late::let(skin, "SkinFile", file);
        late::set(skin, "FormObject", borderless_form());
        late::call(skin, "Show");
    }
    ObjectRef hidden = late::get(first, "SkinPicBoxObject").to_object();
    EXPECT_NE(hidden, callers_box);
    EXPECT_EQ(late::get(second, "SkinPicBoxObject").to_object(), hidden) << "one hidden box per thread";

    ObjectRef elsewhere;
    std::thread([&] {
        ObjectRef skin = new_skin();
        late::let(skin, "SkinFile", file);
        late::call(skin, "Show");
        elsewhere = late::get(skin, "SkinPicBoxObject").to_object();
    }).join();
    EXPECT_NE(elsewhere, nullptr);
    EXPECT_NE(elsewhere, hidden) << "another thread has its own hidden form";
}

TEST_F(FormSkin, AnUnreadableSkinFileIsReportedAndTheLastSkinStays)
{
    std::string good = skin_file("good.png", heart_skin);
    std::string garbage = (dir_ / "garbage.png").string();
    std::ofstream(garbage) << "not a picture at all";
    struct Case {
        std::string file;
        int32_t number;
    };
    const Case cases[] = {
        { (dir_ / "missing.png").string(), err::FileNotFound },
        { garbage, err::InvalidPicture },
    };
    for (const auto& c : cases) {
        auto form = borderless_form();
        ObjectRef skin = new_skin();
        late::set(skin, "FormObject", form);
        late::let(skin, "SkinFile", good);
        late::call(skin, "Show");
        kxbasalt10::clear_received_reports();

        late::let(skin, "SkinFile", c.file);
        late::call(skin, "Show");
        ASSERT_EQ(reports().size(), 1u) << c.file;
        EXPECT_EQ(reports()[0].location, "czLumoUIFormSkin.Show");
        EXPECT_EQ(reports()[0].number, c.number) << c.file;
        // The box kept the last picture, so the form is shaped by it again.
        ObjectRef box = late::get(skin, "SkinPicBoxObject").to_object();
        EXPECT_EQ(late::get(box, "Width").to_double(), 10 * 15) << c.file;
        ASSERT_TRUE(find_window(form->window())->region) << c.file;
        EXPECT_TRUE(find_window(form->window())->region->contains(4, 2)) << c.file;
        kxbasalt10::clear_received_reports();
    }
}

TEST_F(FormSkin, ShowWithoutAFormReportsEachFailingStepAndReturns)
{
    struct Case {
        const char* name;
        ObjectRef form;
        int32_t number;
    };
    const Case cases[] = {
        { "never set", nullptr, err::ObjectNotSet },
        { "an object that is no form", std::make_shared<DynamicObject>("Thing"), err::MemberNotSupported },
    };
    std::string file = skin_file("dot.png", { "..", ".#" });
    for (const auto& c : cases) {
        kxbasalt10::clear_received_reports();
        ObjectRef skin = new_skin();
        late::let(skin, "SkinFile", file);
        late::set(skin, "FormObject", c.form);
        late::call(skin, "Show");
        // Width, Height, the window handle for the region, Refresh, Picture, Refresh.
        ASSERT_EQ(reports().size(), 6u) << c.name;
        for (const auto& report : reports()) {
            EXPECT_EQ(report.location, "czLumoUIFormSkin.Show") << c.name;
            EXPECT_EQ(report.number, c.number) << c.name;
        }
    }
}

TEST_F(FormSkin, AReportThatFailsReachesTheCaller)
{
    kxbasalt10::unload();
    ObjectRef skin = new_skin();
    late::let(skin, "SkinFile", (dir_ / "missing.png").string());
    EXPECT_VELMO_ERROR(late::call(skin, "Show"), err::CannotCreateObject, "KxBasalt10.clsKxsvErrorHandlerA");
}

// The host form's MouseDown handler calls MakeMoveable; the drag is the pointer's path from the
// press to the release, injected before the press is delivered.
TEST_F(FormSkin, MakeMoveableWithTheLeftButtonDragsTheFormBySkin)
{
    struct Case {
        const char* name;
        Variant button;  // what the handler passes, unless Empty: then the event's own Button
        gfx::Point press;  // in the form, which stands at (100, 80)
        bool moves;
    };
    const Case cases[] = {
        { "the event's Button", Variant(), { 4, 2 }, true },
        { "Long 1 on the outline", Long(1), { 2, 0 }, true },
        { "Double 1", 1.0, { 5, 4 }, true },
        { "2, the right button", Integer(2), { 4, 2 }, false },
        { "omitted", Variant::missing(), { 4, 2 }, false },
        { "the text 1", "1", { 4, 2 }, false },
        { "Null", Null {}, { 4, 2 }, false },
        { "True", True, { 4, 2 }, false },
        { "1 on a cut-out pixel: the form is not hit", Integer(1), { 0, 0 }, false },
    };
    std::string file = skin_file("heart.png", heart_skin);
    for (const auto& c : cases) {
        auto form = borderless_form(100, 80);
        ObjectRef skin = new_skin();
        late::let(skin, "SkinFile", file);
        late::set(skin, "FormObject", form);
        late::call(skin, "Show");
        Variant passed = c.button;
        auto handler = std::make_shared<DynamicObject>("Form1");
        handler->on("MouseDown", [&](Args event) {
            Variant* button = c.button.is_empty() ? event[0] : &passed;
            Variant* args[] = { button };
            late::invoke(skin, "MakeMoveable", Invoke::Call, args);
            return Variant {};
        });
        form->connect_events(handler);
        inject_pointer_move(100 + c.press.x, 80 + c.press.y);
        inject_button(MouseButton::Left, true);
        inject_pointer_move(250, 150);
        inject_pointer_move(300 + c.press.x, 200 + c.press.y);
        inject_button(MouseButton::Left, false);
        pump_messages();

        RECT r;
        GetWindowRect(form->window(), &r);
        gfx::Point expected = c.moves ? gfx::Point { 300, 200 } : gfx::Point { 100, 80 };
        EXPECT_EQ((gfx::Point { r.left, r.top }), expected) << c.name;
        EXPECT_EQ(passed, c.button) << c.name << ": never written back";
        EXPECT_EQ(GetCapture(), 0u) << c.name;
        DestroyWindow(form->window());
    }
}

TEST_F(FormSkin, MakeMoveableWithoutAFormFailsOnlyForTheLeftButton)
{
    ObjectRef skin = new_skin();
    late::call(skin, "MakeMoveable", Integer(2));
    late::call(skin, "MakeMoveable");
    EXPECT_VELMO_ERROR(late::call(skin, "MakeMoveable", Integer(1)), err::ObjectNotSet, "Velmo10");
}

TEST_F(FormSkin, PropertiesStoreWhatTheyAreGiven)
{
    ObjectRef skin = new_skin();
    EXPECT_EQ(late::get(skin, "SkinFile"), Variant(std::string()));
    for (const char* name : { "SkinIPPicture", "SkinPicBoxObject", "FormObject" })
        EXPECT_EQ(late::get(skin, name).to_object(), nullptr) << name;

    ObjectRef thing = std::make_shared<DynamicObject>("Thing");
    late::let(skin, "SkinFile", "no such file");
    EXPECT_EQ(late::get(skin, "SkinFile"), Variant("no such file"));
    for (const char* name : { "SkinIPPicture", "SkinPicBoxObject", "FormObject" }) {
        late::set(skin, name, thing);
        EXPECT_EQ(late::get(skin, name).to_object(), thing) << name;
    }
    EXPECT_TRUE(reports().empty());
}

}  // namespace
}  // namespace velmo::skin
