// The texture catalogue in a real Mesa context, with the real embedded pictures: the render
// state it leaves, every texture's size, format and content on both background paths, and
// the release.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "offscreen_gl.h"

namespace {

using Bytes = std::vector<uint8_t>;

GLint level_parameter(GLenum name) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    return value;
}

// The width by height texels at column x0 of rows 0 up of an image `stride` texels wide.
Bytes crop(const Bytes &texels, int stride, int width, int height, int channels, int x0 = 0) {
    Bytes out;
    for (int y = 0; y < height; ++y) {
        const auto row = texels.begin() + (ptrdiff_t(y) * stride + x0) * channels;
        out.insert(out.end(), row, row + ptrdiff_t(width) * channels);
    }
    return out;
}

// The lower-left width by height texels of level 0 of the bound texture.
Bytes read_texture(GLenum format, int channels, int width, int height, int x0 = 0) {
    const int stride = level_parameter(GL_TEXTURE_WIDTH);
    Bytes texels(size_t(stride) * size_t(level_parameter(GL_TEXTURE_HEIGHT)) * size_t(channels));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return crop(texels, stride, width, height, channels, x0);
}

Bytes decode(const EncodedImage &image, int bytes) {
    Bytes out(size_t(bytes) + 1);
    decode_text6(&image, out.data());
    out.resize(size_t(bytes));
    return out;
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
    const std::pair<GLenum, GLint> integers[] = {
        {GL_BLEND, GL_TRUE}, {GL_SCISSOR_TEST, GL_FALSE}, {GL_TEXTURE_2D, GL_FALSE},
        {GL_BLEND_SRC, GL_SRC_ALPHA}, {GL_BLEND_DST, GL_ONE_MINUS_SRC_ALPHA}, {GL_UNPACK_ALIGNMENT, 1},
        {GL_MATRIX_MODE, GL_MODELVIEW}, {GL_TEXTURE_BINDING_2D, GLint(set_->names[TEX_FONT_SCORE])}};
    for (const auto &[name, expected] : integers) {
        GLint value = -1;
        glGetIntegerv(name, &value);
        EXPECT_EQ(value, expected) << "0x" << std::hex << name;
    }
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_MODULATE);
    std::array<GLint, 4> box{};
    glGetIntegerv(GL_SCISSOR_BOX, box.data());
    EXPECT_EQ(box, (std::array<GLint, 4>{300, 10, 150, 300}));
    std::array<GLfloat, 16> m{};
    glGetFloatv(GL_PROJECTION_MATRIX, m.data());
    const std::array<GLfloat, 16> ortho{2.0f / 480, 0, 0, 0, 0, 2.0f / 320, 0, 0, 0, 0, -2.0f / 10, 0, -1, -1, -1, 1};
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], ortho[i]) << "projection element " << i;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    for (size_t i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << "modelview " << i;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_P(Textures, NineDistinctTexturesWithTheirSizesFormatsAndParameters) {
    const GLint background = GetParam() ? GL_COMPRESSED_RGB_S3TC_DXT1_EXT : GL_RGB;
    const struct {
        int width, height;
        GLint format;
    } expected[TEX_COUNT] = {{512, 512, background}, {512, 512, background}, {512, 512, background},
                             {512, 512, background}, {128, 32, GL_RGBA},     {256, 32, GL_ALPHA},
                             {128, 16, GL_LUMINANCE_ALPHA}, {128, 128, GL_ALPHA}, {128, 128, GL_ALPHA}};
    for (int i = 0; i < TEX_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(glIsTexture(set_->names[i]));
        for (int j = 0; j < i; ++j) EXPECT_NE(set_->names[i], set_->names[j]) << "same name as " << j;
        bind(i);
        for (GLenum p : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER, GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) {
            GLint value = -1;
            glGetTexParameteriv(GL_TEXTURE_2D, p, &value);
            EXPECT_EQ(value, p == GL_TEXTURE_WRAP_S || p == GL_TEXTURE_WRAP_T ? GL_CLAMP : GL_NEAREST);
        }
        EXPECT_EQ(level_parameter(GL_TEXTURE_WIDTH), expected[i].width);
        EXPECT_EQ(level_parameter(GL_TEXTURE_HEIGHT), expected[i].height);
        EXPECT_EQ(level_parameter(GL_TEXTURE_INTERNAL_FORMAT), expected[i].format);
        EXPECT_EQ(level_parameter(GL_TEXTURE_COMPRESSED), GetParam() && i <= TEX_BACKGROUND_3 ? GL_TRUE : GL_FALSE);
    }
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A decoded 15 by 15 tile with its last column and row repeated: the 16 by 16 slot it fills.
Bytes padded_tile(const EncodedImage &image) {
    const Bytes tile = decode(image, 15 * 15 * 2);
    Bytes out;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const auto at = tile.begin() + (std::min(y, 14) * 15 + std::min(x, 14)) * 2;
            out.insert(out.end(), at, at + 2);
        }
    }
    return out;
}

