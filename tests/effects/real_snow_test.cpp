// The snow effect on real picture boxes, seeded: what the picture shows frame by frame, how Cancel
// stops it, the scale it reads, the host calls it makes, and hosts that lack a member.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "automation/late.h"
#include "automation/registry.h"
#include "effects/real_snow.h"
#include "effects/register.h"
#include "host/do_events.h"
#include "host/picture_box.h"
#include "platform/gdi.h"

namespace velmo::effects {
namespace {

constexpr int32_t white = 0xFFFFFF;

using Effect = std::shared_ptr<clsKxLumoEffectsRealSnowA>;

Effect seeded_effect(double seed = 1)
{
    auto effect = std::make_shared<clsKxLumoEffectsRealSnowA>();
    effect->set_seed(seed);
    return effect;
}

// A black picture box measured in pixels.
std::shared_ptr<host::PictureBox> black_box(int width, int height)
{
    auto box = host::PictureBox::create(width, height);
    late::let(box, "ScaleMode", Integer(3));
    late::let(box, "AutoRedraw", True);
    late::let(box, "BackColor", Long(0));
    return box;
}

// A filled box in screen pixels (top-left origin), inclusive corners.
void fill(const ObjectRef& box, int left, int top, int right, int bottom, int32_t color)
{
    late::call(box, "Line", Integer(38), float(left), float(top), float(right), float(bottom), Long(color));
}

// The persistent image as the effect reads it: bottom-up rows, colour bytes only.
std::vector<uint32_t> image_rows(const ObjectRef& box, int width, int height)
{
    platform::BITMAPINFO info {};
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> rows(size_t(width) * height);
    auto dc = static_cast<platform::HDC>(late::get(box, "hdc").to_long().value());
    auto bitmap = static_cast<platform::HBITMAP>(late::get(late::get(box, "Image").to_object(), "Handle").to_long().value());
    platform::GetDIBits(dc, bitmap, 0, height, rows.data(), &info, platform::DIB_RGB_COLORS);
    for (auto& p : rows)
        p &= 0xFFFFFF;
    return rows;
}

std::vector<uint32_t> buffer_rows(const clsKxLumoEffectsRealSnowA& effect)
{
    const auto& px = effect.pixels();
    std::vector<uint32_t> rows(px.storage.begin(), px.storage.begin() + int64_t(px.width) * px.height);
    for (auto& p : rows)
        p &= 0xFFFFFF;
    return rows;
}

// Runs the effect through late binding, as a client does, with a handler that runs inside every
// frame's message pump and says what to store into Cancel after that frame (nothing: nullopt).
// Returns the frames shown; `result` gets the member's value.
int run_effect(const Effect& effect, const ObjectRef& pic, const std::function<std::optional<Boolean>(int)>& cancel_after,
    Variant* result = nullptr)
{
    auto frames = std::make_shared<int>(0);
    auto handler = std::make_shared<std::function<void()>>();
    *handler = [=, weak = std::weak_ptr(handler)] {
        ++*frames;
        auto value = cancel_after(*frames);
        if (*frames >= 100000)
            value = True;  // a run that never stops fails the test instead of hanging it
        if (value)
            late::let(effect, "Cancel", *value);
        if (!value || *value != True) {
            host::post_message([weak] {
                if (auto h = weak.lock())
                    (*h)();
            });
        }
    };
    host::post_message([handler] { (*handler)(); });
    Variant picture(pic);
    Variant* args[] = { &picture };
    Variant value = late::invoke(effect, "RealSnowEffect", Invoke::Call, args);
    if (result)
        *result = value;
    return *frames;
}

std::function<std::optional<Boolean>(int)> cancel_at(int frame)
{
    return [frame](int n) -> std::optional<Boolean> {
        if (n == frame)
            return True;
        return std::nullopt;
    };
}

// Passes every member through to a real picture box, logs the names it is asked for, and can
// lack members, as a host object without them.
class HostDouble : public Object {
public:
    explicit HostDouble(ObjectRef inner, std::set<std::string> missing = {}) : inner_(std::move(inner)), missing_(std::move(missing)) { }
    const ClassInfo& class_info() const override { return inner_->class_info(); }
    Variant invoke(std::string_view name, Invoke how, Args args) override
    {
        log.push_back(std::string(name) + (how == Invoke::Call ? "" : "="));
        if (missing_.contains(std::string(name)))
            raise(err::MemberNotSupported);
        return inner_->invoke(name, how, args);
    }
    std::vector<std::string> log;

private:
    ObjectRef inner_;
    std::set<std::string> missing_;
};

// ---- The class --------------------------------------------------------------------------------

TEST(RealSnowClass, CreatedByProgIdWithItsThreeMembers)
{
    register_classes();
    ObjectRef snow = create_object("Velmo10.clsKxLumoEffectsRealSnowA");
    ASSERT_TRUE(snow);
    const auto& members = snow->class_info().members;
    ASSERT_EQ(members.size(), 3u);
    EXPECT_EQ(members[0].name, "Cancel");
    EXPECT_EQ(members[0].kind, MemberKind::PropertyGet);
    EXPECT_EQ(members[1].name, "Cancel");
    EXPECT_EQ(members[1].kind, MemberKind::PropertyLet);
    EXPECT_EQ(members[2].name, "RealSnowEffect");
    EXPECT_EQ(members[2].result.vt, VarType::Long);
    EXPECT_EQ(late::get(snow, "Cancel"), Variant(False));
    late::let(snow, "Cancel", Boolean { 1 });
    EXPECT_EQ(late::get(snow, "Cancel"), Variant(Boolean { 1 })) << "stored as given";
}

// ---- Cancel -----------------------------------------------------------------------------------

TEST(RealSnowCancel, OnlyTrueStopsAndTheResultIsZero)
{
    struct Case {
        const char* name;
        Boolean before_call;
        std::vector<std::pair<int, Boolean>> stores;  // after frame n, store value
        int frames;
    };
    const Case cases[] = {
        { "True after the first frame", False, { { 1, True } }, 1 },
        { "1 is not True", False, { { 1, Boolean { 1 } }, { 4, True } }, 4 },
        { "-2 and False are not True", False, { { 2, Boolean { -2 } }, { 3, False }, { 5, True } }, 5 },
        { "True before the call is reset by it", True, { { 2, True } }, 2 },
    };
    auto box = black_box(60, 40);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto effect = seeded_effect();
        effect->let_Cancel(c.before_call);
        Variant result;
        int frames = run_effect(effect, box, [&](int n) -> std::optional<Boolean> {
            for (const auto& [frame, value] : c.stores)
                if (frame == n)
                    return value;
            return std::nullopt;
        }, &result);
        EXPECT_EQ(frames, c.frames);
        EXPECT_EQ(result, Variant(Long(0)));
    }
}

// ---- What the picture shows ------------------------------------------------------------------

TEST(RealSnowPicture, SeededRunsRepeatAndTheClockSeedsByDefault)
{
    auto box_a = black_box(120, 100);
    auto box_b = black_box(120, 100);
    run_effect(seeded_effect(42), box_a, cancel_at(30));
    run_effect(seeded_effect(42), box_b, cancel_at(30));
    EXPECT_EQ(image_rows(box_a, 120, 100), image_rows(box_b, 120, 100));

    auto box_c = black_box(120, 100);
    run_effect(seeded_effect(43), box_c, cancel_at(30));
    EXPECT_NE(image_rows(box_a, 120, 100), image_rows(box_c, 120, 100));

    auto unseeded = std::make_shared<clsKxLumoEffectsRealSnowA>();
    EXPECT_EQ(run_effect(unseeded, black_box(50, 50), cancel_at(2)), 2);
}

TEST(RealSnowPicture, BlackPictureFlakesFallRowByRowToRowOneAndPileUp)
{
    constexpr int size = 600;
    auto box = black_box(size, size);
    auto effect = seeded_effect(7);
    Variant variable { ObjectRef(box) };
    ByRef<ObjectRef> pic(variable);
    SnowRun run(*effect, pic);

    auto placed = effect->flakes();
    ASSERT_EQ(placed.size(), 3001u);
    for (const auto& f : placed) {
        EXPECT_TRUE(f.X >= 2 && f.X <= 591 && f.Y >= 20 && f.Y <= 599) << f.X << "," << f.Y;
    }
    EXPECT_EQ(std::count(effect->pixels().storage.begin(), effect->pixels().storage.end(), 0u), size * size)
        << "placed flakes are not drawn";

    // Frame 1: the flakes fall one row, none sideways yet. Only flakes placed on the same pixel
    // as another (placement allows it) can get in each other's way.
    ASSERT_EQ(run.frame(), SnowRun::FrameEnd::Shown);
    int fell_one_row = 0;
    std::set<std::pair<int, int>> at;
    for (size_t i = 0; i < placed.size(); ++i) {
        const auto& f = effect->flakes()[i];
        fell_one_row += f.X == placed[i].X && f.Y == placed[i].Y - 1;
        at.insert({ f.X, f.Y });
    }
    EXPECT_GE(fell_one_row, 2950);
    auto shown = image_rows(box, size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            if (shown[size_t(y) * size + x] != 0) {
                ASSERT_TRUE(at.contains({ x, y })) << "white only where a flake is: " << x << "," << y;
            }
        }
    }

