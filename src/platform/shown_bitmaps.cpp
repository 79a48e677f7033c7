// Bitmaps shown in windows' client areas (a persistent image put on its window), copied there only
// when the windows or the screen are next looked at. A frame loop that overwrites its bitmap whole
// and shows it, frame after frame, then swaps two storages instead of copying.
#include "platform/display_state.h"

#include <algorithm>

#include "platform/memory_backend.h"

namespace velmo::platform {

void Display::show_bitmap(HWND handle, HBITMAP bitmap_handle)
{
    // A later show replaces a waiting one of the same bitmap: it covers the same area.
    for (auto it = waiting_shows_.begin(); it != waiting_shows_.end(); ++it) {
        if (it->window == handle && it->bitmap == bitmap_handle) {
            if (it->kept)
                spare_storage_ = std::move(it->kept);
            waiting_shows_.erase(it);
            break;
        }
    }
    // Anything else waiting was shown earlier and must land underneath.
    settle();
    bitmap_pixels(bitmap_handle);  // a blank bitmap is blackened now, while it is what was shown
    waiting_shows_.push_back({ handle, bitmap_handle, std::nullopt });
    // A real display shows windows as they are drawn: nothing waits there. The backend hears of
    // the pixels when they are copied.
    if (!dynamic_cast<MemoryBackend*>(backend_.get()))
        settle();
    changed();
}

void Display::copy_shown(WaitingShow& show)
{
    Window* w = window(show.window);
    const gfx::Bitmap* from = show.kept ? &*show.kept : bitmap_pixels(show.bitmap);
    if (!w || !from)
        return;
    gfx::Rect client = w->client_rect();
    gfx::Rect area = gfx::Rect { 0, 0, client.width, client.height }.intersected(from->rect());
    w->pixels.copy_from(*from, area, client.location());
    backend_->window_damaged(*w);
}

void Display::settle()
{
    if (waiting_shows_.empty())
        return;
    // Taken out first: copying looks windows up, and nothing it does may settle again.
    std::vector<WaitingShow> waiting = std::move(waiting_shows_);
    waiting_shows_.clear();
    for (auto& show : waiting) {
        copy_shown(show);
        if (show.kept)
            spare_storage_ = std::move(show.kept);
    }
}

void Display::before_write(HBITMAP bitmap_handle, Overwrite overwrite)
{
    auto waits = [&](const WaitingShow& show) { return show.bitmap == bitmap_handle && !show.kept; };
    auto it = std::find_if(waiting_shows_.begin(), waiting_shows_.end(), waits);
    if (it == waiting_shows_.end())
        return;
    if (overwrite == Overwrite::Part) {
        settle();  // in order: a show of another bitmap may lie under this one
        return;
    }
    // The same object keeps standing for the bitmap; only the pixel storage behind it changes.
    auto& storage = const_cast<gfx::Bitmap&>(*bitmap_pixels(bitmap_handle));
    gfx::Size size = storage.size();
    gfx::Bitmap fresh = spare_storage_ && spare_storage_->size() == size ? std::move(*spare_storage_) : gfx::Bitmap(size);
    spare_storage_.reset();
    it->kept = std::move(storage);
    storage = std::move(fresh);
}

bool show_bitmap(HWND window, HDC memory_dc)
{
    auto& d = display();
    auto* context = d.dc(memory_dc);
    if (!d.window(window) || !context || context->kind != DeviceContext::Kind::Memory || !d.bitmap(context->bitmap))
        return false;
    d.show_bitmap(window, context->bitmap);
    return true;
}

}  // namespace velmo::platform
