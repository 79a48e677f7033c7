#include "runtime/random.h"

#include <bit>
#include <chrono>
#include <mutex>

namespace velmo::host {

namespace {
std::mutex mutex;
uint32_t state = 0x50000;  // the runtime's documented starting seed

// The seed folds the high word of the Double into the middle bits of the state. The low byte is
// reset too (the runtime keeps it), so that one seed always gives one sequence.
void seed_from(double value)
{
    uint32_t high = static_cast<uint32_t>(std::bit_cast<uint64_t>(value) >> 32);
    uint32_t mixed = ((high & 0xFFFF) ^ (high >> 16)) << 8;
    state = mixed & 0xFFFF00u;
}
}  // namespace

void Randomize()
{
    using namespace std::chrono;
    auto now = system_clock::now().time_since_epoch();
    double seconds_today = static_cast<double>(duration_cast<microseconds>(now).count() % 86400000000LL) / 1e6;
    Randomize(seconds_today);
}

void Randomize(double seed)
{
    std::lock_guard lock(mutex);
    seed_from(seed);
}

float Rnd()
{
    std::lock_guard lock(mutex);
    state = (state * 1140671485u + 12820163u) & 0xFFFFFFu;
    return static_cast<float>(state) / 16777216.0f;
}

}  // namespace velmo::host