    for (int frame = 2; frame <= 600; ++frame)
        ASSERT_EQ(run.frame(), SnowRun::FrameEnd::Shown);
    shown = image_rows(box, size, size);
    EXPECT_EQ(shown, buffer_rows(*effect)) << "each frame writes the whole buffer";
    for (int x = 0; x < size; ++x)
        ASSERT_EQ(shown[x], 0u) << "row 0 is reached only by a slide, never on black: column " << x;
    int on_row_one = 0;
    int piled = 0;
    at.clear();
    for (const auto& f : effect->flakes()) {
        EXPECT_GE(f.Y, 1);
        on_row_one += f.Y == 1;
        piled += f.Y >= 2 && shown[size_t(f.Y - 1) * size + f.X] == uint32_t(white);
        at.insert({ f.X, f.Y });
    }
    int lying = 0;
    for (int y = 2; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            lying += shown[size_t(y) * size + x] == uint32_t(white) && !at.contains({ x, y });
    }
    EXPECT_GE(on_row_one, 590) << "the flakes come to rest on row 1";
    EXPECT_GT(piled, 200) << "later flakes pile on earlier ones";
    EXPECT_GT(lying, 1000) << "respawned flakes leave their last pixel as lying snow";
}

TEST(RealSnowPicture, PureRedIsFreeAndLeftBlackWhereFlakesPassed)
{
    constexpr int size = 600;
    auto box = black_box(size, size);
    fill(box, 0, 300, size - 1, 319, 0x0000FF);  // pure red band, 20 rows
    auto effect = seeded_effect(11);
    run_effect(effect, box, cancel_at(400));
    auto shown = image_rows(box, size, size);
    int blackened = 0;
    for (int y = size - 320; y < size - 300; ++y) {
        for (int x = 0; x < size; ++x) {
            uint32_t p = shown[size_t(y) * size + x];
            ASSERT_TRUE(p == 0xFF0000 || p == 0 || p == uint32_t(white)) << std::hex << p;
            blackened += p == 0;
        }
    }
    EXPECT_GT(blackened, 1000);
    int below_band = 0;
    for (const auto& f : effect->flakes())
        below_band += f.Y < size - 320;
    EXPECT_GT(below_band, 2000) << "the band holds no flake up";
}

