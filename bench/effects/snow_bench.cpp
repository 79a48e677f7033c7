// One frame of the snow effect on a 600 x 600 black picture box with its 3001 flakes (the flake
// step for all, SetDIBits, Refresh, the message pump) next to the floor: the same flake loop on a
// raw buffer plus one copy of the frame's pixels. Both start from one seed, so each iteration is
// the same frame of the same snowfall. The fps counter is frames per second of wall time.
//
//   build/bench/bench/effects/snow_bench --benchmark_repetitions=5
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "automation/late.h"
#include "effects/real_snow.h"
#include "host/picture_box.h"
#include "runtime/random.h"

namespace velmo::bench {
namespace {

constexpr int side = 600;
constexpr double seed = 2;

void frames_per_second(benchmark::State& state)
{
    state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void snow_frame_velmo(benchmark::State& state)
{
    auto box = host::PictureBox::create(side, side);
    late::let(box, "ScaleMode", Integer(3));
    late::let(box, "AutoRedraw", True);
    late::let(box, "BackColor", Long(0));
    auto effect = std::make_shared<effects::clsKxLumoEffectsRealSnowA>();
    effect->set_seed(seed);
    Variant variable { ObjectRef(box) };
    ByRef<ObjectRef> pic(variable);
    effects::SnowRun run(*effect, pic);
    for (auto _ : state)
        benchmark::DoNotOptimize(run.frame());
    frames_per_second(state);
}

void snow_frame_floor(benchmark::State& state)
{
    std::vector<uint32_t> pixels(size_t(side) * side, 0);
    std::vector<uint32_t> shown(pixels.size());
    std::vector<effects::SnowFlake> flakes(effects::flake_count);
    effects::PixelView view(pixels.data(), side, side);
    host::Randomize(seed);
    effects::Uniform R = [] { return host::Rnd(); };
    effects::place_flakes(flakes, view, R);
    int16_t respawn_attempts = 0;
    for (auto _ : state) {
        effects::move_flakes(flakes, view, R, respawn_attempts);
        std::memcpy(shown.data(), pixels.data(), pixels.size() * sizeof(uint32_t));
        benchmark::DoNotOptimize(shown.data());
        benchmark::ClobberMemory();
    }
    frames_per_second(state);
}

BENCHMARK(snow_frame_velmo)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(snow_frame_floor)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace velmo::bench

BENCHMARK_MAIN();
