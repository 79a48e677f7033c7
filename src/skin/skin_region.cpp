#include "skin/skin_region.h"

#include "automation/late.h"
#include "platform/display.h"
#include "platform/gdi.h"

namespace velmo::skin {

using namespace velmo::platform;

RunMerger::~RunMerger()
{
    for (const Part& part : parts_)
        DeleteObject(part.region);
}

void RunMerger::add(const Run& run)
{
    parts_.push_back({ CreateRectRgn(run.left, run.y, run.right, run.y + 1), 1 });
    while (parts_.size() >= 2 && parts_[parts_.size() - 2].runs == parts_.back().runs)
        unite_top();
}

void RunMerger::unite_top()
{
    Part top = parts_.back();
    parts_.pop_back();
    Part& below = parts_.back();
    CombineRgn(below.region, below.region, top.region, RGN_OR);
    DeleteObject(top.region);
    below.runs += top.runs;
}

HRGN RunMerger::finish()
{
    while (parts_.size() >= 2)
        unite_top();
    HRGN result = parts_.empty() ? 0 : parts_.front().region;
    parts_.clear();
    return result;
}

HRGN skin_region_of(HDC dc, int width, int height)
{
    const ColorValue transparent = GetPixel(dc, 0, 0);
    if (width <= 0 || height <= 0)
        return 0;
    // What GetPixel reads, in the context's coordinates; nothing is readable through a bad context.
    // (GetPixel clamps coordinates far beyond any bitmap; such pixels stay unreadable either way.)
    ReadableImage image;
    if (auto source = reading_source(dc); source && !source->area.is_empty()) {
        image.first = source->bitmap->scanline(source->area.y) + source->area.x;
        image.stride = source->bitmap->width();
        image.area = source->area.translated(-source->origin.x, -source->origin.y);
    }
    // Only region calls run during the scan; they leave the pixels where they are.
    RunMerger merger;
    scan_runs(image, width, height, transparent, [&](const Run& run) { merger.add(run); });
    return merger.finish();
}

HRGN BuildSkinRegion(const ObjectRef& box)
{
    Long dc = late::get(box, "hDC").to_long();
    Long width = late::get(box, "ScaleWidth").to_long();
    Long height = late::get(box, "ScaleHeight").to_long();
    return skin_region_of(static_cast<HDC>(dc.value()), width.value(), height.value());
}

}  // namespace velmo::skin
