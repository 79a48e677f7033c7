// Animations written frame by frame: animated WebP (lossless) and GIF. Frames are top-down rows
// of 0x00RRGGBB words, all of the size given when the writer was made.
//
// The writers write to an AtomicFile's path; errors (a file that cannot be written, an encoder
// failure) are its error 75, naming the file the user asked for. The caller commits the file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "codecs/atomic_file.h"

namespace velmo::codecs {

class AnimationWriter {
public:
    virtual ~AnimationWriter() = default;
    virtual void add_frame(std::span<const uint32_t> pixels) = 0;
    // Completes the file; nothing may be added after it.
    virtual void finish() = 0;
};

// Every frame shows for `frame_ms` milliseconds; the animation loops. Lossless; each frame after
// the first is the rectangle that changed, its unchanged pixels see-through, and goes to the file
// as it comes. Memory: the canvas (4 bytes a pixel) and one frame's encoding, which for the first,
// whole frame libwebp puts at about 9 bytes a pixel for flat drawings, up to about 24 for noise.
std::unique_ptr<AnimationWriter> make_webp_writer(const AtomicFile& file, int width, int height, int frame_ms);

// One global palette: the first frame's colours with black and white when they fit in 255,
// otherwise a fixed 6 x 7 x 6 colour cube. Each later frame stores only the rectangle that
// changed, its unchanged pixels transparent. The delay is in hundredths of a second. Memory: the
// previous frame (4 bytes a pixel) and one frame's indexes and codes (about 2 bytes a pixel).
std::unique_ptr<AnimationWriter> make_gif_writer(const AtomicFile& file, int width, int height, int delay_cs);

}  // namespace velmo::codecs
