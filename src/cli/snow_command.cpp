#include "cli/snow_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <span>
#include <stdexcept>
#include <vector>

#include "automation/late.h"
#include "automation/registry.h"
#include "cli/error_output.h"
#include "cli/picture_limits.h"
#include "cli/real_display.h"
#include "codecs/animation_writer.h"
#include "codecs/atomic_file.h"
#include "gfx/png_writer.h"
#include "effects/real_snow.h"
#include "host/do_events.h"
#include "host/load_picture.h"
#include "host/picture_box.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/user.h"

namespace velmo::cli {

namespace {

enum class OutputKind { WebP, Gif, Png };

constexpr int frame_ms = 40;  // 25 frames a second

OutputKind output_kind(const std::filesystem::path& file)
{
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    if (ext == ".webp")
        return OutputKind::WebP;
    if (ext == ".gif")
        return OutputKind::Gif;
    if (ext == ".png")
        return OutputKind::Png;
    fail("cannot tell what to write from the name " + file.string() + ": use .webp, .gif or .png");
}

Long rgb(int r, int g, int b) { return Long(r + g * 256 + b * 65536); }

// Ledges, a pillar, a roof and a moon to settle on; every colour has some blue, so none is free.
void paint_scene(const ObjectRef& box, int w, int h)
{
    auto X = [w](double f) { return float(f * w); };
    auto Y = [h](double f) { return float(f * h); };
    auto filled = [&](double l, double t, double r, double b, Long color) {
        late::call(box, "Line", Integer(38), X(l), Y(t), X(r), Y(b), color);
    };
    auto line = [&](double x1, double y1, double x2, double y2, Long color) {
        late::call(box, "Line", Integer(6), X(x1), Y(y1), X(x2), Y(y2), color);
    };
    filled(0.10, 0.60, 0.38, 0.63, rgb(0, 150, 170));
    filled(0.55, 0.38, 0.82, 0.41, rgb(140, 70, 200));
    filled(0.44, 0.74, 0.49, 1.00, rgb(40, 90, 220));
    filled(0.63, 0.86, 0.87, 1.00, rgb(120, 60, 40));
    late::let(box, "DrawWidth", Integer(4));
    line(0.60, 0.86, 0.75, 0.72, rgb(230, 120, 60));
    line(0.75, 0.72, 0.90, 0.86, rgb(230, 120, 60));
    late::let(box, "DrawWidth", Integer(3));
    late::call(box, "Circle", Integer(2), X(0.22), Y(0.18), float(0.07 * std::min(w, h)), rgb(230, 220, 150), Integer(0),
        Integer(0), Integer(0));
    late::let(box, "DrawWidth", Integer(1));
}

std::shared_ptr<host::PictureBox> make_box(const SnowRequest& request)
{
    if (!request.picture) {
        auto box = host::PictureBox::create(request.size.width, request.size.height);
        late::let(box, "ScaleMode", Integer(3));
        late::let(box, "AutoRedraw", True);
        late::let(box, "BackColor", Long(0));
        paint_scene(box, request.size.width, request.size.height);
        return box;
    }
    ObjectRef loaded;
    try {
        loaded = host::LoadPicture(request.picture->string());
    } catch (const Error& error) {
        fail("cannot read picture " + request.picture->string() + ": " + error.description());
    }
    auto picture = std::dynamic_pointer_cast<platform::Picture>(loaded);
    gfx::Size size = picture ? picture->pixel_size() : gfx::Size {};
    if (size.width < 1 || size.height < 1)
        fail("cannot read picture " + request.picture->string() + ": it holds no pixels");
    if (auto refusal = size_refusal(size.width, size.height); !refusal.empty())
        fail(request.picture->string() + ": " + refusal);
    auto box = host::PictureBox::create(size.width, size.height);
    late::let(box, "ScaleMode", Integer(3));
    late::set(box, "Picture", loaded);
    late::let(box, "AutoRedraw", True);
    return box;
}

// The box's persistent image, the picture that holds what the effect drew.
std::shared_ptr<platform::Picture> image_of(host::PictureBox& box)
{
    auto image = std::dynamic_pointer_cast<platform::Picture>(box.get_Image());
    const gfx::Bitmap* pixels = image ? image->pixels() : nullptr;
    if (!pixels || pixels->width() < box.client_width() || pixels->height() < box.client_height())
        fail("cannot read the picture box's image");
    return image;
}

// The client area of the box's persistent image as top-down 0x00RRGGBB rows: the image's own rows
// when it is exactly the client area's width (as made), else copied into `copy`.
std::span<const uint32_t> frame_of(const platform::Picture& image, int w, int h, std::vector<uint32_t>& copy)
{
    const gfx::Bitmap& pixels = *image.pixels();
    if (pixels.width() == w)
        return { pixels.scanline(0), size_t(w) * h };
    copy.resize(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        std::copy_n(pixels.scanline(y), w, copy.begin() + ptrdiff_t(y) * w);
    return copy;
}

int parse_frames(const std::string& text)
{
    int frames = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frames);
    if (error != std::errc() || end != text.data() + text.size() || frames < 1)
        fail("--frames needs a whole number of at least 1, not " + text);
    return frames;
}

double parse_seed(const std::string& text)
{
    char* end = nullptr;
    double seed = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(seed))
        fail("--seed needs a number, not " + text);
    return seed;
}

// Runs the snow on the box (seeded when asked), calling `next_frame` inside every frame's message
// pump; the effect is cancelled once it answers false.
void run_snow(const SnowRequest& request, const ObjectRef& box, const std::function<bool()>& next_frame)
{
    ObjectRef effect = create_object("Velmo10.clsKxLumoEffectsRealSnowA");
    if (request.seed)
        std::static_pointer_cast<effects::clsKxLumoEffectsRealSnowA>(effect)->set_seed(*request.seed);
    std::function<void()> handler = [&] {
        if (next_frame())
            host::post_message([&] { handler(); });
        else
            late::let(effect, "Cancel", True);
    };
    host::post_message([&] { handler(); });
    Variant pic { box };
    Variant* args[] = { &pic };
    late::invoke(effect, "RealSnowEffect", Invoke::Call, args);
}

}  // namespace

