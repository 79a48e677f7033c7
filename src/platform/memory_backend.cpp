#include "platform/memory_backend.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace velmo::platform {

MemoryBackend::MemoryBackend(gfx::Size screen_size, int bits_per_pixel)
    : screen_(screen_size)
    , bits_per_pixel_(bits_per_pixel)
    , wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

MemoryBackend::~MemoryBackend()
{
    if (wake_fd_ >= 0)
        close(wake_fd_);
}

const gfx::Bitmap& MemoryBackend::screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene)
{
    if (composed_ && generation == generation_)
        return screen_;
    compose(screen_, scene());
    composed_ = true;
    generation_ = generation;
    ++compositions_;
    return screen_;
}

void MemoryBackend::wait_for_events(Deadline deadline)
{
    int timeout = -1;
    if (deadline) {
        auto left = *deadline - std::chrono::steady_clock::now();
        if (left <= left.zero())
            timeout = 0;
        else  // rounded up, so the wait never ends before a timer is due
            timeout = static_cast<int>(std::min<int64_t>(std::chrono::ceil<std::chrono::milliseconds>(left).count(), 1 << 30));
    }
    if (wake_fd_ < 0) {
        if (timeout > 0)
            usleep(static_cast<useconds_t>(std::min(timeout, 1000)) * 1000);
        return;
    }
    if (timeout == 0 && !woken_.load(std::memory_order_acquire))
        return;
    woken_.store(false, std::memory_order_release);
    pollfd fd { wake_fd_, POLLIN, 0 };
    if (poll(&fd, 1, timeout) > 0) {
        uint64_t count;
        [[maybe_unused]] auto n = read(wake_fd_, &count, sizeof count);
    }
}

void MemoryBackend::wake()
{
    if (wake_fd_ < 0)
        return;
    woken_.store(true, std::memory_order_release);
    uint64_t one = 1;
    [[maybe_unused]] auto n = write(wake_fd_, &one, sizeof one);
}

}  // namespace velmo::platform
