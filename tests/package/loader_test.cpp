// Components created by ProgID through the class registration file: what gets loaded when, App.Path,
// exif.ini beside libvelmo10.so, and error 429 for a component that is missing or broken. Each test
// runs in a process of its own, so each starts with nothing loaded.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "automation/component_loader.h"
#include "automation/late.h"
#include "automation/registry.h"
#include "package/jpeg_bytes.h"
#include "support/temp_folder.h"
#include "support/velmo_error.h"

namespace velmo {
namespace {

namespace fs = std::filesystem;

// Which of these file names the process has mapped now.
bool mapped(std::string_view name)
{
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find(name) != std::string::npos)
            return true;
    }
    return false;
}

constexpr std::string_view drawing_libraries[] = { "libcairo", "libX11", "libfontconfig", "libpixman", "libvelmo-host", "libvelmo10-drawing" };

// A copy of the build's component folder, with some files left out, in use as the registration.
class ComponentCopy {
public:
    explicit ComponentCopy(std::vector<std::string> left_out = {})
    {
        for (const auto& entry : fs::directory_iterator(components::registration_file().parent_path())) {
            auto name = entry.path().filename().string();
            if (entry.is_regular_file() && !entry.is_symlink() && std::find(left_out.begin(), left_out.end(), name) == left_out.end())
                fs::copy_file(entry.path(), folder_ / name);
        }
        components::use_registration_file(folder_ / "classes.reg");
    }
    ~ComponentCopy() { components::use_registration_file({}); }
    const fs::path& folder() const { return folder_.path(); }

private:
    velmo::testing::TempFolder folder_ { "velmo-components" };
};

TEST(RegistrationFile, ReadsOneProgIdAndFilePerLine)
{
    struct Case {
        const char* text;
        std::vector<std::pair<std::string, std::string>> expected;
    };
    const Case cases[] = {
        { "Velmo10.clsKxVelmo10A\tlibvelmo10.so\n", { { "Velmo10.clsKxVelmo10A", "libvelmo10.so" } } },
        { "A.b\tone.so\nC.d\t/abs/two.so", { { "A.b", "one.so" }, { "C.d", "/abs/two.so" } } },  // no final newline
        { "A.b\tone.so\r\n", { { "A.b", "one.so" } } },                                            // CRLF
        { "  A.b \t one.so  \n", { { "A.b", "one.so" } } },                                        // blanks around
        { "# comment\tx.so\n\n   \nA.b\tone.so\n", { { "A.b", "one.so" } } },
        { "A.b one.so\n", {} },   // no tab
        { "\tone.so\n", {} },     // no ProgID
        { "A.b\t\n", {} },        // no file
        { "", {} },
    };
    for (const auto& c : cases) {
        std::vector<std::pair<std::string, std::string>> read;
        for (const auto& r : components::parse_registrations(c.text))
            read.emplace_back(r.progid, r.file.string());
        EXPECT_EQ(read, c.expected) << c.text;
    }
}

TEST(Components, EveryCreatableClassIsRegisteredToAFileThatExists)
{
    for (const char* progid : { "Velmo10.clsKxVelmo10A", "Velmo10.clsKxLumoJPGTagsA", "Velmo10.clsKxLumoGradientsA",
             "Velmo10.clsKxLumoGeneralA", "KxBasalt10.clsKxBasalt10A", "KxBasalt10.clsKxsvErrorHandlerA" }) {
        auto file = components::file_of(progid);
        ASSERT_TRUE(file) << progid;
        EXPECT_TRUE(fs::exists(*file)) << *file;
    }
    // Not creatable, so not registered.
    EXPECT_FALSE(components::file_of("Velmo10.clsKxLumoJPGTagsItemsA"));
}

