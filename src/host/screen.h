// Screen: the host's global screen object: the size of the display in twips and the twips in one
// pixel, which is 15 both ways on this host.
#pragma once

#include "automation/object.h"

namespace velmo::host {

inline constexpr int twips_per_pixel = 15;

class Screen : public Object {
public:
    const ClassInfo& class_info() const override;

    float Width();
    float Height();
    float TwipsPerPixelX();
    float TwipsPerPixelY();
};

/// The Screen object of the calling thread's display.
ObjectRef screen();

}  // namespace velmo::host
