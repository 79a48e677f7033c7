#include "platform/wayland/kept_pixels.h"

#include <cstdlib>
#include <mutex>
#include <new>
#include <vector>

namespace velmo::platform::wayland {

namespace {

// Two are enough for a capture held while the next one is taken.
constexpr size_t kept_blocks = 2;

struct FreeBlock {
    void operator()(uint32_t* words) const { std::free(words); }
};
using Block = std::unique_ptr<uint32_t, FreeBlock>;

}  // namespace

// Shared with the lent blocks, which may outlive the display (a picture kept after it closed), and
// locked, since a bitmap may go on another thread than the one that read it.
struct KeptPixels::Shelf {
    struct Kept {
        size_t count;
        Block block;
    };
    std::mutex lock;
    bool open = true;
    std::vector<Kept> blocks;  // most recently returned last
};

namespace {

class LentBlock final : public gfx::PixelStorage {
public:
    LentBlock(std::shared_ptr<KeptPixels::Shelf> shelf, size_t count, Block block)
        : shelf_(std::move(shelf))
        , count_(count)
        , block_(std::move(block))
    {
    }
    ~LentBlock() override
    {
        std::lock_guard hold(shelf_->lock);
        if (!shelf_->open)
            return;
        if (shelf_->blocks.size() >= kept_blocks)
            shelf_->blocks.erase(shelf_->blocks.begin());
        shelf_->blocks.push_back({ count_, std::move(block_) });
    }
    uint32_t* data() override { return block_.get(); }

private:
    std::shared_ptr<KeptPixels::Shelf> shelf_;
    size_t count_;
    Block block_;
};

}  // namespace

KeptPixels::KeptPixels()
    : shelf_(std::make_shared<Shelf>())
{
}

KeptPixels::~KeptPixels()
{
    std::lock_guard hold(shelf_->lock);
    shelf_->open = false;
    shelf_->blocks.clear();
}

gfx::Bitmap KeptPixels::take(gfx::Size size)
{
    if (size.is_empty())
        return gfx::Bitmap(size);
    size_t count = size_t(size.width) * size_t(size.height);
    Block block;
    {
        std::lock_guard hold(shelf_->lock);
        auto& blocks = shelf_->blocks;
        for (auto it = blocks.rbegin(); it != blocks.rend(); ++it)
            if (it->count == count) {
                block = std::move(it->block);
                blocks.erase(std::next(it).base());
                break;
            }
    }
    if (!block) {
        block.reset(static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t))));
        if (!block)
            throw std::bad_alloc();
    }
    return gfx::Bitmap(size, std::make_unique<LentBlock>(shelf_, count, std::move(block)));
}

}  // namespace velmo::platform::wayland
