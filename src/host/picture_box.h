// PictureBox: a child window of a form, measured in its form's scale units. New picture boxes
// are visible, with a one-pixel-style sunken border two pixels wide, in ScaleMode twips.
#pragma once

#include <memory>

#include "host/surface.h"

namespace velmo::host {

class Form;

class PictureBox : public Surface {
public:
    /// A picture box whose client area is that many pixels, on `parent`, or on a hidden form of
    /// its own when none is given. The box keeps its form alive.
    static std::shared_ptr<PictureBox> create(int width_px, int height_px, std::shared_ptr<Form> parent = nullptr);

    const ClassInfo& class_info() const override;
    const std::shared_ptr<Form>& parent() const { return parent_; }

    float get_Width() override;
    void let_Width(float value) override;
    float get_Height() override;
    void let_Height(float value) override;
    float get_Left() override;
    void let_Left(float value) override;
    float get_Top() override;
    void let_Top(float value) override;
    void let_BorderStyle(Integer value) override;

    Boolean get_AutoSize();
    void let_AutoSize(Boolean value);

private:
    PictureBox() = default;
    void picture_changed() override;
    void fit_picture();
    void move_to(gfx::Rect outer);

    std::shared_ptr<Form> parent_;
    bool auto_size_ = false;
};

}  // namespace velmo::host
