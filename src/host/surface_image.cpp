// The persistent image that AutoRedraw draws into, the background (BackColor, Picture) painted
// under it, and Refresh and Cls.
#include "host/surface.h"

#include <algorithm>

#include "platform/display.h"
#include "platform/gdi.h"
#include "platform/user.h"

namespace velmo::host {

using namespace velmo::platform;

Boolean Surface::get_AutoRedraw() { return Boolean::from(auto_redraw_); }

void Surface::let_AutoRedraw(Boolean value)
{
    bool on = value.raw != 0;
    if (on && !auto_redraw_)
        image();
    auto_redraw_ = on;
}

Long Surface::get_BackColor() { return back_color_value_; }

void Surface::let_BackColor(Long value)
{
    back_color_value_ = value;
    back_color_ = color_of(value);
    set_window_background(window_, back_color_);
    repaint_background();
}

Long Surface::get_hDC()
{
    if (auto_redraw_)
        return Long(static_cast<int32_t>(image().dc.get()));
    return Long(static_cast<int32_t>(GetDC(window_)));
}

Surface::Image& Surface::image()
{
    if (image_)
        return *image_;
    Image made;
    ScopedWindowDC screen(GetDC(0), 0);
    made.dc = ScopedMemoryDC(CreateCompatibleDC(screen.get()));
    made.bitmap = ScopedGdiObject(CreateCompatibleBitmap(screen.get(), std::max(1, client_width()), std::max(1, client_height())));
    made.selection.emplace(made.dc.get(), made.bitmap.get());
    made.picture = std::make_shared<Picture>(made.bitmap.get(), 0, Picture::Ownership::Borrows);
    image_ = std::move(made);
    paint_background_into(image_->dc.get());
    return *image_;
}

ObjectRef Surface::get_Image() { return image().picture; }

void Surface::paint_background_into(HDC dc)
{
    auto target = drawing_target(dc);
    if (!target)
        return;
    target->bitmap->fill(target->clip, back_color_);
    if (picture_ && picture_->bitmap()) {
        ScopedMemoryDC source(CreateCompatibleDC(dc));
        ScopedSelection selected(source.get(), picture_->bitmap());
        gfx::Size size = picture_->pixel_size();
        // The picture's bitmap may be selected elsewhere; then its pixels are read in place.
        if (selected.selected())
            BitBlt(dc, 0, 0, size.width, size.height, source.get(), 0, 0, SRCCOPY);
        else if (auto* pixels = bitmap_pixels(picture_->bitmap()))
            target->bitmap->copy_from(*pixels, pixels->rect(), target->origin);
    }
    if (target->shows_on_screen)
        screen_changed(target->window);
}

void Surface::repaint_background()
{
    if (image_)
        paint_background_into(image_->dc.get());
    ScopedWindowDC client(GetDC(window_), window_);
    paint_background_into(client.get());
}

void Surface::present()
{
    if (!auto_redraw_ || !image_)
        return;
    show_bitmap(window_, image_->dc.get());
}

void Surface::Refresh()
{
    if (auto_redraw_) {
        present();
        return;
    }
    // Without AutoRedraw a repaint shows the background: the persistent image if there is one.
    if (image_) {
        ScopedWindowDC client(GetDC(window_), window_);
        BitBlt(client.get(), 0, 0, client_width(), client_height(), image_->dc.get(), 0, 0, SRCCOPY);
    } else {
        ScopedWindowDC client(GetDC(window_), window_);
        paint_background_into(client.get());
    }
}

void Surface::Cls()
{
    if (auto_redraw_) {
        paint_background_into(image().dc.get());
        InvalidateRect(window_, nullptr, 0);
    } else {
        Refresh();
    }
    current_x_ = scale_.left;
    current_y_ = scale_.top;
}

// ---- Picture --------------------------------------------------------------------------------

ObjectRef Surface::get_Picture()
{
    if (!picture_)
        return Picture::empty();
    return picture_;
}

void Surface::set_Picture(ObjectRef value)
{
    std::shared_ptr<Picture> picture;
    if (value) {
        picture = std::dynamic_pointer_cast<Picture>(value);
        if (!picture)
            raise(err::TypeMismatch);
    }
    picture_ = picture && picture->bitmap() ? picture : nullptr;
    picture_changed();
    repaint_background();
}

void Surface::let_Picture(Variant value) { set_Picture(value.to_object()); }

void Surface::client_resized()
{
    if (scale_.mode != ScaleUnit::User)
        let_ScaleMode(static_cast<int16_t>(scale_.mode));
    if (!image_)
        return;
    // A new image of the new size: the background first, then what the old one held.
    Image old = std::move(*image_);
    image_.reset();
    Image& fresh = image();
    BitBlt(fresh.dc.get(), 0, 0, client_width(), client_height(), old.dc.get(), 0, 0, SRCCOPY);
}

}  // namespace velmo::host
