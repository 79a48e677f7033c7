#include "platform/wayland/shm_buffer.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <stdexcept>

namespace velmo::platform::wayland {

namespace {

const wl_buffer_listener release_listener { [](void* data, wl_buffer*) { static_cast<ShmBuffer*>(data)->busy = false; } };

}  // namespace

ShmBuffer::ShmBuffer(wl_shm* shm, gfx::Size size, int stride, uint32_t format)
    : size_(size)
    , stride_(stride)
    , format_(format)
    , bytes_(static_cast<size_t>(stride) * static_cast<size_t>(size.height))
{
    if (size.width <= 0 || size.height <= 0 || stride < size.width * 4)
        throw std::runtime_error("a shared-memory buffer needs a size");
    int fd = memfd_create("velmo-wayland", MFD_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("no shared memory for a Wayland buffer");
    if (ftruncate(fd, static_cast<off_t>(bytes_)) != 0) {
        ::close(fd);
        throw std::runtime_error("no shared memory for a Wayland buffer");
    }
    memory_ = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (memory_ == MAP_FAILED) {
        memory_ = nullptr;
        ::close(fd);
        throw std::runtime_error("no shared memory for a Wayland buffer");
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, static_cast<int32_t>(bytes_));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, size.width, size.height, stride, format);
    wl_buffer_add_listener(buffer_, &release_listener, this);
    // The buffer keeps the pool's memory; neither the pool nor the file is needed any more.
    wl_shm_pool_destroy(pool);
    ::close(fd);
}

ShmBuffer::~ShmBuffer()
{
    if (buffer_)
        wl_buffer_destroy(buffer_);
    if (memory_)
        munmap(memory_, bytes_);
}

}  // namespace velmo::platform::wayland
