// The cost of one call made by a Python script: tags.GetTagName(274) late-bound through the velmo
// module, next to a plain pybind11 function taking the same int and returning the same str, and
// next to the loop alone. Each iteration runs a compiled loop of calls in an embedded interpreter,
// so the figures include the interpreter's own call path, as a script pays it.
#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include "exif/catalogue.h"

namespace py = pybind11;

PYBIND11_EMBEDDED_MODULE(velmo_bench_peer, m)
{
    m.def("tag_name", [](int32_t id) { return velmo::exif::tag_name(id); });
}

namespace {

constexpr int calls_per_iteration = 1000;

void run_loop(benchmark::State& state, const char* body)
{
    py::dict globals;
    globals["__builtins__"] = py::module_::import("builtins");
    py::exec(std::string("import sys\nsys.path.insert(0, '") + VELMO_PYTHON_MODULE_DIR + "')\n"
                 "import velmo, velmo_bench_peer\n"
                 "tags = velmo.Dispatch('Velmo10.clsKxLumoJPGTagsA')\n"
                 "tag_name = velmo_bench_peer.tag_name\n"
                 "assert tags.GetTagName(274) == tag_name(274) == 'Orientation'\n"
                 "def loop():\n"
                 "    for _ in range(" + std::to_string(calls_per_iteration) + "):\n"
                 "        " + body + "\n",
        globals);
    py::function loop = globals["loop"];
    for (auto _ : state)
        loop();
    state.SetItemsProcessed(state.iterations() * calls_per_iteration);
}

void BM_LoopAlone(benchmark::State& state) { run_loop(state, "pass"); }
void BM_PlainPybind11Function(benchmark::State& state) { run_loop(state, "tag_name(274)"); }
void BM_LateBoundGetTagName(benchmark::State& state) { run_loop(state, "tags.GetTagName(274)"); }
void BM_LateBoundGetTagNameByKeyword(benchmark::State& state) { run_loop(state, "tags.GetTagName(lID=274)"); }

BENCHMARK(BM_LoopAlone);
BENCHMARK(BM_PlainPybind11Function);
BENCHMARK(BM_LateBoundGetTagName);
BENCHMARK(BM_LateBoundGetTagNameByKeyword);

}  // namespace

int main(int argc, char** argv)
{
    py::scoped_interpreter interpreter;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
