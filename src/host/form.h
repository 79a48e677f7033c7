// Form: a top-level window of the host, measured in twips (15 per pixel) on the screen. New forms
// are hidden, sizable, with a caption, white, in ScaleMode twips.
#pragma once

#include <memory>
#include <string>

#include "host/surface.h"

namespace velmo::host {

class Form : public Surface {
public:
    /// A hidden form whose client area is that many pixels.
    static std::shared_ptr<Form> create(int client_width_px, int client_height_px);

    const ClassInfo& class_info() const override;

    float get_Width() override;
    void let_Width(float value) override;
    float get_Height() override;
    void let_Height(float value) override;
    float get_Left() override;
    void let_Left(float value) override;
    float get_Top() override;
    void let_Top(float value) override;
    void let_BorderStyle(Integer value) override;

    Integer get_WindowState();
    void let_WindowState(Integer value);
    std::string get_Caption();
    void let_Caption(std::string value);
    void Show(Variant modal, Variant owner);

private:
    Form() = default;
    void move_to(gfx::Rect outer);

    int16_t window_state_ = 0;
    gfx::Rect restored_;  // the rectangle to come back to from maximised
};

}  // namespace velmo::host
