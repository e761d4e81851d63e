// The texture catalogue in a real Mesa context, with the real embedded pictures: the render
// state it leaves, every texture's size, format and content on both background paths, and
// the release.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <array>
#include <cstdlib>
#include <set>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "offscreen_gl.h"
#include "platform/platform.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Expected {
    int index;
    int width, height;
    GLint internal_format;
};

// Sizes and formats of the textures after the four backgrounds.
constexpr std::array<Expected, 5> PICTURE_TEXTURES{{
    {TEX_TITLE, 128, 32, GL_RGBA},
    {TEX_CAPTION, 256, 32, GL_ALPHA},
    {TEX_TILES, 128, 16, GL_LUMINANCE_ALPHA},
    {TEX_FONT_TEXT, 128, 128, GL_ALPHA},
    {TEX_FONT_SCORE, 128, 128, GL_ALPHA},
}};

GLint level_parameter(GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

GLint texture_parameter(GLenum name) {
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

// The whole level 0 of the bound texture, bottom row first.
Bytes read_texture(GLenum format, int channels) {
    Bytes texels(size_t(level_parameter(GL_TEXTURE_WIDTH)) * size_t(level_parameter(GL_TEXTURE_HEIGHT)) *
                 size_t(channels));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

// The lower-left width by height texels of a texture read with read_texture.
Bytes crop(const Bytes &texels, int texture_width, int width, int height, int channels, int x0 = 0) {
    Bytes out;
    for (int y = 0; y < height; ++y) {
        const auto row = texels.begin() + (ptrdiff_t(y) * texture_width + x0) * channels;
        out.insert(out.end(), row, row + ptrdiff_t(width) * channels);
    }
    return out;
}

Bytes decode(const EncodedImage &image, int bytes) {
    Bytes out(size_t(bytes) + 1);
    decode_text6(&image, out.data());
    out.resize(size_t(bytes));
    return out;
}

Bytes decode_background(int i) {
    Bytes rgb(460800);
    decode_dxt1_image(rgb.data(), &IMAGE_BACKGROUNDS[i]);
    return rgb;
}

// Runs each test with the driver's compression entry points (true) and without (false).
class Textures : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(480, 320, GetParam()));
        set_ = create_textures();
        ASSERT_NE(set_, nullptr);
    }
    void TearDown() override {
        if (set_ != nullptr) release_textures(set_);
        test_gl_close();
    }
    void bind(int index) { glBindTexture(GL_TEXTURE_2D, set_->names[index]); }
    TextureSet *set_ = nullptr;
};

