// The optional OpenGL entry points that every window layer looks up: the swap interval, which
// the program uses, and the compressed-texture uploads, which the textures use.
#include <cstring>

#include "assets/assets.h"
#include "platform/platform.h"

SwapIntervalProc swap_interval_proc = nullptr;

void platform_find_s3tc(const char *extensions, void *(*lookup)(const char *name)) {
    compressed_tex_image_2d_proc = nullptr;
    compressed_tex_sub_image_2d_proc = nullptr;
    // A plain substring test: the name counts even as the start of a longer one.
    if (extensions == nullptr || std::strstr(extensions, "GL_EXT_texture_compression_s3tc") == nullptr) {
        return;
    }
    compressed_tex_sub_image_2d_proc =
        reinterpret_cast<CompressedTexSubImage2DProc>(lookup("glCompressedTexSubImage2D"));
    compressed_tex_image_2d_proc =
        reinterpret_cast<CompressedTexImage2DProc>(lookup("glCompressedTexImage2D"));
}
