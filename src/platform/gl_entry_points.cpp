// The optional OpenGL entry points, shared by the window layer (which finds them) and the
// texture code (which uses them).
#include <cstring>

#include "platform/platform.h"

SwapIntervalProc swap_interval_proc = nullptr;
CompressedTexImage2DProc compressed_tex_image_2d_proc = nullptr;
CompressedTexSubImage2DProc compressed_tex_sub_image_2d_proc = nullptr;

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