TEST_P(Textures, LeavesTheFixedRenderState) {
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_SCISSOR_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint value = 0;
    glGetIntegerv(GL_BLEND_SRC, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    std::array<GLint, 4> box{};
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    EXPECT_EQ(box, (std::array<GLint, 4>{300, 10, 150, 300}));
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(GLuint(value), set_->names[TEX_FONT_SCORE]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(value, GL_MODULATE);

    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    const std::array<GLfloat, 16> ortho{2.0f / 480, 0, 0, 0, 0, 2.0f / 320, 0, 0,
                                        0, 0, -2.0f / 10, 0, -1, -1, -1, 1};
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], ortho[i]) << "projection element " << i;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "modelview " << i;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_P(Textures, NineDistinctTexturesWithTheirSizesFormatsAndParameters) {
    std::set<uint32_t> names(std::begin(set_->names), std::end(set_->names));
    EXPECT_EQ(names.size(), size_t(TEX_COUNT));
    EXPECT_EQ(names.count(0), 0u);
    for (int i = 0; i < TEX_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(glIsTexture(set_->names[i]));
        bind(i);
        EXPECT_EQ(texture_parameter(GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(texture_parameter(GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_S), GL_CLAMP);
        EXPECT_EQ(texture_parameter(GL_TEXTURE_WRAP_T), GL_CLAMP);
    }
    const GLint background_format = GetParam() ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGB;
    for (int i = TEX_BACKGROUND_0; i <= TEX_BACKGROUND_3; ++i) {
        SCOPED_TRACE(i);
        bind(i);
        EXPECT_EQ(level_parameter(GL_TEXTURE_WIDTH), 512);
        EXPECT_EQ(level_parameter(GL_TEXTURE_HEIGHT), 512);
        EXPECT_EQ(level_parameter(GL_TEXTURE_INTERNAL_FORMAT), background_format);
        EXPECT_EQ(level_parameter(GL_TEXTURE_COMPRESSED), GetParam() ? GL_TRUE : GL_FALSE);
    }
    for (const Expected &e : PICTURE_TEXTURES) {
        SCOPED_TRACE(e.index);
        bind(e.index);
        EXPECT_EQ(level_parameter(GL_TEXTURE_WIDTH), e.width);
        EXPECT_EQ(level_parameter(GL_TEXTURE_HEIGHT), e.height);
        EXPECT_EQ(level_parameter(GL_TEXTURE_INTERNAL_FORMAT), e.internal_format);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_P(Textures, PicturesSitAtTheOriginOfTheirTextures) {
    bind(TEX_TITLE);
    EXPECT_EQ(crop(read_texture(GL_RGBA, 4), 128, 107, 27, 4), decode(IMAGE_TITLE, 107 * 27 * 4));
    bind(TEX_CAPTION);
    EXPECT_EQ(crop(read_texture(GL_ALPHA, 1), 256, 154, 19, 1), decode(IMAGE_CAPTION, 154 * 19));
    bind(TEX_TILES);
    const Bytes tiles = read_texture(GL_LUMINANCE_ALPHA, 2);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(crop(tiles, 128, 15, 15, 2, 16 * k), decode(IMAGE_TILES[k], 15 * 15 * 2)) << "tile " << k;
    }
    bind(TEX_FONT_TEXT);
    EXPECT_EQ(read_texture(GL_ALPHA, 1), decode(font_text.atlas, 128 * 128));
    bind(TEX_FONT_SCORE);
    EXPECT_EQ(read_texture(GL_ALPHA, 1), decode(font_score.atlas, 128 * 128));
}

TEST_P(Textures, BackgroundsMatchTheProcessorDecodeWithinTheDriversWidening) {
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        bind(TEX_BACKGROUND_0 + i);
        const Bytes texels = crop(read_texture(GL_RGB, 3), 512, 480, 320, 3);
        const Bytes decoded = decode_background(i);
        ASSERT_EQ(texels.size(), decoded.size());
        if (!GetParam()) {
            EXPECT_TRUE(texels == decoded) << "the processor path uploads the decoded pixels as they are";
            continue;
        }
        // The driver may widen 5- and 6-bit channels by repeating their top bits.
        const std::array<int, 3> tolerance{7, 3, 7};
        int worst[3] = {0, 0, 0};
        for (size_t p = 0; p < texels.size(); ++p) {
            const int diff = std::abs(int(texels[p]) - int(decoded[p]));
            worst[p % 3] = std::max(worst[p % 3], diff);
        }
        for (size_t c = 0; c < 3; ++c) EXPECT_LE(worst[c], tolerance[c]) << "channel " << c;
    }
}

TEST_P(Textures, CompressedBackgroundsHoldTheStoredBlocks) {
    if (!GetParam()) GTEST_SKIP() << "processor path";
    using GetCompressed = void (*)(GLenum, GLint, void *);
    const auto get_compressed = reinterpret_cast<GetCompressed>(test_gl_proc("glGetCompressedTexImage"));
    ASSERT_NE(get_compressed, nullptr);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        bind(TEX_BACKGROUND_0 + i);
        ASSERT_EQ(level_parameter(GL_TEXTURE_COMPRESSED_IMAGE_SIZE), 128 * 128 * 8);
        Bytes blocks(128 * 128 * 8);
        get_compressed(GL_TEXTURE_2D, 0, blocks.data());
        // The 512-texel texture has 128 blocks per row; the picture fills 120 of them in 80 rows.
        EXPECT_TRUE(crop(blocks, 128, 120, 80, 8) == decode(IMAGE_BACKGROUNDS[i], 76800));
    }
}

TEST_P(Textures, ReleaseDeletesExactlyTheNineTextures) {
    GLuint other = 0;
    glGenTextures(1, &other);
    glBindTexture(GL_TEXTURE_2D, other);
    const std::array<uint32_t, TEX_COUNT> names = std::to_array(set_->names);
    release_textures(set_);
    set_ = nullptr;
    for (uint32_t name : names) EXPECT_FALSE(glIsTexture(name)) << name;
    EXPECT_TRUE(glIsTexture(other)) << "a texture outside the set survives";
    glDeleteTextures(1, &other);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(BothPaths, Textures, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &param_info) {
                             return param_info.param ? "Compressed" : "Processor";
                         });

TEST(TexturesPath, NeedsBothCompressedEntryPoints) {
    ASSERT_TRUE(test_gl_open());
    // A driver that names the extension but lacks one of the two entry points.
    compressed_tex_sub_image_2d_proc = nullptr;
    TextureSet *set = create_textures();
    ASSERT_NE(set, nullptr);
    glBindTexture(GL_TEXTURE_2D, set->names[TEX_BACKGROUND_0]);
    EXPECT_EQ(level_parameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
    release_textures(set);
    test_gl_close();
}

}  // namespace