// Each picture is uploaded at texel (0, 0) of its texture. Tile k fills the 16 by 16 slot at
// column 16 k, its edge texels repeated into the slot's last column and row, which a cell on a
// half row samples.
TEST_P(Textures, PicturesSitAtTheOriginOfTheirTextures) {
    const struct {
        int index;
        const EncodedImage *image;
        GLenum format;
        int channels, width, height;
    } pictures[] = {{TEX_TITLE, &IMAGE_TITLE, GL_RGBA, 4, 107, 27},
                    {TEX_CAPTION, &IMAGE_CAPTION, GL_ALPHA, 1, 154, 19},
                    {TEX_FONT_TEXT, &font_text.atlas, GL_ALPHA, 1, 128, 128},
                    {TEX_FONT_SCORE, &font_score.atlas, GL_ALPHA, 1, 128, 128}};
    for (const auto &p : pictures) {
        SCOPED_TRACE(testing::Message() << "texture " << p.index);
        bind(p.index);
        EXPECT_EQ(read_texture(p.format, p.channels, p.width, p.height),
                  decode(*p.image, p.width * p.height * p.channels));
    }
    bind(TEX_TILES);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(read_texture(GL_LUMINANCE_ALPHA, 2, 16, 16, 16 * k), padded_tile(IMAGE_TILES[k])) << "tile " << k;
    }
}

// Processor path: exactly the decoded pixels. Compressed path: the stored blocks as they are
// (128 blocks per texture row, the picture fills 120 by 80), and texels within the driver's
// widening of 5- and 6-bit channels by repeating their top bits (7/3/7).
TEST_P(Textures, BackgroundsMatchTheStoredBlocksAndTheProcessorDecode) {
    using GetCompressed = void (*)(GLenum, GLint, void *);
    const auto get_compressed = reinterpret_cast<GetCompressed>(test_gl_proc("glGetCompressedTexImage"));
    ASSERT_NE(get_compressed, nullptr);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        bind(TEX_BACKGROUND_0 + i);
        const Bytes texels = read_texture(GL_RGB, 3, 480, 320);
        Bytes decoded(460800);
        decode_dxt1_image(decoded.data(), &IMAGE_BACKGROUNDS[i]);
        ASSERT_EQ(texels.size(), decoded.size());
        if (!GetParam()) {
            EXPECT_TRUE(texels == decoded);
            continue;
        }
        ASSERT_EQ(level_parameter(GL_TEXTURE_COMPRESSED_IMAGE_SIZE), 128 * 128 * 8);
        Bytes blocks(128 * 128 * 8);
        get_compressed(GL_TEXTURE_2D, 0, blocks.data());
        EXPECT_TRUE(crop(blocks, 128, 120, 80, 8) == decode(IMAGE_BACKGROUNDS[i], 76800));
        std::array<int, 3> worst{};
        for (size_t p = 0; p < texels.size(); ++p) {
            worst[p % 3] = std::max(worst[p % 3], std::abs(int(texels[p]) - int(decoded[p])));
        }
        for (size_t c = 0; c < 3; ++c) EXPECT_LE(worst[c], c == 1 ? 3 : 7) << "channel " << c;
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

INSTANTIATE_TEST_SUITE_P(BothPaths, Textures, ::testing::Bool(), [](const ::testing::TestParamInfo<bool> &param_info) {
    return param_info.param ? "Compressed" : "Processor";
});

// A driver that names the extension but lacks either of the two entry points gets RGB.
TEST(TexturesPath, NeedsBothCompressedEntryPoints) {
    for (int missing = 0; missing < 2; ++missing) {
        SCOPED_TRACE(missing);
        ASSERT_TRUE(test_gl_open());
        if (missing == 0) compressed_tex_image_2d_proc = nullptr;
        else compressed_tex_sub_image_2d_proc = nullptr;
        TextureSet *set = create_textures();
        ASSERT_NE(set, nullptr);
        glBindTexture(GL_TEXTURE_2D, set->names[TEX_BACKGROUND_0]);
        EXPECT_EQ(level_parameter(GL_TEXTURE_INTERNAL_FORMAT), GL_RGB);
        release_textures(set);
        test_gl_close();
    }
}

}  // namespace
