// BuildSkinRegion (module basKxLumoUIFormSkinA): the window region of a skin. Every pixel of the
// picture box's image whose colour differs from that of its top-left pixel lies inside the region;
// the region is built from one rectangle per run of such pixels in a row (run_scan.h).
#pragma once

#include <span>

#include "automation/object.h"
#include "platform/types.h"
#include "skin/run_scan.h"

namespace velmo::skin {

// Reads the box's hDC, then ScaleWidth and ScaleHeight (pixels; rounded half to even), and
// returns the region, or 0 when no pixel differs from the top-left one. The caller owns the
// region. Unguarded: an error reading the box reaches the caller.
//
// The pixels are read in bulk through the device context, and give the same region as reading
// them one by one with GetPixel, pixels the context cannot read included.
platform::HRGN BuildSkinRegion(const ObjectRef& box);

// The scan without the box: the region of the pixels a device context reads, over the given
// width and height, with the transparent colour read at (0, 0).
platform::HRGN skin_region_of(platform::HDC dc, int width, int height);

// Merges runs into one region: the first run's rectangle becomes the result, every later one is
// united into it with CombineRgn and deleted. Merging in pairs of equal size (as a binary
// counter counts) unites regions of similar size, so the work grows as n log n rather than n^2
// while the rectangles, the union calls and the final region stay those of a run-by-run merge.
class RunMerger {
public:
    RunMerger() = default;
    RunMerger(const RunMerger&) = delete;
    RunMerger& operator=(const RunMerger&) = delete;
    ~RunMerger();

    void add(const Run& run);
    // The result region (0 when no run was added); the merger gives up ownership.
    platform::HRGN finish();

private:
    struct Part {
        platform::HRGN region = 0;
        size_t runs = 0;
    };
    void unite_top();
    std::vector<Part> parts_;  // the first run's region at the bottom; sizes fall towards the top
};

}  // namespace velmo::skin