TEST(RealSnowPicture, SmallerPictureFlakesOutsideComeIntoView)
{
    constexpr int width = 200;
    constexpr int height = 150;
    auto box = black_box(width, height);
    auto effect = seeded_effect(5);
    Variant variable { ObjectRef(box) };
    ByRef<ObjectRef> pic(variable);
    SnowRun run(*effect, pic);
    auto placed = effect->flakes();

    run.frame();
    int inside = 0;
    for (const auto& f : effect->flakes())
        inside += f.X < width && f.Y < height;
    auto shown = image_rows(box, width, height);
    EXPECT_GT(inside, 0);
    EXPECT_LE(std::count(shown.begin(), shown.end(), uint32_t(white)), inside);

    for (int frame = 2; frame <= 500; ++frame)
        run.frame();
    int from_above = 0;
    int from_right = 0;
    for (size_t i = 0; i < placed.size(); ++i) {
        const auto& f = effect->flakes()[i];
        bool in_view = f.X < width && f.Y < height;
        from_above += in_view && placed[i].Y >= height && placed[i].X < width;
        from_right += in_view && placed[i].X >= width;
    }
    EXPECT_GT(from_above, 0) << "flakes placed above the top fall into view";
    EXPECT_GT(from_right, 0) << "flakes placed right of the picture drift into view";
    EXPECT_EQ(image_rows(box, width, height), buffer_rows(*effect));
}

