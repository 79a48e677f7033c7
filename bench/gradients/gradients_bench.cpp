// The gradient painter on real surfaces next to its floor, the same primitives drawn straight
// through cairo on a buffer of the same size. Band members on a 1920 x 1080 picture box; shaped
// members and one preset of each family on an 800 x 600 form.
//
//   build/grad-bench/bench/gradients/gradients_bench --benchmark_min_time=0.5
#include <benchmark/benchmark.h>

#include "automation/late.h"
#include "floor.h"
#include "gradients/gradients.h"
#include "host/screen.h"
#include "runtime/random.h"
#include "host/form.h"
#include "host/picture_box.h"

namespace velmo::bench {
namespace {

Variant I(int value) { return Variant(Integer(value)); }

// Calls a painter member once per iteration with fresh argument variables, as a client would.
void run_member(benchmark::State& state, const ObjectRef& surface, std::string_view member, const std::vector<Variant>& args)
{
    auto painter = std::make_shared<gradients::clsKxLumoGradientsA>();
    for (auto _ : state) {
        std::vector<Variant> vars { Variant(surface) };
        vars.insert(vars.end(), args.begin(), args.end());
        std::vector<Variant*> refs;
        for (auto& v : vars)
            refs.push_back(&v);
        late::invoke(painter, member, Invoke::Call, refs);
    }
}

ObjectRef band_box() { return host::PictureBox::create(1920, 1080); }
ObjectRef shaped_form() { return host::Form::create(800, 600); }

const std::vector<Variant> two_colors = { I(0), I(255), I(0), I(255), I(0), I(128), False };

// ---- band members, 1920 x 1080 picture box ----

void Gradient01_velmo(benchmark::State& state) { run_member(state, band_box(), "Gradient01", { Long(6), Long(1) }); }
void Gradient01_floor(benchmark::State& state)
{
    Floor floor(1920, 1080);
    for (auto _ : state)
        floor.gradient01_vertical();
}
void Gradient02_velmo(benchmark::State& state) { run_member(state, band_box(), "Gradient02", { Long(6) }); }
void Gradient02_floor(benchmark::State& state)
{
    Floor floor(1920, 1080);
    for (auto _ : state)
        floor.gradient02();
}
BENCHMARK(Gradient01_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gradient01_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gradient02_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(Gradient02_floor)->Unit(benchmark::kMicrosecond);

// ---- shaped members, 800 x 600 form ----

void BoxGradient_velmo(benchmark::State& state)
{
    auto form = shaped_form();
    auto painter = std::make_shared<gradients::clsKxLumoGradientsA>();
    for (auto _ : state) {
        // Size 2 on every call, so each call paints the same boxes (divisor 4).
        std::vector<Variant> vars { Variant(form), I(0), I(255), I(0), I(255), I(0), I(128), I(2), False };
        std::vector<Variant*> refs;
        for (auto& v : vars)
            refs.push_back(&v);
        late::invoke(painter, "BoxGradient", Invoke::Call, refs);
    }
}
void BoxGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.box_gradient(4);
}
void CircleGradient_velmo(benchmark::State& state) { run_member(state, shaped_form(), "CircleGradient", two_colors); }
void CircleGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.circle_gradient();
}
void DiagGradient_velmo(benchmark::State& state) { run_member(state, shaped_form(), "DiagGradient", two_colors); }
void DiagGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.diag_gradient();
}
void GrafittiZigZag_velmo(benchmark::State& state) { run_member(state, shaped_form(), "GrafittiZigZag", {}); }
void GrafittiZigZag_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.grafitti_zigzag();
}
void HorizGradient_velmo(benchmark::State& state) { run_member(state, shaped_form(), "HorizGradient", two_colors); }
void HorizGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.horiz_gradient();
}
void SpinGradient_velmo(benchmark::State& state) { run_member(state, shaped_form(), "SpinGradient", two_colors); }
void SpinGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.spin_gradient();
}
void RectGradient_velmo(benchmark::State& state) { run_member(state, shaped_form(), "RectGradient", two_colors); }
void RectGradient_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state) {
        floor.fill_background(255, 0, 128);
        floor.box_gradient(2);
    }
}
BENCHMARK(BoxGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(BoxGradient_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(CircleGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(CircleGradient_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(DiagGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(DiagGradient_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrafittiZigZag_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrafittiZigZag_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(HorizGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(HorizGradient_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpinGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(SpinGradient_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(RectGradient_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(RectGradient_floor)->Unit(benchmark::kMicrosecond);

// ---- one preset of each family, 800 x 600 form ----

double outer_width(const ObjectRef& form) { return late::get(form, "Width").to_double(); }

void MidGrayBlack_velmo(benchmark::State& state) { run_member(state, shaped_form(), "MidGrayBlack", {}); }
void MidGrayBlack_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    double screen_width = late::get(host::screen(), "Width").to_double();
    for (auto _ : state)
        floor.mid_black(screen_width);
}
void GrayBuild_velmo(benchmark::State& state) { run_member(state, shaped_form(), "GrayBuild", {}); }
void GrayBuild_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    for (auto _ : state)
        floor.build();
}
void GrayBlack_velmo(benchmark::State& state) { run_member(state, shaped_form(), "GrayBlack", {}); }
void GrayBlack_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    double width = outer_width(shaped_form());
    for (auto _ : state)
        floor.black(width);
}
void HalfGrayBlack_velmo(benchmark::State& state) { run_member(state, shaped_form(), "HalfGrayBlack", {}); }
void HalfGrayBlack_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    double width = outer_width(shaped_form());
    for (auto _ : state)
        floor.half_black(width);
}
void GrayBlackDown_velmo(benchmark::State& state) { run_member(state, shaped_form(), "GrayBlackDown", {}); }
void GrayBlackDown_floor(benchmark::State& state)
{
    Floor floor(800, 600);
    double width = outer_width(shaped_form());
    for (auto _ : state)
        floor.black_down(width);
}
BENCHMARK(MidGrayBlack_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(MidGrayBlack_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBuild_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBuild_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBlack_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBlack_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(HalfGrayBlack_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(HalfGrayBlack_floor)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBlackDown_velmo)->Unit(benchmark::kMicrosecond);
BENCHMARK(GrayBlackDown_floor)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace velmo::bench

BENCHMARK_MAIN();
