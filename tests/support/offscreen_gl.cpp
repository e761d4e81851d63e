// The offscreen context: OSMesa renders into a buffer this file owns.
#include "offscreen_gl.h"

#include <GL/osmesa.h>

#include <cstdio>
#include <memory>

#include "assets/assets.h"
#include "platform/platform.h"

namespace {

// The one open context; tests run on one thread and open one context at a time.
struct OffscreenContext {
    OSMesaContext context = nullptr;
    std::vector<uint8_t> buffer;
    int width = 0;
    int height = 0;
};

OffscreenContext &current() {
    static OffscreenContext ctx;
    return ctx;
}

}  // namespace

bool test_gl_open(int width, int height, bool s3tc) {
    test_gl_close();
    if (width <= 0 || height <= 0) {
        std::fprintf(stderr, "test_gl_open: bad size %dx%d\n", width, height);
        return false;
    }
    const int attribs[] = {OSMESA_FORMAT, OSMESA_RGBA, OSMESA_DEPTH_BITS, 0,
                           OSMESA_STENCIL_BITS, 0, OSMESA_ACCUM_BITS, 0,
                           OSMESA_PROFILE, OSMESA_COMPAT_PROFILE, 0};
    OffscreenContext &ctx = current();
    ctx.context = OSMesaCreateContextAttribs(attribs, nullptr);
    if (ctx.context == nullptr) {
        std::fprintf(stderr, "test_gl_open: OSMesa could not create a context\n");
        return false;
    }
    ctx.buffer.assign(size_t(width) * size_t(height) * 4, 0);
    if (!OSMesaMakeCurrent(ctx.context, ctx.buffer.data(), GL_UNSIGNED_BYTE, width, height)) {
        std::fprintf(stderr, "test_gl_open: OSMesa could not make the context current\n");
        test_gl_close();
        return false;
    }
    ctx.width = width;
    ctx.height = height;
    const char *extensions = reinterpret_cast<const char *>(glGetString(GL_EXTENSIONS));
    platform_find_s3tc(s3tc ? extensions : nullptr, test_gl_proc);
    return true;
}

void test_gl_close() {
    OffscreenContext &ctx = current();
    compressed_tex_image_2d_proc = nullptr;
    compressed_tex_sub_image_2d_proc = nullptr;
    if (ctx.context != nullptr) {
        OSMesaMakeCurrent(nullptr, nullptr, GL_UNSIGNED_BYTE, 0, 0);
        OSMesaDestroyContext(ctx.context);
    }
    ctx = OffscreenContext{};
}

std::vector<uint8_t> test_gl_read_rgba() {
    const OffscreenContext &ctx = current();
    if (ctx.context == nullptr) return {};
    std::vector<uint8_t> pixels(size_t(ctx.width) * size_t(ctx.height) * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, ctx.width, ctx.height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

int test_gl_width() {
    return current().width;
}

int test_gl_height() {
    return current().height;
}

void *test_gl_proc(const char *name) {
    return reinterpret_cast<void *>(OSMesaGetProcAddress(name));
}
