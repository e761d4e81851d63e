// create_textures when memory runs out: a clear message, a null result, no texture left behind.
// This executable replaces the global allocation functions so that one chosen size fails.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <new>
#include <string>

#include "assets/assets.h"
#include "offscreen_gl.h"

namespace {

// The allocation size that fails next (once); 0 when none should.
size_t fail_size = 0;

bool should_fail(size_t size) {
    if (fail_size == 0 || size != fail_size) return false;
    fail_size = 0;
    return true;
}

void *allocate(size_t size) {
    if (should_fail(size)) throw std::bad_alloc();
    void *p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

}  // namespace

void *operator new(size_t size) { return allocate(size); }
void *operator new[](size_t size) { return allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept {
    if (should_fail(size)) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
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

struct Case {
    const char *what;
    bool s3tc;
    size_t size;
};

class TexturesOutOfMemory : public ::testing::TestWithParam<Case> {};

TEST_P(TexturesOutOfMemory, ReportsAndReturnsNullWithoutLeftovers) {
    const Case c = GetParam();
    ASSERT_TRUE(test_gl_open(480, 320, c.s3tc));
    testing::internal::CaptureStderr();
    fail_size = c.size;
    TextureSet *set = create_textures();
    const bool failed_as_planned = fail_size == 0;
    fail_size = 0;
    const std::string message = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(failed_as_planned) << c.what << ": no allocation of " << c.size << " bytes";
    EXPECT_EQ(set, nullptr);
    EXPECT_NE(message.find("out of memory"), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line: " << message;
    EXPECT_FALSE(any_texture_in_use());
    if (set != nullptr) release_textures(set);
    test_gl_close();
}

INSTANTIATE_TEST_SUITE_P(
    EachBuffer, TexturesOutOfMemory,
    ::testing::Values(Case{"texture set", true, sizeof(TextureSet)},
                      Case{"background pixels", false, 480 * 320 * 3},
                      Case{"block scratch of the processor decoder", false, 76801},
                      Case{"background blocks", true, 76801},
                      Case{"title", true, 107 * 27 * 4 + 1},
                      Case{"caption", false, 154 * 19 + 1},
                      Case{"tiles", true, 15 * 15 * 2 + 1},
                      Case{"font atlas", true, 128 * 128 + 1}));

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
