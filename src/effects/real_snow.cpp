// The member glue of the snow effect: its member table, the host calls by name and the platform's
// bitmap transfers around the flake step. Everything after the flake table is made runs
// skip-on-error: each statement that can fail is wrapped in skip(), so a failing one is passed over
// and the effect goes on; RealSnowEffect never raises from there on and returns 0.
#include "effects/real_snow.h"

#include <cstdlib>

#include "automation/checked.h"
#include "automation/error_modes.h"
#include "automation/late.h"
#include "host/do_events.h"
#include "runtime/random.h"
#include "platform/gdi.h"

namespace velmo::effects {

namespace {

// The largest buffer the effect makes. A larger scale (a big box measured in twips, say) fails
// the statement as exhausted memory would, and the effect goes on without a new buffer.
constexpr int64_t max_buffer_pixels = int64_t(1) << 26;

float scale_size(const ObjectRef& pic, std::string_view property) { return late::get(pic, property).to_single(); }

}  // namespace

const ClassInfo& clsKxLumoEffectsRealSnowA::info()
{
    using Self = clsKxLumoEffectsRealSnowA;
    const auto boolean = TypeName::of(VarType::Boolean);
    static const ClassInfo table {
        "Velmo10", "clsKxLumoEffectsRealSnowA", Creatable::Yes,
        {
            property_get("Cancel", &Self::get_Cancel, boolean),
            property_let("Cancel", &Self::let_Cancel, boolean),
            method("RealSnowEffect", &Self::RealSnowEffect, { param("Pic", VarType::Object) }, TypeName::of(VarType::Long)),
        },
    };
    return table;
}

Boolean clsKxLumoEffectsRealSnowA::get_Cancel() { return cancel_; }

// Stored as given: 1 is not True.
void clsKxLumoEffectsRealSnowA::let_Cancel(Boolean value) { cancel_ = value; }

Long clsKxLumoEffectsRealSnowA::RealSnowEffect(ByRef<ObjectRef> Pic)
{
    SnowRun run(*this, Pic);
    while (run.frame() != SnowRun::FrameEnd::Cancelled) { }
    return 0;
}

SnowRun::SnowRun(clsKxLumoEffectsRealSnowA& effect, const ByRef<ObjectRef>& Pic)
    : effect_(effect)
    , pic_(Pic)
    , R_([] { return host::Rnd(); })
{
    // Unguarded: a failure here (no memory for the table) reaches the caller.
    effect_.let_Cancel(False);
    effect_.flakes_.assign(flake_count, SnowFlake {});

    skip([&] {
        if (effect_.seed_)
            host::Randomize(*effect_.seed_);
        else
            host::Randomize();
    });
    initialise();
}

// Also where a restart comes back to: the buffer is made and read anew, the flakes placed anew.
void SnowRun::initialise()
{
    auto& pixels = effect_.pixels_;
    auto& h = effect_.header_.bmiHeader;

    skip([&] { late::let(pic_.get(), "AutoRedraw", True); });
    skip([&] {
        float width = scale_size(pic_.get(), "ScaleWidth");
        int32_t last_x = clng(width - 1.0f).value();
        float height = scale_size(pic_.get(), "ScaleHeight");
        int32_t last_y = clng(height - 1.0f).value();
        if (last_x < 0 || last_y < 0)
            raise(err::SubscriptOutOfRange);
        int64_t columns = int64_t(last_x) + 1;
        int64_t rows = int64_t(last_y) + 1;
        // The header rounds the sizes themselves, which for a scale ending in .5 can give one
        // column or row more than the bounds; the storage makes room for that transfer too.
        int64_t header_pixels = std::llabs(std::llrint(double(width))) * std::llabs(std::llrint(double(height)));
        int64_t entries = std::max(columns * rows, header_pixels);
        if (entries > max_buffer_pixels)
            raise(err::OutOfMemory);
        std::vector<uint32_t> fresh(static_cast<size_t>(entries), 0);
        pixels.storage = std::move(fresh);
        pixels.width = static_cast<int32_t>(columns);
        pixels.height = static_cast<int32_t>(rows);
    });

    skip([&] { h.biSize = sizeof(platform::BITMAPINFOHEADER); });
    skip([&] { h.biWidth = clng(scale_size(pic_.get(), "ScaleWidth")).value(); });
    skip([&] { h.biHeight = clng(scale_size(pic_.get(), "ScaleHeight")).value(); });
    skip([&] { h.biPlanes = 1; });
    skip([&] { h.biBitCount = 32; });
    skip([&] { h.biCompression = platform::BI_RGB; });
    skip([&] { h.biClrUsed = 0; });
    skip([&] { h.biClrImportant = 0; });
    // The number of pixels, not of bytes.
    skip([&] {
        float width = scale_size(pic_.get(), "ScaleWidth");
        float height = scale_size(pic_.get(), "ScaleHeight");
        h.biSizeImage = static_cast<platform::DWORD>(clng(width * height).value());
    });

    transfer(Direction::FromPicture);
    place_flakes(effect_.flakes_, pixels.view(), R_);
}

// GetDIBits or SetDIBits between the buffer and the picture's persistent image, as one statement.
void SnowRun::transfer(Direction direction)
{
    skip([&] {
        auto dc = static_cast<platform::HDC>(late::get(pic_.get(), "hdc").to_long().value());
        ObjectRef image = late::get(pic_.get(), "Image").to_object();
        auto bitmap = static_cast<platform::HBITMAP>(late::get(image, "Handle").to_long().value());
        auto& pixels = effect_.pixels_;
        if (!pixels.allocated())
            raise(err::SubscriptOutOfRange);
        auto& info = effect_.header_;
        // The call may touch width x height entries; a header that asks for more than the buffer
        // holds would write past it, so that transfer fails instead.
        int64_t reach = std::llabs(info.bmiHeader.biWidth) * std::llabs(int64_t(info.bmiHeader.biHeight));
        if (reach > static_cast<int64_t>(pixels.storage.size()))
            raise(err::SubscriptOutOfRange);
        auto lines = static_cast<platform::UINT>(info.bmiHeader.biHeight);
        if (direction == Direction::FromPicture)
            platform::GetDIBits(dc, bitmap, 0, lines, pixels.storage.data(), &info, platform::DIB_RGB_COLORS);
        else
            platform::SetDIBits(dc, bitmap, 0, lines, pixels.storage.data(), &info, platform::DIB_RGB_COLORS);
    });
}

SnowRun::FrameEnd SnowRun::frame()
{
    if (move_flakes(effect_.flakes_, effect_.pixels_.view(), R_, respawn_attempts_) == StepEnd::Restart) {
        initialise();
        return FrameEnd::Restarted;
    }
    transfer(Direction::ToPicture);
    skip([&] { late::call(pic_.get(), "Refresh"); });
    skip([] { host::DoEvents(); });
    // Only True itself stops the effect.
    return effect_.get_Cancel() == True ? FrameEnd::Cancelled : FrameEnd::Shown;
}

}  // namespace velmo::effects
