#include "capture/image_capture.h"

#include <array>

#include "automation/error_modes.h"
#include "automation/late.h"
#include "platform/picture_from_bitmap.h"
#include "host/screen.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::capture {

using namespace velmo::platform;

namespace {

// Units of the host's ScaleX and ScaleY.
const Integer twips = 1;
const Integer pixels = 3;

// The palette record: header and the 256 entries of the system palette.
struct PaletteRecord {
    LOGPALETTE header;
    std::array<PALETTEENTRY, 255> more;
};
static_assert(sizeof(PaletteRecord) == 4 + 256 * sizeof(PALETTEENTRY));

// Whole-number division of two Longs: truncates toward zero; dividing by zero is error 11, and the
// one quotient that leaves the range overflows.
Long whole_divide(Long dividend, Long divisor)
{
    if (divisor == Long(0))
        raise(err::DivisionByZero);
    return Long(int64_t(dividend.value()) / divisor.value());
}

Long handle_value(HANDLE handle) { return Long(static_cast<int32_t>(handle)); }

}  // namespace

clsKxLumoImageCaptureA::clsKxLumoImageCaptureA()
    : screen_(host::screen())
{
}

const ClassInfo& clsKxLumoImageCaptureA::info()
{
    using C = clsKxLumoImageCaptureA;
    static const TypeName picture = TypeName::object("IPicture");
    auto long_ = [](std::string_view name) { return param(name, VarType::Long); };
    auto form = [] { return param("ofrmSrc", VarType::Object); };
    static const ClassInfo table {
        "Velmo10",
        "clsKxLumoImageCaptureA",
        Creatable::Yes,
        {
            method("CaptureWindow", &C::CaptureWindow,
                { long_("hWndSrc").by_value(), param("Client", VarType::Boolean).by_value(), long_("LeftSrc").by_value(),
                    long_("TopSrc").by_value(), long_("WidthSrc").by_value(), long_("HeightSrc").by_value() },
                picture),
            method("CaptureScreen", &C::CaptureScreen, {}, picture),
            method("CaptureForm", &C::CaptureForm, { form() }, picture),
            method("CaptureFormClient", &C::CaptureFormClient, { form() }, picture),
            method("CaptureActiveWindow", &C::CaptureActiveWindow, {}, picture),
            method("CaptureAnyWindow", &C::CaptureAnyWindow,
                { long_("lWindowHandle"), param("bClient", VarType::Boolean).optional_(), long_("lLeft").optional_(),
                    long_("lTop").optional_(), long_("lWidth").optional_(), long_("lHeight").optional_() },
                picture),
        },
    };
    return table;
}

// The host calls in their order, one statement each. The platform calls report failure only as 0
// handles, which are passed on unchecked; only making the picture can leave the result empty.
ObjectRef clsKxLumoImageCaptureA::CaptureWindow(Long hWndSrc, Boolean Client, Long LeftSrc, Long TopSrc, Long WidthSrc, Long HeightSrc)
{
    auto window = static_cast<HWND>(hWndSrc.value());
    HDC source = 0;
    HDC memory = 0;
    HBITMAP bitmap = 0;
    HGDIOBJ previous_bitmap = 0;
    HPALETTE palette = 0;
    HPALETTE previous_palette = 0;
    int raster_caps = 0;
    int has_palette = 0;
    int palette_size = 0;
    bool made_palette = false;
    ObjectRef result;

    // Any non-zero Client, not only True, means the client area.
    skip([&] { source = Client.raw != 0 ? GetDC(window) : GetWindowDC(window); });
    skip([&] { memory = CreateCompatibleDC(source); });
    // Compatible with the source, so it has the source's colour format. A zero size gives the
    // platform's smallest bitmap, one monochrome pixel: a valid picture callers can still use.
    skip([&] { bitmap = CreateCompatibleBitmap(source, WidthSrc.value(), HeightSrc.value()); });
    skip([&] { previous_bitmap = SelectObject(memory, bitmap); });
    skip([&] { raster_caps = GetDeviceCaps(source, RASTERCAPS); });
    has_palette = raster_caps & RC_PALETTE;
    skip([&] { palette_size = GetDeviceCaps(source, SIZEPALETTE); });
    if (palette_size == 256 && has_palette != 0) {
        made_palette = true;
        PaletteRecord record {};
        record.header.palVersion = 0x300;
        record.header.palNumEntries = 256;
        skip([&] { GetSystemPaletteEntries(source, 0, 256, record.header.palPalEntry); });
        skip([&] { palette = CreatePalette(&record.header); });
        skip([&] { previous_palette = SelectPalette(memory, palette, 0); });
        skip([&] { RealizePalette(memory); });
    }
    skip([&] { BitBlt(memory, 0, 0, WidthSrc.value(), HeightSrc.value(), source, LeftSrc.value(), TopSrc.value(), SRCCOPY); });
    skip([&] { bitmap = SelectObject(memory, previous_bitmap); });
    if (made_palette)
        skip([&] { palette = SelectPalette(memory, previous_palette, 0); });
    skip([&] { DeleteDC(memory); });
    skip([&] { ReleaseDC(window, source); });
    skip([&] { result = PictureFromBitmap(bitmap, made_palette ? palette : 0); });
    return result;
}

