// ShmBuffer: a wl_buffer over shared memory this process maps too, so pixels go to and come from
// the compositor without a copy on the way. Owns the memory file, the mapping, the pool and the
// buffer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gfx/size.h"

struct wl_shm;
struct wl_buffer;

namespace velmo::platform::wayland {

class ShmBuffer {
public:
    // `format` is a wl_shm format; throws std::runtime_error when memory cannot be had.
    ShmBuffer(wl_shm* shm, gfx::Size size, int stride, uint32_t format);
    ~ShmBuffer();
    ShmBuffer(const ShmBuffer&) = delete;
    ShmBuffer& operator=(const ShmBuffer&) = delete;

    wl_buffer* buffer() const { return buffer_; }
    gfx::Size size() const { return size_; }
    int stride() const { return stride_; }
    uint32_t format() const { return format_; }
    uint8_t* data() const { return static_cast<uint8_t*>(memory_); }
    const uint32_t* row(int y) const { return reinterpret_cast<const uint32_t*>(data() + static_cast<size_t>(y) * stride_); }
    uint32_t* row(int y) { return reinterpret_cast<uint32_t*>(data() + static_cast<size_t>(y) * stride_); }

    // The compositor is reading the buffer until it releases it; drawing waits for that.
    bool busy = false;

private:
    gfx::Size size_;
    int stride_ = 0;
    uint32_t format_ = 0;
    size_t bytes_ = 0;
    void* memory_ = nullptr;
    wl_buffer* buffer_ = nullptr;
};

}  // namespace velmo::platform::wayland
