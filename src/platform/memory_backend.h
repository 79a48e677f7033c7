// MemoryBackend: the embedded display. The screen is a bitmap composed lazily from the scene: only
// when the display reports a new generation, and then once for all reads that follow. It has no
// input of its own (tests and commands inject it through input.h); waiting sleeps on an eventfd,
// so wake() is safe from any thread and from a signal handler, and a signal ends the wait early.
#pragma once

#include <atomic>

#include "platform/display_backend.h"

namespace velmo::platform {

class MemoryBackend final : public DisplayBackend {
public:
    MemoryBackend(gfx::Size screen_size, int bits_per_pixel);
    ~MemoryBackend() override;
    MemoryBackend(const MemoryBackend&) = delete;
    MemoryBackend& operator=(const MemoryBackend&) = delete;

    gfx::Size screen_size() const override { return screen_.size(); }
    int bits_per_pixel() const override { return bits_per_pixel_; }
    const gfx::Bitmap& screen(uint64_t generation, const std::function<std::vector<SceneLayer>()>& scene) override;
    // Input is injected into the display and goes to its own windows anyway: the topmost window
    // covering the screen already gets all of it.
    bool hold_screen(const Window&) override { return true; }
    gfx::Point cursor_position() const override { return cursor_; }
    bool set_cursor_position(gfx::Point position) override
    {
        cursor_ = position;
        return true;
    }

    void wait_for_events(Deadline deadline) override;
    void wake() override;

    // How many times the screen was composed; lets tests see that reads do not compose.
    uint64_t compositions() const { return compositions_; }

private:
    gfx::Bitmap screen_;
    int bits_per_pixel_;
    bool composed_ = false;
    uint64_t generation_ = 0;
    uint64_t compositions_ = 0;
    gfx::Point cursor_;
    int wake_fd_ = -1;
    // Set by wake() before it writes the eventfd, so a wait that must not block skips the poll
    // when nothing woke it: the message pump asks that once per drawing step.
    std::atomic<bool> woken_ { false };
};

}  // namespace velmo::platform
