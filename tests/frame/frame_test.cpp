#include <gtest/gtest.h>

#include <thread>

#include "automation/dynamic_object.h"
#include "automation/late.h"
#include "runtime/msgbox.h"
#include "runtime/resources.h"
#include "services/kxbasalt10.h"
#include "support/velmo_error.h"
#include "velmo10/velmo10.h"

namespace velmo {
namespace {

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        velmo10::load();
        kxbasalt10::load();
        kxbasalt10::clear_received_reports();
    }
    void TearDown() override
    {
        kxbasalt10::unload();
        velmo10::unload();
    }
    ObjectRef main_class() { return create_object("Velmo10.clsKxVelmo10A"); }
};

TEST_F(Frame, BuddySlotIsSharedPerThreadOnly)
{
    auto first = main_class();
    auto second = main_class();
    EXPECT_EQ(late::get(first, "BuddyObjectGlobal").to_object(), nullptr);

    auto buddy = std::make_shared<DynamicObject>();
    late::set(first, "BuddyObjectGlobal", buddy);
    EXPECT_EQ(late::get(second, "BuddyObjectGlobal").to_object(), buddy);

    ObjectRef seen_elsewhere = buddy;
    std::thread([&] { seen_elsewhere = late::get(main_class(), "BuddyObjectGlobal").to_object(); }).join();
    EXPECT_EQ(seen_elsewhere, nullptr);

    late::set(second, "BuddyObjectGlobal", nullptr);
    EXPECT_EQ(late::get(first, "BuddyObjectGlobal").to_object(), nullptr);
    EXPECT_EQ(buddy.use_count(), 1) << "clearing the slot releases the object";
}

TEST_F(Frame, EveryResourceLookupFails)
{
    auto main = main_class();
    for (int id : { 0, 1, 101, -1, 32767 }) {
        EXPECT_VELMO_ERROR(late::get(main, "GetProResStrings", id), err::ResourceNotFound, "Velmo10");
        EXPECT_VELMO_ERROR(late::get(main, "GetProResPicture", id, 0), err::ResourceNotFound, "Velmo10");
        EXPECT_VELMO_ERROR(late::get(main, "GetProResData", id, "CUSTOM"), err::ResourceNotFound, "Velmo10");
    }
}

// Records what reaches the loader, then fails like the real one.
struct RecordingLoader : host::ResourceLoader {
    std::vector<std::pair<Variant, Integer>> pictures;
    Variant LoadResPicture(Variant id, Integer kind) override
    {
        pictures.emplace_back(id, kind);
        return host::ResourceLoader::LoadResPicture(id, kind);
    }
};

TEST_F(Frame, PictureKindOverflowsBeforeTheLoaderIsAsked)
{
    RecordingLoader loader;
    host::set_resource_loader(&loader);
    auto main = main_class();
    Variant id(Long(7));
    Variant kind(Long(32768));
    Variant* args[] = { &id, &kind };
    EXPECT_VELMO_ERROR(late::invoke(main, "GetProResPicture", Invoke::Call, args), err::Overflow, "Velmo10");
    EXPECT_TRUE(loader.pictures.empty());

    kind = Variant(Long(-32768));
    EXPECT_VELMO_ERROR(late::invoke(main, "GetProResPicture", Invoke::Call, args), err::ResourceNotFound, "Velmo10");
    ASSERT_EQ(loader.pictures.size(), 1u);
    EXPECT_EQ(loader.pictures[0].first, Variant(Long(7))) << "the id travels as a Variant holding a Long";
    EXPECT_EQ(loader.pictures[0].second.value(), -32768);
    EXPECT_EQ(kind, Variant(Long(-32768))) << "by-ref parameters of the main class are never written";
    host::set_resource_loader(nullptr);
}

TEST_F(Frame, AboutShowsTheServiceAndReturnsZero)
{
    host::MsgBoxRecorder boxes;
    EXPECT_EQ(late::call(main_class(), "About"), Variant(Long(0)));
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_NE(boxes.boxes()[0].text.find("Velmo10"), std::string::npos);
    EXPECT_TRUE(kxbasalt10::received_reports().empty());
}

TEST_F(Frame, AboutReportsEachFailingStepAndStillReturnsZero)
{
    // Only the error handler is there: creating the About service fails, and so does calling it.
    unregister_library("KxBasalt10");
    register_class(kxbasalt10::clsKxsvErrorHandlerA::info(), [] { return std::make_shared<kxbasalt10::clsKxsvErrorHandlerA>(); });

    EXPECT_EQ(late::call(main_class(), "About"), Variant(Long(0)));
    const auto& reports = kxbasalt10::received_reports();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].number, err::CannotCreateObject);
    EXPECT_EQ(reports[1].number, err::ObjectNotSet);
    for (const auto& report : reports)
        EXPECT_EQ(report.location, "basKxsvCommonA.AppAboutKxsv_Pro");
}

TEST_F(Frame, AboutWithoutTheFrameworkRaisesTheHandlersCreationError)
{
    kxbasalt10::unload();
    EXPECT_VELMO_ERROR(late::call(main_class(), "About"), err::CannotCreateObject, "KxBasalt10.clsKxsvErrorHandlerA");
}

TEST_F(Frame, PlaceholdersAreCreatableAndAnswerNothing)
{
    for (const char* name : { "clsKxLumoImageEditingA", "clsKxLumoImageProcessingA", "clsKxLumoGeneralA", "clsKxLumoAdvancedA" }) {
        ObjectRef object = create_object(std::string("Velmo10.") + name);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_TRUE(object->class_info().members.empty());
        EXPECT_VELMO_ERROR(late::call(object, "About"), err::MemberNotSupported, "Velmo10");
        object.reset();
    }
}

TEST_F(Frame, UnknownProgIdsCannotBeCreated)
{
    EXPECT_VELMO_ERROR(create_object("Velmo10.clsNoSuchClass"), err::CannotCreateObject, "Velmo10.clsNoSuchClass");
    EXPECT_VELMO_ERROR(create_object("clsKxVelmo10A"), err::CannotCreateObject, "clsKxVelmo10A");
}

}  // namespace
}  // namespace velmo
