// Pen: how a line, an outline or a circle is stroked. The styles are the host's DrawStyle values;
// the raster operations are the sixteen binary ones of the host's DrawMode (13 copies the pen).
#pragma once

#include <cstdint>

#include "gfx/color.h"

namespace velmo::gfx {

enum class LineStyle : uint8_t { Solid = 0, Dash, Dot, DashDot, DashDotDot, Transparent, InsideSolid };

// Codes 1..16 as DrawMode numbers them: code - 1 is a truth table over (pen bit, destination bit).
enum class RasterOp : uint8_t {
    Black = 1, NotMergePen, MaskNotPen, NotCopyPen, MaskPenNot, Not, XorPen, NotMaskPen,
    MaskPen, NotXorPen, Nop, MergeNotPen, CopyPen, MergePenNot, MergePen, White,
};

// The result of `op` for a pen word and a destination word, bit by bit.
constexpr uint32_t apply(RasterOp op, uint32_t pen, uint32_t destination)
{
    uint32_t table = static_cast<uint32_t>(op) - 1;
    auto when = [&](int bit) -> uint32_t { return (table >> bit) & 1 ? 0xFFFFFFFFu : 0u; };
    return (when(0) & ~pen & ~destination) | (when(1) & ~pen & destination) | (when(2) & pen & ~destination)
        | (when(3) & pen & destination);
}

struct Pen {
    Color color;
    int width = 1;
    LineStyle style = LineStyle::Solid;
    RasterOp op = RasterOp::CopyPen;
};

}  // namespace velmo::gfx