// A fall that reaches the respawn limit: the top band is white, so the 1000th candidate restarts.
TEST(RealSnowPicture, RestartReadsThePictureAgainSnowIncludedAndKeepsTheCounters)
{
    constexpr int size = 600;
    auto box = black_box(size, size);
    fill(box, 0, 0, size - 1, 20, white);        // rows 579 to 599: the top band
    fill(box, 0, 60, size - 1, size - 1, white);  // a flat floor: flakes on it are stuck at once
    auto effect = seeded_effect(3);
    auto host = std::make_shared<HostDouble>(box);
    Variant variable { ObjectRef(host) };
    ByRef<ObjectRef> pic(variable);
    SnowRun run(*effect, pic);
    auto reads_of_scale = [&] { return std::count(host->log.begin(), host->log.end(), "ScaleWidth"); };
    ASSERT_EQ(reads_of_scale(), 3);

    std::vector<SnowFlake> before;
    bool restarted = false;
    for (int frame = 0; frame < 400 && !restarted; ++frame) {
        before = effect->flakes();
        restarted = run.frame() == SnowRun::FrameEnd::Restarted;
    }
    ASSERT_TRUE(restarted);
    EXPECT_EQ(reads_of_scale(), 6) << "initialised again";

    auto shown = image_rows(box, size, size);
    EXPECT_EQ(buffer_rows(*effect), shown) << "read again, with the snow shown so far";
    size_t first_stuck = std::find_if(before.begin(), before.end(), [](const SnowFlake& f) { return f.StuckFrames > 100; }) - before.begin();
    ASSERT_LT(first_stuck, before.size());
    for (size_t i = first_stuck; i < before.size(); ++i) {
        EXPECT_EQ(effect->flakes()[i].StuckFrames, before[i].StuckFrames) << i;
        EXPECT_EQ(effect->flakes()[i].FallSteps, before[i].FallSteps) << i;
    }
    for (const auto& f : effect->flakes()) {
        if (!f.waiting) {
            EXPECT_EQ(shown[size_t(f.Y) * size + f.X], 0u) << "placed again on free pixels";
        }
    }

    // The count stays past 1000, so the next searches give up instead of restarting again.
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_EQ(run.frame(), SnowRun::FrameEnd::Shown);
}

TEST(RealSnowPicture, NoFreePixelStillStopsOnCancelAndChangesNothing)
{
    auto box = black_box(600, 600);
    fill(box, 0, 0, 599, 599, white);
    auto effect = seeded_effect();
    EXPECT_EQ(run_effect(effect, box, cancel_at(2)), 2);
    auto shown = image_rows(box, 600, 600);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), uint32_t(white)), 600 * 600);
    for (const auto& f : effect->flakes())
        EXPECT_TRUE(f.waiting);
}

// ---- The scale and the host -------------------------------------------------------------------

