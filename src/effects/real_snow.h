// clsKxLumoEffectsRealSnowA: falling snow on a caller's picture box, reached only by member name.
// RealSnowEffect reads the picture once into a pixel buffer, then moves every flake in the buffer
// and writes the whole buffer back, frame after frame, letting the host's handlers run between
// frames, until one of them sets Cancel to True. The flake step itself is in snow_field.h.
#pragma once

#include <optional>
#include <vector>

#include "automation/by_ref.h"
#include "automation/object.h"
#include "effects/snow_field.h"
#include "platform/types.h"

namespace velmo::effects {

// The buffer the picture is read into: X from 0 to width - 1, Y from 0 to height - 1, rows one
// after another. The storage can be longer than width x height, never shorter, so that a transfer
// whose header disagrees with the bounds by a rounding stays inside it.
struct SnowPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> storage;

    bool allocated() const { return !storage.empty(); }
    PixelView view() { return { storage.empty() ? nullptr : storage.data(), width, height }; }
};

class SnowRun;

class clsKxLumoEffectsRealSnowA : public Object {
public:
    static const ClassInfo& info();
    const ClassInfo& class_info() const override { return info(); }

    Boolean get_Cancel();
    void let_Cancel(Boolean value);
    // Runs until Cancel reads True after a frame; always returns 0.
    Long RealSnowEffect(ByRef<ObjectRef> Pic);

    // ---- For tests and commands ---------------------------------------------------------------
    // A fixed seed for the generator instead of the clock, for repeatable runs; nullopt restores
    // the clock.
    void set_seed(std::optional<double> seed) { seed_ = seed; }
    const std::vector<SnowFlake>& flakes() const { return flakes_; }
    const SnowPixels& pixels() const { return pixels_; }
    const platform::BITMAPINFO& header() const { return header_; }

private:
    friend class SnowRun;

    Boolean cancel_ = False;
    std::optional<double> seed_;
    std::vector<SnowFlake> flakes_;
    SnowPixels pixels_;
    // Every field 0 until a call fills it; what a call could not fill keeps the last call's value.
    platform::BITMAPINFO header_ { platform::BITMAPINFOHEADER { 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0 }, {} };
};

// One call of RealSnowEffect taken apart, so that a test or a benchmark can run it frame by frame:
// constructing it does everything before the frame loop, frame() one pass of the loop.
class SnowRun {
public:
    enum class FrameEnd {
        Shown,      // written to the picture; Cancel was not True
        Restarted,  // abandoned: the picture was read again and the flakes placed again
        Cancelled,  // written, and Cancel read True afterwards
    };

    // `Pic` is read anew at every use, as the caller's variable may change during the run.
    SnowRun(clsKxLumoEffectsRealSnowA& effect, const ByRef<ObjectRef>& Pic);
    FrameEnd frame();

private:
    enum class Direction { FromPicture, ToPicture };
    void initialise();
    void transfer(Direction direction);

    clsKxLumoEffectsRealSnowA& effect_;
    const ByRef<ObjectRef>& pic_;
    Uniform R_;
    int16_t respawn_attempts_ = 0;
};

}  // namespace velmo::effects
