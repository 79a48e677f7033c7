// The gallery of the gradient painter: one picture per member with representative arguments, each
// preset also on a picture box, and a contact sheet labelling every picture with its member name.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "automation/variant.h"

namespace velmo::cli {

enum class SurfaceKind { Form, PictureBox };

struct PixelSize {
    int width = 0;
    int height = 0;
};

// Creates a folder for output and the folders above it; raises 75 (velmo) naming the folder and
// the reason when that cannot be done (a regular file in the way, no permission).
void create_folder(const std::filesystem::path& dir);

// "640x480" -> {640, 480}; a command failure (cli::fail) on anything else.
PixelSize parse_size(const std::string& text);

// Creates a surface of that client size, calls `member` of a new painter with the surface followed
// by `args` (by reference), and writes the surface's image to `png`. With `first_lines`, the
// surface ignores Line calls after that many (a picture of the member part-way). Errors leave as
// velmo::Error; nothing is written then. Returns the surface, which stays until released.
ObjectRef paint_member(std::string_view member, std::vector<Variant> args, SurfaceKind kind, PixelSize size,
    const std::filesystem::path& png, std::optional<int> first_lines = {});

struct GalleryPicture {
    std::string label;  // the member name, "(picture box)" added for a preset's second picture
    std::filesystem::path file;
};

struct Gallery {
    std::vector<GalleryPicture> pictures;  // written
    int failures = 0;                      // pictures whose member raised an error
};

// Paints every member into `dir` (each ...Build preset also stopped part-way, since its finished
// picture is a black box) and writes `dir`/contact-sheet.png. A picture that fails is reported on
// standard error ("velmo: gallery: LABEL: error ...") and left out; the others are still made.
Gallery write_gallery(const std::filesystem::path& dir, PixelSize size);

// A grid of the pictures, each scaled into a cell with its label underneath.
void write_contact_sheet(const std::vector<GalleryPicture>& pictures, const std::filesystem::path& png);

}  // namespace velmo::cli