TEST(RealSnowScale, TakenAsItStands)
{
    struct Case {
        const char* name;
        std::function<void(const ObjectRef&)> scale;
        int32_t header_width, header_height;
        uint32_t size_image;
        int32_t width, height;  // the buffer's
    };
    const Case cases[] = {
        { "twips: 15 units a pixel", [](const ObjectRef&) { }, 300, 150, 45000, 300, 150 },
        { "user scale rounds", [](const ObjectRef& b) { late::let(b, "ScaleWidth", 10.4f); late::let(b, "ScaleHeight", 20.6f); },
            10, 21, 214, 10, 21 },
        { "halves round to even, bounds and header apart",
            [](const ObjectRef& b) { late::let(b, "ScaleWidth", 7.5f); late::let(b, "ScaleHeight", 6.5f); }, 8, 6, 49, 7, 7 },
        { "below one unit: no buffer", [](const ObjectRef& b) { late::let(b, "ScaleWidth", 0.4f); late::let(b, "ScaleHeight", 5.0f); },
            0, 5, 2, 0, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = host::PictureBox::create(20, 10);
        c.scale(box);
        Variant mode_before = late::get(box, "ScaleMode");
        auto effect = seeded_effect();
        EXPECT_EQ(run_effect(effect, box, cancel_at(3)), 3);
        const auto& h = effect->header().bmiHeader;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, c.header_width);
        EXPECT_EQ(h.biHeight, c.header_height);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, 0u);
        EXPECT_EQ(h.biSizeImage, c.size_image);
        EXPECT_EQ(h.biXPelsPerMeter, 0);
        EXPECT_EQ(h.biClrUsed, 0u);
        EXPECT_EQ(effect->pixels().width, c.width);
        EXPECT_EQ(effect->pixels().height, c.height);
        EXPECT_EQ(late::get(box, "ScaleMode"), mode_before) << "no scale mode is set";
        EXPECT_EQ(late::get(box, "AutoRedraw"), Variant(True));
    }
}

TEST(RealSnowHost, OneReadThenOneWriteRefreshAndPumpPerFrame)
{
    auto host = std::make_shared<HostDouble>(black_box(40, 30));
    run_effect(seeded_effect(), host, cancel_at(2));
    const std::vector<std::string> expected {
        "AutoRedraw=", "ScaleWidth", "ScaleHeight", "ScaleWidth", "ScaleHeight", "ScaleWidth", "ScaleHeight",
        "hdc", "Image",                // GetDIBits
        "hdc", "Image", "Refresh",     // frame 1
        "hdc", "Image", "Refresh",     // frame 2
    };
    EXPECT_EQ(host->log, expected);
}

TEST(RealSnowHost, WithoutScaleWidthTheBufferIsNotMadeAnew)
{
    auto effect = seeded_effect();
    auto plain = std::make_shared<HostDouble>(black_box(40, 30), std::set<std::string> { "ScaleWidth" });
    Variant result;
    EXPECT_EQ(run_effect(effect, plain, cancel_at(2), &result), 2);
    EXPECT_EQ(result, Variant(Long(0)));
    EXPECT_FALSE(effect->pixels().allocated()) << "nothing on the first call";
    EXPECT_EQ(effect->header().bmiHeader.biWidth, 0);
    EXPECT_EQ(effect->header().bmiHeader.biHeight, 30);

    run_effect(effect, black_box(50, 20), cancel_at(1));
    auto other = black_box(70, 60);
    run_effect(effect, std::make_shared<HostDouble>(other, std::set<std::string> { "ScaleWidth" }), cancel_at(2));
    EXPECT_EQ(effect->pixels().width, 50) << "the last call's buffer is kept";
    EXPECT_EQ(effect->pixels().height, 20);
    EXPECT_EQ(effect->header().bmiHeader.biWidth, 50);
    EXPECT_EQ(effect->header().bmiHeader.biHeight, 60);
}

TEST(RealSnowHost, WithoutAnyMemberItStillRunsUntilCancelled)
{
    auto effect = seeded_effect();
    auto nothing = std::make_shared<HostDouble>(black_box(10, 10),
        std::set<std::string> { "AutoRedraw", "ScaleWidth", "ScaleHeight", "hdc", "Image", "Refresh" });
    EXPECT_EQ(run_effect(effect, nothing, cancel_at(3)), 3);
    Variant empty;
    Variant* args[] = { &empty };
    effect->let_Cancel(False);
    host::post_message([&] { effect->let_Cancel(True); });
    EXPECT_EQ(late::invoke(effect, "RealSnowEffect", Invoke::Call, args), Variant(Long(0))) << "no object at all";
}

}  // namespace
}  // namespace velmo::effects