TEST(Components, ReadingTagsLoadsTheComponentButNoDrawingLibrary)
{
    velmo::testing::TempFolder folder("velmo-package-photo");
    fs::path photo = folder / "photo.jpg";
    package_test::write_small_photo(photo);
    EXPECT_FALSE(mapped("libvelmo10.so"));

    ObjectRef tags = create_object("Velmo10.clsKxLumoJPGTagsA");
    late::let(tags, "ImageFile", Variant(photo.string()));
    std::string listing = late::call(tags, "ListInfo", True).to_string();
    EXPECT_NE(listing.find("Make: Velmocam"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Orientation: 6"), std::string::npos) << listing;
    EXPECT_TRUE(mapped("libvelmo10.so"));
    for (auto name : drawing_libraries)
        EXPECT_FALSE(mapped(name)) << name;

    // The first painter loads the drawing part, and with it the drawing libraries.
    ObjectRef painter = create_object("Velmo10.clsKxLumoGradientsA");
    EXPECT_TRUE(mapped("libvelmo10-drawing"));
    EXPECT_TRUE(mapped("libcairo"));
}

TEST(Components, AppPathIsTheFolderOfTheComponentAndItsExifIniIsRead)
{
    ComponentCopy copy;
    std::ofstream(copy.folder() / "exif.ini") << "[Orientation]\n6=Right-top\n";
    package_test::write_small_photo(copy.folder() / "photo.jpg");

    ObjectRef main = create_object("Velmo10.clsKxVelmo10A");
    ObjectRef app = late::get(main, "GetProStdProperties").to_object();
    EXPECT_EQ(fs::path(late::get(app, "Path").to_string()), copy.folder());

    ObjectRef tags = create_object("Velmo10.clsKxLumoJPGTagsA");
    late::let(tags, "ImageFile", Variant((copy.folder() / "photo.jpg").string()));
    std::string listing = late::call(tags, "ListInfo", True).to_string();
    EXPECT_NE(listing.find("Orientation: Right-top"), std::string::npos) << listing;
}

TEST(Components, AboutWithTheServicesComponentReturnsZero)
{
    ObjectRef main = create_object("Velmo10.clsKxVelmo10A");
    EXPECT_EQ(late::call(main, "About").to_long().value(), 0);
}

TEST(Components, AboutWithoutTheServicesComponentRaises429)
{
    ComponentCopy copy({ "libkxbasalt10.so" });
    ObjectRef main = create_object("Velmo10.clsKxVelmo10A");
    EXPECT_VELMO_ERROR(late::call(main, "About"), 429, "KxBasalt10.clsKxsvErrorHandlerA");
}

TEST(Components, ProgIdsThatCannotBeCreatedRaise429)
{
    // The runtime itself: a shared object, but no component.
    fs::path runtime = components::registration_file().parent_path().parent_path() / "libvelmo.so.1";
    ComponentCopy copy({ "libvelmo10-drawing.so" });
    std::ofstream(copy.folder() / "classes.reg", std::ios::app)
        << "Sample.NotAComponent\t" << runtime.string() << "\nSample.NotAnObject\tclasses.reg\nSample.NoFile\tnowhere.so\n";
    for (const char* progid : { "Velmo10.clsKxLumoGradientsA", "Sample.NotAComponent", "Sample.NotAnObject", "Sample.NoFile",
             "Sample.Unregistered", "Velmo10.clsKxLumoJPGTagsItemA" })
        EXPECT_VELMO_ERROR(create_object(progid), 429, progid);
    // The components that are there still load.
    EXPECT_NO_THROW(create_object("Velmo10.clsKxLumoJPGTagsA"));
}

TEST(Components, AnUnregisteredLibraryComesBackOnItsNextCreation)
{
    EXPECT_NO_THROW(create_object("KxBasalt10.clsKxBasalt10A"));
    unregister_library("KxBasalt10");
    EXPECT_FALSE(is_registered("KxBasalt10.clsKxBasalt10A"));
    EXPECT_NO_THROW(create_object("KxBasalt10.clsKxBasalt10A"));
}

}  // namespace
}  // namespace velmo