void write_snow(const SnowRequest& request, const std::function<void(int, int)>& progress)
{
    OutputKind kind = output_kind(request.output);
    auto box = make_box(request);
    int width = box->client_width();
    int height = box->client_height();

    codecs::AtomicFile partial(request.output);
    std::unique_ptr<codecs::AnimationWriter> writer;
    if (kind == OutputKind::WebP)
        writer = codecs::make_webp_writer(partial, width, height, frame_ms);
    else if (kind == OutputKind::Gif)
        writer = codecs::make_gif_writer(partial, width, height, frame_ms / 10);

    // Runs inside each frame's message pump, after the frame was written to the picture: hands the
    // frame to the writer, and ends the effect once it has them all. Its own failure ends the effect
    // too, and is raised once the effect has returned.
    //
    // Memory, for W x H pixels: the display's two windows (the box and its form), the box's image
    // and the effect's buffer, 4 bytes a pixel each (a loaded picture adds its own), and the
    // writer's (see animation_writer.h): the last frame shown and one frame's encoding. That is
    // about 26 bytes a pixel in all, 1.6 GB at 8000 x 8000; frames go to the file as they come and
    // the image's rows are read in place, not copied.
    int shown = 0;
    std::exception_ptr failure;
    std::vector<uint32_t> copy;
    run_snow(request, box, [&] {
        try {
            ++shown;
            if (writer)
                writer->add_frame(frame_of(*image_of(*box), width, height, copy));
            if (progress)
                progress(shown, request.frames);
        } catch (...) {
            failure = std::current_exception();
        }
        return shown < request.frames && !failure;
    });
    if (failure)
        std::rethrow_exception(failure);

    if (writer) {
        writer->finish();
    } else {
        auto image = image_of(*box);
        errno = 0;
        if (!gfx::write_png(*image->pixels(), { 0, 0, width, height }, partial.path()))
            partial.fail(errno);
    }
    partial.commit();
}

