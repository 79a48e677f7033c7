// JPEG through libjpeg-turbo, which reads the bitmap's blue, green, red, pad bytes as they are.
#include <cstdio>
#include <csetjmp>

#include <jpeglib.h>

#include "codecs/image_file.h"

namespace velmo::codecs {

namespace {

struct ErrorExit {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void leave(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorExit*>(info->err)->back, 1);
}

}  // namespace

std::vector<uint8_t> encode_jpeg(const gfx::Bitmap& pixels, int quality)
{
    if (pixels.size().is_empty())
        return {};
    jpeg_compress_struct info {};
    ErrorExit error {};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = leave;
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    // Nothing with a destructor lives between here and the jump back.
    if (setjmp(error.back)) {
        jpeg_destroy_compress(&info);
        std::free(memory);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &memory, &size);
    info.image_width = static_cast<JDIMENSION>(pixels.width());
    info.image_height = static_cast<JDIMENSION>(pixels.height());
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    // Screens are full of thin coloured lines and text, which halved colour resolution smears:
    // from quality 90 up the colour keeps every pixel.
    if (quality >= 90) {
        for (int i = 0; i < info.num_components; ++i)
            info.comp_info[i].h_samp_factor = info.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // libjpeg takes rows as non-const, and only reads them.
        auto* row = reinterpret_cast<JSAMPROW>(const_cast<uint32_t*>(pixels.scanline(static_cast<int>(info.next_scanline))));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<uint8_t> bytes(memory, memory + size);
    std::free(memory);
    return bytes;
}

}  // namespace velmo::codecs
