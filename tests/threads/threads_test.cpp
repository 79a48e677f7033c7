// Threads side by side, each with objects of its own: reading tags, painting gradients on its own
// form and picture box, capturing them; and the ordered batch that the file commands run on. The
// thread sanitizer build runs this file.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "automation/late.h"
#include "automation/registry.h"
#include "capture/image_capture.h"
#include "cli/batch.h"
#include "exif/jpg_tags.h"
#include "gradients/gradients.h"
#include "host/form.h"
#include "host/picture_box.h"
#include "platform/display.h"
#include "platform/messages.h"
#include "runtime/random.h"
#include "support/exif_fixture.h"
#include "support/picture_pixels.h"
#include "support/temp_folder.h"

namespace velmo {
namespace {

using namespace exif::fixture;
using velmo::testing::TempFolder;
using exif::ByteOrder;

TEST(OrderedBatch, EmitsEveryIndexOnceInOrderWhateverTheJobs)
{
    struct Case {
        size_t count;
        unsigned jobs;
    };
    const Case cases[] = { { 0, 4 }, { 1, 4 }, { 5, 1 }, { 7, 3 }, { 2000, 2 }, { 1500, 8 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.count) + " on " + std::to_string(c.jobs));
        std::vector<std::atomic<int>> worked(c.count);
        std::atomic<unsigned> highest_worker = 0;
        std::vector<size_t> emitted;
        bool each_done_before_emit = true;
        cli::run_in_order(
            c.count, c.jobs,
            [&](size_t i, unsigned worker) {
                // Later files finish first now and then, so the order must be restored.
                if (i % 7 == 0)
                    std::this_thread::yield();
                worked[i].fetch_add(1);
                unsigned seen = highest_worker.load();
                while (worker > seen && !highest_worker.compare_exchange_weak(seen, worker)) { }
            },
            [&](size_t i) {
                each_done_before_emit = each_done_before_emit && worked[i].load() == 1;
                emitted.push_back(i);
            });
        ASSERT_EQ(emitted.size(), c.count);
        for (size_t i = 0; i < c.count; ++i) {
            EXPECT_EQ(emitted[i], i);
            EXPECT_EQ(worked[i].load(), 1) << i;
        }
        EXPECT_TRUE(each_done_before_emit);
        EXPECT_LT(highest_worker.load(), c.jobs);
    }
}

TEST(OrderedBatch, AFailureIsThrownInItsTurnAfterEverythingBeforeIt)
{
    for (unsigned jobs : { 1u, 2u, 4u }) {
        SCOPED_TRACE(jobs);
        std::vector<size_t> emitted;
        EXPECT_THROW(cli::run_in_order(
                         300, jobs,
                         [](size_t i, unsigned) {
                             if (i == 120)
                                 throw std::runtime_error("file 120");
                         },
                         [&](size_t i) { emitted.push_back(i); }),
            std::runtime_error);
        ASSERT_EQ(emitted.size(), 120u);
        EXPECT_EQ(emitted.back(), 119u);
    }
}

// What one thread makes of its own objects: a file's tags, and a gradient painted on its own form
// and picture box, captured.
struct Made {
    std::string listing;
    std::vector<uint32_t> form;
    std::vector<uint32_t> box;
};

std::vector<uint32_t> captured(const std::shared_ptr<host::Surface>& surface)
{
    auto capture = std::make_shared<capture::clsKxLumoImageCaptureA>();
    ObjectRef picture = capture->CaptureWindow(Long(static_cast<int32_t>(surface->window())), True, 0, 0, 160, 120);
    const gfx::Bitmap* pixels = testing::picture_pixels(picture);
    if (!pixels)
        return {};
    return { pixels->pixels().begin(), pixels->pixels().end() };
}

Made make(const std::string& jpeg, int colour)
{
    platform::reset_display({ { 640, 480 }, 32 });
    Made made;
    exif::clsKxLumoJPGTagsA reader;
    reader.read_file(jpeg);
    made.listing = reader.list_info(true);

    auto painter = std::make_shared<gradients::clsKxLumoGradientsA>();
    auto form = host::Form::create(200, 150);
    auto box = host::PictureBox::create(180, 130, form);
    for (const ObjectRef& surface : { ObjectRef(form), ObjectRef(box) }) {
        Variant target { surface };
        Variant scheme { Long(colour) };
        Variant orient { Long(surface == ObjectRef(form) ? 1 : 0) };
        std::vector<Variant*> args { &target, &scheme, &orient };
        late::invoke(painter, "Gradient01", Invoke::Call, args);
    }
    form->Show(Variant(), Variant());
    // Painting reaches the windows through their messages.
    platform::MSG msg;
    while (platform::PeekMessageA(&msg, 0, 0, 0, platform::PM_REMOVE))
        platform::DispatchMessageA(&msg);
    made.form = captured(form);
    made.box = captured(box);
    return made;
}

TEST(ThreadsSideBySide, EachThreadMakesWhatItWouldAlone)
{
    TempFolder folder;
    constexpr int threads = 4;
    std::vector<std::string> files;
    for (int i = 0; i < threads; ++i) {
        files.push_back((folder / ("shot" + std::to_string(i) + ".jpg")).string());
        write_file(files.back(), jpeg(camera(i % 2 ? ByteOrder::BigEndian : ByteOrder::LittleEndian, i)));
    }
    // Alone: one thread at a time.
    std::vector<Made> alone(threads);
    for (int i = 0; i < threads; ++i)
        std::thread([&, i] { alone[i] = make(files[i], i + 1); }).join();
    for (const Made& made : alone) {
        ASSERT_FALSE(made.listing.empty());
        ASSERT_EQ(made.form.size(), 160u * 120u);
        ASSERT_EQ(made.box.size(), 160u * 120u);
    }
    EXPECT_NE(alone[0].form, alone[1].form) << "the schemes should differ, or the comparison proves nothing";

    // Together, a few rounds, while another thread draws random numbers and asks for classes.
    std::atomic<bool> running = true;
    std::thread noise([&] {
        while (running) {
            float value = host::Rnd();
            EXPECT_TRUE(value >= 0 && value < 1);
            EXPECT_TRUE(is_registered("no.such.class") == false);
        }
    });
    for (int round = 0; round < 3; ++round) {
        std::vector<Made> together(threads);
        std::vector<std::thread> running_threads;
        for (int i = 0; i < threads; ++i)
            running_threads.emplace_back([&, i] { together[i] = make(files[i], i + 1); });
        for (auto& t : running_threads)
            t.join();
        for (int i = 0; i < threads; ++i) {
            SCOPED_TRACE("round " + std::to_string(round) + ", thread " + std::to_string(i));
            EXPECT_EQ(together[i].listing, alone[i].listing);
            EXPECT_TRUE(together[i].form == alone[i].form);
            EXPECT_TRUE(together[i].box == alone[i].box);
        }
    }
    running = false;
    noise.join();
}

TEST(ThreadsSideBySide, RndGivesEachDrawToOneThreadOnly)
{
    // One generator for the process: a seeded sequence drawn by several threads together is the
    // same set of numbers as drawn by one.
    constexpr int draws = 4000;
    host::Randomize(7.0);
    std::multiset<float> one;
    for (int i = 0; i < draws; ++i)
        one.insert(host::Rnd());
    host::Randomize(7.0);
    std::vector<std::vector<float>> drawn(4);
    std::vector<std::thread> threads;
    for (auto& mine : drawn)
        threads.emplace_back([&mine] {
            for (int i = 0; i < draws / 4; ++i)
                mine.push_back(host::Rnd());
        });
    for (auto& t : threads)
        t.join();
    std::multiset<float> together;
    for (const auto& mine : drawn)
        together.insert(mine.begin(), mine.end());
    EXPECT_EQ(together, one);
}

}  // namespace
}  // namespace velmo
