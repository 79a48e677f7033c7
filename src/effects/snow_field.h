// The snow effect's core: flakes placed and moved inside a plain pixel buffer, with no host object
// and no late binding, so it can be tested and measured alone. real_snow.cpp wraps it in the class.
//
// Pixels are 32-bit device-independent bitmap entries (blue, green, red, reserved in memory; blue
// in the low byte of the uint32_t), rows bottom-up: Y = 0 is the bottom row, X = 0 the left
// column. A pixel is free when its blue byte is 0. Positions outside the buffer are allowed
// everywhere: a test there passes and a write there does nothing.
#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <span>

namespace velmo::effects {

static_assert(std::endian::native == std::endian::little, "pixels are read as little-endian words");

inline constexpr int flake_count = 3001;

// How many candidates one search for a free pixel (placing a flake, or respawning a stuck one)
// draws before it gives up. Without a bound a picture with no free pixel in the band would keep
// the effect searching for ever, and the host could never stop it with Cancel. 1000 is the count
// at which a respawn search restarts the effect anyway, so a search that succeeds in time behaves
// exactly as an unbounded one.
inline constexpr int search_bound = 1000;

struct SnowFlake {
    int32_t X = 0;
    int32_t Y = 0;
    uint8_t FallSteps = 0;    // cycles 0 to 4
    uint8_t StuckFrames = 0;  // frames in a row blocked below without sliding
    // Found no free pixel when it was placed: it is not on the picture and, at each of its steps,
    // searches again instead of moving, until it finds one.
    bool waiting = false;
};

class PixelView {
public:
    PixelView() = default;
    PixelView(uint32_t* pixels, int32_t width, int32_t height)
        : pixels_(pixels)
        , width_(pixels ? width : 0)
        , height_(pixels ? height : 0)
    {
    }

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }

    bool inside(int64_t x, int64_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    bool free(int64_t x, int64_t y) const { return !inside(x, y) || (at(x, y) & 0xFF) == 0; }
    // Both free; passes when either position is outside.
    bool both_free(int64_t x1, int64_t y1, int64_t x2, int64_t y2) const
    {
        return !inside(x1, y1) || !inside(x2, y2) || ((at(x1, y1) | at(x2, y2)) & 0xFF) == 0;
    }
    // Blue, red and green to 0; the reserved byte stays.
    void erase(int64_t x, int64_t y)
    {
        if (inside(x, y))
            at(x, y) &= 0xFF000000u;
    }
    // Blue, green and red to 255.
    void draw(int64_t x, int64_t y)
    {
        if (inside(x, y))
            at(x, y) |= 0x00FFFFFFu;
    }
    uint32_t pixel(int64_t x, int64_t y) const { return at(x, y); }

private:
    uint32_t& at(int64_t x, int64_t y) const { return pixels_[y * width_ + x]; }

    uint32_t* pixels_ = nullptr;
    int32_t width_ = 0;
    int32_t height_ = 0;
};

// One draw of a uniform generator of single-precision values in [0, 1).
using Uniform = std::function<float()>;

enum class StepEnd {
    Done,
    // The respawn count reached 1000: the frame is abandoned and the effect starts over.
    Restart,
};

// Places every flake: a candidate in X 2 to 591, Y 20 to 599 until one is free (or outside the
// buffer). Positions only; the counters stay. A flake that finds none within search_bound waits.
void place_flakes(std::span<SnowFlake> flakes, PixelView pixels, const Uniform& R);

// Moves one flake by one frame: respawns it into the top band when it has been stuck for more than
// 100 frames, erases it, lets it fall, drift or slide, and draws it. `respawn_attempts` is the
// count of respawn candidates since the last success; it stops at 32767.
StepEnd step_flake(SnowFlake& flake, PixelView pixels, const Uniform& R, int16_t& respawn_attempts);

// One frame of flake steps, in index order; stops at a restart.
StepEnd move_flakes(std::span<SnowFlake> flakes, PixelView pixels, const Uniform& R, int16_t& respawn_attempts);

}  // namespace velmo::effects
