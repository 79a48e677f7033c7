// The host runtime pieces that need no drawing: colours, the generator, message boxes, the
// message pump, the resource loader and App.
#include <gtest/gtest.h>

#include "automation/late.h"
#include "runtime/app.h"
#include "runtime/colors.h"
#include "host/do_events.h"
#include "runtime/msgbox.h"
#include "runtime/random.h"
#include "runtime/resources.h"
#include "support/velmo_error.h"

namespace velmo::host {
namespace {

TEST(HostColors, RgbCapsHighChannelsAndRefusesNegativeOnes)
{
    struct Case {
        int r, g, b;
        int32_t color;
    };
    for (auto c : { Case { 0, 0, 0, 0 }, Case { 255, 0, 0, 0xFF }, Case { 0, 255, 0, 0xFF00 }, Case { 0, 0, 255, 0xFF0000 },
             Case { 300, 256, 32767, 0xFFFFFF }, Case { 1, 2, 3, 0x030201 } })
        EXPECT_EQ(RGB(c.r, c.g, c.b).value(), c.color) << c.r << "," << c.g << "," << c.b;
    EXPECT_VELMO_ERROR(RGB(-1, 0, 0), err::InvalidArgument, "");
    EXPECT_VELMO_ERROR(RGB(0, 0, -32768), err::InvalidArgument, "");
}

TEST(HostColors, QBColorCoversTheSixteenConsoleColors)
{
    EXPECT_EQ(QBColor(0).value(), RGB(0, 0, 0).value());
    EXPECT_EQ(QBColor(1).value(), RGB(0, 0, 128).value());
    EXPECT_EQ(QBColor(4).value(), RGB(128, 0, 0).value());
    EXPECT_EQ(QBColor(12).value(), RGB(255, 0, 0).value());
    EXPECT_EQ(QBColor(14).value(), RGB(255, 255, 0).value());
    EXPECT_EQ(QBColor(15).value(), RGB(255, 255, 255).value());
    EXPECT_VELMO_ERROR(QBColor(16), err::InvalidArgument, "");
    EXPECT_VELMO_ERROR(QBColor(-1), err::InvalidArgument, "");
}

TEST(HostRandom, SeededSequenceRepeatsAndStaysInTheUnitInterval)
{
    Randomize(42.0);
    std::vector<float> first;
    for (int i = 0; i < 1000; ++i)
        first.push_back(Rnd());
    Randomize(42.0);
    for (float expected : first)
        EXPECT_EQ(Rnd(), expected);
    for (float value : first) {
        EXPECT_GE(value, 0.0f);
        EXPECT_LT(value, 1.0f);
    }
    // Not stuck and not clustered: both halves of the interval are hit often.
    auto low = std::count_if(first.begin(), first.end(), [](float v) { return v < 0.5f; });
    EXPECT_GT(low, 400);
    EXPECT_LT(low, 600);
}

TEST(HostMsgBox, RecorderKeepsTextTitleIconAndButtons)
{
    MsgBoxRecorder recorder;
    EXPECT_EQ(MsgBox("Index not exists or not found.", vbInformation + vbOKOnly, "Not Found..."), vbOK);
    ASSERT_EQ(recorder.boxes().size(), 1u);
    EXPECT_EQ(recorder.boxes()[0].text, "Index not exists or not found.");
    EXPECT_EQ(recorder.boxes()[0].title, "Not Found...");
    EXPECT_EQ(recorder.boxes()[0].icon(), vbInformation);
    EXPECT_EQ(recorder.boxes()[0].buttons(), vbOKOnly);
}

TEST(HostDoEvents, RunsPendingHandlersOnceAndDefersThoseTheyPost)
{
    // A handler that posts itself again, three times in all: one run per DoEvents.
    int runs = 0;
    std::function<void()> again = [&] {
        if (++runs < 3)
            post_message(again);
    };
    post_message(again);
    for (int expected : { 1, 2, 3, 3 }) {
        DoEvents();
        EXPECT_EQ(runs, expected);
    }
}

TEST(HostResources, EveryLookupNamesTheMissingId)
{
    try {
        resource_loader().LoadResString(101);
        FAIL() << "no resources exist";
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), err::ResourceNotFound);
        EXPECT_NE(error.description().find("101"), std::string::npos);
    }
    EXPECT_VELMO_ERROR(resource_loader().LoadResData(Variant("LOGO"), Variant(10)), err::ResourceNotFound, "");
}

TEST(HostApp, PathIsTheLibraryFolderUnlessOverridden)
{
    auto real = late::get(app(), "Path").to_string();
    EXPECT_TRUE(std::filesystem::is_directory(real)) << real;
    set_library_folder("/tmp/velmo-elsewhere");
    EXPECT_EQ(late::get(app(), "Path").to_string(), "/tmp/velmo-elsewhere");
    set_library_folder({});
    EXPECT_EQ(late::get(app(), "Path").to_string(), real);
    EXPECT_EQ(late::get(app(), "Major"), Variant(Integer(1)));
}

}  // namespace
}  // namespace velmo::host
