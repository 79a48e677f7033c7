// The flake step. Each rule below is one statement of the effect; the order of tests, draws of R
// and writes is part of the behaviour (a seeded run must give the same picture every time).
#include "effects/snow_field.h"

#include <cmath>
#include <limits>

namespace velmo::effects {

namespace {

// R times a whole number is exact in double precision, so Floor and Round see the true product.
int32_t floor_of(double v) { return static_cast<int32_t>(std::floor(v)); }
int32_t round_of(double v) { return static_cast<int32_t>(std::nearbyint(v)); }  // ties to even

// d: 1 when R > 0.5, else 0.
int32_t direction(const Uniform& R) { return round_of(R()); }

struct Position {
    int32_t X;
    int32_t Y;
};

Position placement_candidate(const Uniform& R)
{
    int32_t X = floor_of(double(R()) * 590) + 2;
    int32_t Y = round_of(double(R()) * 579 + 20);
    return { X, Y };
}

Position respawn_candidate(const Uniform& R)
{
    int32_t X = floor_of(double(R()) * 590) + 2;
    int32_t Y = round_of(double(R()) * 20 + 579);
    return { X, Y };
}

// A byte counter that would pass its range is left as it is.
void count_up(uint8_t& counter)
{
    if (counter < std::numeric_limits<uint8_t>::max())
        ++counter;
}

void place(SnowFlake& flake, PixelView pixels, const Uniform& R)
{
    for (int tried = 0; tried < search_bound; ++tried) {
        Position p = placement_candidate(R);
        if (pixels.free(p.X, p.Y)) {
            flake.X = p.X;
            flake.Y = p.Y;
            flake.waiting = false;
            return;
        }
    }
    flake.waiting = true;
}

}  // namespace

void place_flakes(std::span<SnowFlake> flakes, PixelView pixels, const Uniform& R)
{
    for (SnowFlake& flake : flakes)
        place(flake, pixels, R);
}

StepEnd step_flake(SnowFlake& flake, PixelView pixels, const Uniform& R, int16_t& respawn_attempts)
{
    if (flake.waiting) {
        place(flake, pixels, R);
        return StepEnd::Done;
    }
    int32_t X = flake.X;
    int32_t Y = flake.Y;

    // Respawn into the top band. The old pixel is not erased: it stays as lying snow. A search that
    // finds no free candidate within the bound leaves the flake where it is for this frame.
    if (flake.StuckFrames > 100) {
        for (int tried = 0; tried < search_bound; ++tried) {
            Position p = respawn_candidate(R);
            if (respawn_attempts < std::numeric_limits<int16_t>::max())
                ++respawn_attempts;
            if (respawn_attempts == 1000)
                return StepEnd::Restart;  // this candidate is not tested
            if (pixels.free(p.X, p.Y)) {
                X = p.X;
                Y = p.Y;
                respawn_attempts = 0;
                break;
            }
        }
    }

    pixels.erase(X, Y);

    if (pixels.free(X, Y - 1)) {
        // Falling; row 1 is the lowest a fall reaches.
        if (Y > 1)
            --Y;
        count_up(flake.FallSteps);
        flake.StuckFrames = 0;
        if (flake.FallSteps == 4) {
            flake.FallSteps = 0;
            if (direction(R) == 1) {
                if (X < 598 && pixels.free(X + 1, Y))
                    ++X;
            } else {
                if (X > 1 && pixels.free(X - 1, Y))
                    --X;
            }
        }
    } else if (direction(R) == 1) {
        // Blocked below: slide down to the right when both pixels there are free.
        if (X < 599 && Y > 0) {
            if (pixels.both_free(X + 1, Y - 1, X + 1, Y)) {
                ++X;
                --Y;
                flake.StuckFrames = 0;
            } else {
                count_up(flake.StuckFrames);
            }
        }
    } else {
        if (X > 0 && Y > 0) {
            if (pixels.both_free(X - 1, Y - 1, X - 1, Y)) {
                --X;
                --Y;
                flake.StuckFrames = 0;
            } else {
                count_up(flake.StuckFrames);
            }
        }
    }

    flake.X = X;
    flake.Y = Y;
    pixels.draw(X, Y);
    return StepEnd::Done;
}

StepEnd move_flakes(std::span<SnowFlake> flakes, PixelView pixels, const Uniform& R, int16_t& respawn_attempts)
{
    for (SnowFlake& flake : flakes) {
        if (step_flake(flake, pixels, R, respawn_attempts) == StepEnd::Restart)
            return StepEnd::Restart;
    }
    return StepEnd::Done;
}

}  // namespace velmo::effects
