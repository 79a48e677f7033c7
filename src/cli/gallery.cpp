#include "cli/gallery.h"

#include <cairo.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "cli/label_font.h"
#include "cli/picture_limits.h"
#include "codecs/atomic_file.h"
#include "gradients/gradients.h"
#include "host/form.h"
#include "host/picture_box.h"

namespace velmo::cli {

namespace {

using SurfacePtr = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using ContextPtr = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

ObjectRef make_surface(SurfaceKind kind, PixelSize size)
{
    if (kind == SurfaceKind::Form)
        return host::Form::create(size.width, size.height);
    return host::PictureBox::create(size.width, size.height);
}

Variant I(int value) { return Variant(Integer(value)); }

// Arguments after the surface, chosen so each picture shows its member at its best; the presets
// need none.
const std::map<std::string_view, std::vector<Variant>>& representative_arguments()
{
    static const std::map<std::string_view, std::vector<Variant>> args {
        { "Gradient", { Long(255), Long(200), Long(80), True } },
        { "GradientFormNow", { I(100) } },
        { "Gradient01", { Long(4), Long(1) } },  // RedBlue, Vertical
        { "Gradient02", { Long(5) } },           // GreenBlue
        { "BoxGradient", { I(255), I(255), I(0), I(0), I(0), I(128), I(2), True } },
        { "CircleGradient", { I(255), I(255), I(255), I(0), I(64), I(160), True } },
        { "DiagGradient", { I(255), I(220), I(0), I(160), I(0), I(0), False } },
        { "GrafittiZigZag", {} },
        { "HorizGradient", { I(255), I(0), I(0), I(0), I(0), I(255), False } },
        { "SpinGradient", { I(255), I(128), I(0), I(0), I(0), I(255), False } },
        { "RectGradient", { I(0), I(0), I(0), I(0), I(255), I(128), True } },
    };
    return args;
}

// A surface seen through a window in time: every member passes through to `inner`, but Line calls
// after the first `lines` are dropped. The ...Build presets end as a black box; stopping them
// part-way shows the coloured build-up their names refer to.
class FirstLinesOnly : public Object {
public:
    FirstLinesOnly(ObjectRef inner, int lines)
        : inner_(std::move(inner))
        , lines_left_(lines)
    {
    }
    const ClassInfo& class_info() const override { return inner_->class_info(); }
    Variant invoke(std::string_view name, Invoke how, Args args) override
    {
        if (how == Invoke::Call && equals_ignoring_case(name, "Line") && lines_left_-- <= 0)
            return {};
        return inner_->invoke(name, how, args);
    }

private:
    ObjectRef inner_;
    int lines_left_;
};

constexpr int build_preview_steps = 96;

bool is_build_preset(const Member& member) { return member.name.ends_with("Build"); }

bool is_preset(const Member& member) { return member.params.size() == 1 && member.params[0].name == "Frm"; }

}  // namespace

void create_folder(const std::filesystem::path& dir)
{
    std::error_code failure;
    std::filesystem::create_directories(dir, failure);
    if (failure)
        throw Error(err::PathFileAccess, "velmo", "cannot create the folder " + dir.string() + ": " + failure.message());
}

PixelSize parse_size(const std::string& text)
{
    int width = 0;
    int height = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%dx%d%c", &width, &height, &tail) != 2 || !size_refusal(width, height).empty())
        fail(std::string("size must be WxH in pixels, ") + size_limits_text + ", e.g. 640x480: " + text);
    return { width, height };
}

ObjectRef paint_member(std::string_view member, std::vector<Variant> args, SurfaceKind kind, PixelSize size,
    const std::filesystem::path& png, std::optional<int> first_lines)
{
    ObjectRef painter = create_object("Velmo10.clsKxLumoGradientsA");
    auto surface = make_surface(kind, size);
    ObjectRef target = surface;
    if (first_lines)
        target = std::make_shared<FirstLinesOnly>(surface, *first_lines);
    args.insert(args.begin(), Variant(target));
    std::vector<Variant*> refs;
    for (auto& arg : args)
        refs.push_back(&arg);
    late::invoke(painter, member, Invoke::Call, refs);
    auto& painted = *std::static_pointer_cast<host::Surface>(surface);
    codecs::write_whole(png, [&](const std::filesystem::path& file) {
        try {
            painted.write_png(file);
            return true;
        } catch (const Error&) {
            return false;
        }
    });
    return surface;
}

Gallery write_gallery(const std::filesystem::path& dir, PixelSize size)
{
    create_folder(dir);
    Gallery gallery;
    std::vector<GalleryPicture>& written = gallery.pictures;
    auto attempt = [&](std::string_view member, const std::vector<Variant>& args, SurfaceKind kind, std::string label,
                       std::string file_name, std::optional<int> first_lines = {}) {
        auto file = dir / file_name;
        try {
            paint_member(member, args, kind, size, file, first_lines);
            written.push_back({ std::move(label), file });
        } catch (const Error& error) {
            print_error(error, "gallery: " + label);
            ++gallery.failures;
        }
    };
    for (const Member& member : gradients::clsKxLumoGradientsA::info().members) {
        std::string name(member.name);
        if (is_preset(member)) {
            attempt(member.name, {}, SurfaceKind::Form, name, name + ".png");
            attempt(member.name, {}, SurfaceKind::PictureBox, name + " (picture box)", name + "-picturebox.png");
            if (is_build_preset(member)) {
                std::string steps = std::to_string(build_preview_steps);
                attempt(member.name, {}, SurfaceKind::Form, name + " (first " + steps + " steps)",
                    name + "-first-" + steps + "-steps.png", build_preview_steps);
            }
        } else {
            attempt(member.name, representative_arguments().at(member.name), SurfaceKind::Form, name, name + ".png");
        }
    }
    write_contact_sheet(written, dir / "contact-sheet.png");
    return gallery;
}

void write_contact_sheet(const std::vector<GalleryPicture>& pictures, const std::filesystem::path& png)
{
    constexpr int columns = 9;
    constexpr int cell_width = 200;
    constexpr int gap = 12;
    constexpr int label_height = 18;
    constexpr double font_size = 12;

    // One picture decoded at a time, painted into its cell and let go: the sheet costs one
    // full-size picture, whatever the count.
    auto read = [](const GalleryPicture& picture) {
        SurfacePtr image(cairo_image_surface_create_from_png(picture.file.c_str()), &cairo_surface_destroy);
        if (auto status = cairo_surface_status(image.get()); status != CAIRO_STATUS_SUCCESS)
            throw Error(err::PathFileAccess, "velmo", "cannot read " + picture.file.string() + ": " + cairo_status_to_string(status));
        return image;
    };
    SurfacePtr image(nullptr, &cairo_surface_destroy);
    int cell_height = cell_width * 3 / 4;
    if (!pictures.empty()) {
        image = read(pictures.front());
        // At least a row: a zero scale would leave the context in error and leak its patterns.
        cell_height = std::max(1, cell_width * cairo_image_surface_get_height(image.get()) / cairo_image_surface_get_width(image.get()));
    }
    int rows = (static_cast<int>(pictures.size()) + columns - 1) / columns;
    int sheet_width = gap + columns * (cell_width + gap);
    int sheet_height = gap + std::max(rows, 1) * (cell_height + label_height + gap);

    SurfacePtr sheet(cairo_image_surface_create(CAIRO_FORMAT_RGB24, sheet_width, sheet_height), &cairo_surface_destroy);
    ContextPtr cr(cairo_create(sheet.get()), &cairo_destroy);
    cairo_set_source_rgb(cr.get(), 0.16, 0.16, 0.18);
    cairo_paint(cr.get());
    select_label_font(cr.get());
    cairo_set_font_size(cr.get(), font_size);

    for (size_t i = 0; i < pictures.size(); ++i) {
        if (i > 0) {
            image.reset();
            image = read(pictures[i]);
        }
        double x = gap + static_cast<double>(i % columns) * (cell_width + gap);
        double y = gap + static_cast<double>(i / columns) * (cell_height + label_height + gap);
        cairo_save(cr.get());
        cairo_translate(cr.get(), x, y);
        cairo_scale(cr.get(), double(cell_width) / cairo_image_surface_get_width(image.get()),
            double(cell_height) / cairo_image_surface_get_height(image.get()));
        cairo_set_source_surface(cr.get(), image.get(), 0, 0);
        cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
        cairo_paint(cr.get());
        cairo_restore(cr.get());

        const std::string& label = pictures[i].label;
        cairo_text_extents_t extents;
        cairo_text_extents(cr.get(), label.c_str(), &extents);
        double scale = extents.width > cell_width ? cell_width / extents.width : 1.0;
        cairo_save(cr.get());
        cairo_translate(cr.get(), x + (cell_width - extents.width * scale) / 2, y + cell_height + label_height - 5);
        cairo_scale(cr.get(), scale, scale);
        cairo_move_to(cr.get(), -extents.x_bearing, 0);
        cairo_set_source_rgb(cr.get(), 0.92, 0.92, 0.92);
        cairo_show_text(cr.get(), label.c_str());
        cairo_restore(cr.get());
    }
    codecs::write_whole(png, [&](const std::filesystem::path& file) {
        return cairo_surface_write_to_png(sheet.get(), file.c_str()) == CAIRO_STATUS_SUCCESS;
    });
}

}  // namespace velmo::cli
