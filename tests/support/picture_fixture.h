// Picture fixtures: one tiny test picture as a BMP, GIF, JPEG or PNG file, built in memory, for
// the loader's tests and as the seeds of its fuzz target.
//
// The picture: picture_width x picture_height pixels, the left half red, the right half blue and
// the bottom row green.
#pragma once

#include <cstdint>
#include <vector>

namespace velmo::fixture {

inline constexpr int picture_width = 6;
inline constexpr int picture_height = 4;

// The colour of a pixel of the test picture, as a colour value (red in the low byte).
int32_t picture_color(int x, int y);

enum class PictureFormat { Bmp, Gif, Jpeg, Png };
inline constexpr PictureFormat picture_formats[] = { PictureFormat::Bmp, PictureFormat::Gif, PictureFormat::Jpeg, PictureFormat::Png };

// The whole file. JPEG is lossy: its pixels come back near the colours, not on them.
std::vector<uint8_t> picture_file(PictureFormat format);

}  // namespace velmo::fixture