void show_snow(const SnowRequest& request)
{
    auto box = make_box(request);
    platform::HWND top = box->window();
    while (platform::HWND parent = platform::GetParent(top))
        top = parent;
    platform::ShowWindow(top, platform::SW_SHOW);
    platform::SetForegroundWindow(top);

    // Checked in each frame's message pump: the person closed the window, or the display went.
    std::optional<std::string> lost;
    run_snow(request, box, [&] {
        lost = display_lost();
        return !lost && platform::IsWindow(top);
    });
    if (lost)
        fail(*lost);
}

void add_snow_command(CLI::App& app)
{
    struct Options {
        std::string input;
        std::string size;
        std::string frames = "600";
        std::string seed;
        std::string output;
        bool show = false;
    };
    auto options = std::make_shared<Options>();
    auto* command = app.add_subcommand("snow", "Let snow fall and settle on a picture, written as an animation (.webp, .gif) or its last frame (.png)");
    command->add_option("-i,--input", options->input, "picture to snow on (BMP, GIF, JPEG, PNG); default: a black picture with shapes");
    command->add_option("--size", options->size, "size of the default picture in pixels, WxH (default 600x600; each side up to 8192, at most 8000x8000 pixels)");
    command->add_option("--frames", options->frames, "frames to run")->capture_default_str();
    command->add_option("--seed", options->seed, "a number that makes the snowfall repeatable (default: the clock)");
    command->add_option("-o,--output", options->output, "file to write: .webp or .gif (animation), .png (last frame)");
    command->add_flag("--show", options->show, "instead of writing a file, show the snow live on the real display until its window is closed");
    command->footer("Examples:\n"
                    "  velmo snow -o snow.webp\n"
                    "  velmo snow --size 320x240 --frames 300 --seed 7 -o snow.gif\n"
                    "  velmo snow -i photo.png --frames 900 -o settled.png\n"
                    "  velmo --display x11 snow --show\n"
                    "Memory: about 26 bytes a pixel for .webp and .gif (1.6 GB at 8000x8000), 20 for .png;\n"
                    "a noise-like -i picture takes up to about 44 for .webp (2.7 GB at 8000x8000).");
    command->callback([options] {
        try {
            SnowRequest request;
            if (options->show && !options->output.empty())
                fail("--show writes no file: give either --show or -o");
            if (options->show && !on_real_display())
                fail("--show needs a real display: put --display x11 (or auto) before the command");
            if (options->output.empty() && !options->show)
                fail("snow needs -o FILE (.webp, .gif or .png)");
            request.output = options->output;
            if (!options->show)
                output_kind(request.output);
            if (!options->input.empty() && !options->size.empty())
                fail("--size is for the default picture; a picture given with -i keeps its own size");
            if (!options->input.empty())
                request.picture = options->input;
            if (!options->size.empty()) {
                try {
                    request.size = parse_size(options->size);
                } catch (const Error& error) {
                    fail("--size: " + error.description());
                }
            }
            request.frames = parse_frames(options->frames);
            if (!options->seed.empty())
                request.seed = parse_seed(options->seed);

            bool terminal = ::isatty(STDERR_FILENO) == 1;
            auto progress = [terminal](int done, int total) {
                if (!terminal || total < 50)
                    return;
                if (done % 10 == 0 || done == total)
                    std::fprintf(stderr, "\rvelmo snow: frame %d of %d", done, total);
                if (done == total)
                    std::fprintf(stderr, "\r\033[K");
            };
            if (options->show) {
                show_snow(request);
                return;
            }
            write_snow(request, progress);
            std::cout << "Wrote " << request.output.string() << "\n";
        } catch (const Error& error) {
            if (::isatty(STDERR_FILENO) == 1)
                std::fprintf(stderr, "\r\033[K");
            print_error(error);
            throw CLI::RuntimeError(1);
        }
    });
}

}  // namespace velmo::cli
