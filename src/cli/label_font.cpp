#include "cli/label_font.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace velmo::cli {

// Loaded straight from its file: going through the font matcher would leave its
// caches behind at exit. Falls back to matching by name when the file is not there.
void select_label_font(cairo_t* cr)
{
    static const cairo_user_data_key_t face_key {};
    static FT_Library library = [] {
        FT_Library lib = nullptr;
        return FT_Init_FreeType(&lib) == 0 ? lib : nullptr;
    }();
    FT_Face face = nullptr;
    if (library && FT_New_Face(library, "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 0, &face) == 0) {
        cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
        // The FreeType face lives as long as cairo keeps the font face.
        cairo_font_face_set_user_data(font, &face_key, face, [](void* f) { FT_Done_Face(static_cast<FT_Face>(f)); });
        cairo_set_font_face(cr, font);
        cairo_font_face_destroy(font);
        return;
    }
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

}  // namespace velmo::cli
