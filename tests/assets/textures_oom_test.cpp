// create_textures when memory runs out: one line on stderr, a null result, no texture left
// behind. This executable replaces the global allocation functions so that one size fails.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <new>
#include <string>

#include "assets/assets.h"
#include "offscreen_gl.h"

namespace {

size_t fail_size = 0;  // the allocation size that fails next (once); 0 when none should

bool should_fail(size_t size) {
    if (fail_size == 0 || size != fail_size) return false;
    fail_size = 0;
    return true;
}

void *allocate(size_t size) {
    void *p = should_fail(size) ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void *operator new(size_t size) { return allocate(size); }
void *operator new[](size_t size) { return allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept {
    return should_fail(size) ? nullptr : std::malloc(size == 0 ? 1 : size);
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p, size_t) noexcept { std::free(p); }

namespace {

// In a fresh context names are handed out from 1, so a failed call must leave none in use.
bool any_texture_in_use() {
    for (GLuint name = 1; name < 64; ++name) {
        if (glIsTexture(name)) return true;
    }
    return false;
}

TEST(TexturesOutOfMemory, EachBufferReportsAndReturnsNullWithoutLeftovers) {
    const struct {
        const char *what;
        bool s3tc;
        size_t size;
    } cases[] = {{"texture set", true, sizeof(TextureSet)},
                 {"background pixels", false, 480 * 320 * 3},
                 {"block scratch of the processor decoder", false, 76801},
                 {"background blocks", true, 76801},
                 {"title", true, 107 * 27 * 4 + 1},
                 {"caption", false, 154 * 19 + 1},
                 {"tiles", true, 15 * 15 * 2 + 1},
                 {"font atlas", true, 128 * 128 + 1}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test_gl_open(480, 320, c.s3tc));
        testing::internal::CaptureStderr();
        fail_size = c.size;
        TextureSet *set = create_textures();
        const bool failed_as_planned = fail_size == 0;
        fail_size = 0;
        const std::string message = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(failed_as_planned) << "no allocation of " << c.size << " bytes";
        EXPECT_EQ(set, nullptr);
        EXPECT_NE(message.find("out of memory"), std::string::npos) << message;
        EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;
        EXPECT_FALSE(any_texture_in_use());
        if (set != nullptr) release_textures(set);
        test_gl_close();
    }
}

// Guards the leftover check itself: a successful call is seen, and its release undoes it.
TEST(TexturesOutOfMemory, WorksAgainOnceMemoryIsBack) {
    ASSERT_TRUE(test_gl_open());
    TextureSet *set = create_textures();
    ASSERT_NE(set, nullptr);
    EXPECT_TRUE(any_texture_in_use());
    release_textures(set);
    EXPECT_FALSE(any_texture_in_use());
    test_gl_close();
}

}  // namespace