ObjectRef clsKxLumoImageCaptureA::capture_window_by_name(Variant window, Variant client, Variant left, Variant top, Variant width, Variant height)
{
    std::array<Variant*, 6> args { &window, &client, &left, &top, &width, &height };
    return invoke("CaptureWindow", Invoke::Call, args).to_object();
}

ObjectRef clsKxLumoImageCaptureA::CaptureScreen()
{
    HWND desktop = 0;
    ObjectRef result;
    skip([&] { desktop = GetDesktopWindow(); });
    // One statement: the four screen values (Singles in twips, each rounded half to even to a
    // Long) in the order Width, TwipsPerPixelX, Height, TwipsPerPixelY, the two divisions and the
    // capture.
    skip([&] {
        Long width_twips = late::get(screen_, "Width").to_long();
        Long twips_x = late::get(screen_, "TwipsPerPixelX").to_long();
        Long width = whole_divide(width_twips, twips_x);
        Long height_twips = late::get(screen_, "Height").to_long();
        Long twips_y = late::get(screen_, "TwipsPerPixelY").to_long();
        Long height = whole_divide(height_twips, twips_y);
        result = capture_window_by_name(handle_value(desktop), False, 0, 0, width, height);
    });
    return result;
}

ObjectRef clsKxLumoImageCaptureA::CaptureForm(ByRef<ObjectRef> ofrmSrc)
{
    ObjectRef result;
    // One statement: any missing member or overflow skips the whole capture.
    skip([&] {
        ObjectRef form = ofrmSrc;
        Variant window = late::get(form, "hwnd");
        Variant width = late::call(form, "ScaleX", late::get(form, "Width"), twips, pixels);
        Variant height = late::call(form, "ScaleY", late::get(form, "Height"), twips, pixels);
        result = capture_window_by_name(std::move(window), False, 0, 0, std::move(width), std::move(height));
    });
    return result;
}

ObjectRef clsKxLumoImageCaptureA::CaptureFormClient(ByRef<ObjectRef> ofrmSrc)
{
    ObjectRef result;
    // One statement; ScaleMode is read once for each conversion.
    skip([&] {
        ObjectRef form = ofrmSrc;
        Variant window = late::get(form, "hwnd");
        Variant scale_width = late::get(form, "ScaleWidth");
        Variant width = late::call(form, "ScaleX", std::move(scale_width), late::get(form, "ScaleMode"), pixels);
        Variant scale_height = late::get(form, "ScaleHeight");
        Variant height = late::call(form, "ScaleY", std::move(scale_height), late::get(form, "ScaleMode"), pixels);
        result = capture_window_by_name(std::move(window), True, 0, 0, std::move(width), std::move(height));
    });
    return result;
}

ObjectRef clsKxLumoImageCaptureA::CaptureActiveWindow()
{
    HWND window = 0;
    RECT rect;  // stays all zero when GetWindowRect fails: a zero-sized capture follows
    ObjectRef result;
    skip([&] { window = GetForegroundWindow(); });
    skip([&] { GetWindowRect(window, &rect); });
    // The whole window, frame and caption included; the subtractions overflow rather than wrap.
    skip([&] {
        Long width = Long(rect.right) - Long(rect.left);
        Long height = Long(rect.bottom) - Long(rect.top);
        result = capture_window_by_name(handle_value(window), False, 0, 0, width, height);
    });
    return result;
}

ObjectRef clsKxLumoImageCaptureA::CaptureAnyWindow(ByRef<Long> lWindowHandle, ByRef<Boolean> bClient, ByRef<Long> lLeft,
    ByRef<Long> lTop, ByRef<Long> lWidth, ByRef<Long> lHeight)
{
    ObjectRef result;
    // Omitted values stay False and 0: with only a handle, a zero-sized capture of the whole window.
    skip([&] {
        result = capture_window_by_name(lWindowHandle.get(), bClient.get(), lLeft.get(), lTop.get(), lWidth.get(), lHeight.get());
    });
    return result;
}

}  // namespace velmo::capture
