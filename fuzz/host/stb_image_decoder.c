/* stb's image decoder compiled into the fuzz target, so that it is instrumented with the loader;
   its definitions take the place of the shared library's. */
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
