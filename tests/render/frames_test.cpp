// Whole frames drawn by a real Mesa context with the game's own textures, compared with the
// committed reference pictures, and the pixels whose values the rules fix checked by value.
//
// To accept new pictures after a deliberate change (new art, a new scene), run the tests
// with STAKMIR_UPDATE_REFERENCES=1: each frame is then written to tests/render/reference/.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/data.h"
#include "offscreen_gl.h"
#include "render/render.h"
#include "scene.h"

namespace {

constexpr int W = 480, H = 320;
using Picture = std::vector<uint8_t>;  // RGBA, bottom row first
using Rgb = std::array<int, 3>;

// One context and one texture set for every test of this file.
class Frames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(test_gl_open(W, H, false));  // backgrounds decoded on the CPU: the same on every driver
        textures_ = create_textures();
    }
    static void TearDownTestSuite() {
        release_textures(textures_);
        test_gl_close();
    }
    static Picture draw(GameState state, const TextureSet *textures = textures_) {
        state.textures = textures;
        render_frame(&state);
        Picture p = test_gl_read_rgba();
        for (size_t i = 3; i < p.size(); i += 4) {
            p[i] = 255;  // the window shows colour only
        }
        return p;
    }
    static inline TextureSet *textures_ = nullptr;
};

// ---- Comparison with the reference pictures ----

struct FrameCase {
    std::string scene;
    int level, score;
    std::string name() const { return scene + "-band" + std::to_string(std::min(level / 2, 3)); }
};
void PrintTo(const FrameCase &c, std::ostream *out) { *out << c.scene << " at level " << c.level; }

// Every scene at bands 0 and 3, bands 1 and 2 once.
std::vector<FrameCase> frame_cases() {
    std::vector<FrameCase> cases;
    for (const int level : {0, 7}) {
        for (const char *scene : {"intro-00", "intro-13", "intro-25", "intro-38", "intro-50", "wait-start",
                                  "falling", "paused", "clearing-white", "clearing-colour", "slam", "landed", "settle",
                                  "game-over"}) {
            const bool before_play = std::string(scene).starts_with("intro") || std::string(scene) == "wait-start";
            cases.push_back({scene, level, before_play ? 0 : level * 100 + 45});
        }
    }
    cases.push_back({"falling", 2, 245});
    cases.push_back({"landed", 5, 545});
    return cases;
}

class ReferenceFrames : public Frames, public ::testing::WithParamInterface<FrameCase> {};

// A frame matches within 2 levels per channel everywhere, more on at most 0.1% of the pixels
// (software rasterisers may round a few edge pixels differently); a failure writes the frame
// and a picture of the differences to the build folder.
TEST_P(ReferenceFrames, MatchesTheReferencePicture) {
    const FrameCase &c = GetParam();
    const std::string dir = STAKMIR_RENDER_TEST_DIR;
    GameState state = scene_default();
    std::string error;
    ASSERT_TRUE(scene_load(&state, dir + "/scenes/" + c.scene + ".scene", &error)) << error;
    state.level = c.level;
    state.score = c.score;
    const Picture got = draw(state);
    const std::string reference = dir + "/reference/" + c.name() + ".png";
    if (const char *update = std::getenv("STAKMIR_UPDATE_REFERENCES"); update && std::string(update) == "1") {
        ASSERT_TRUE(write_png_rgba(reference, W, H, got.data()));
        return;
    }
    int width = 0, height = 0;
    Picture want;
    ASSERT_TRUE(read_png_rgba(reference, &width, &height, &want)) << "create it with STAKMIR_UPDATE_REFERENCES=1";
    ASSERT_EQ(width, W);
    ASSERT_EQ(height, H);
    Picture diff(got.size(), 255);
    int off = 0;
    for (size_t i = 0; i < got.size(); i += 4) {
        bool far = false;
        for (size_t k = 0; k < 3; ++k) {
            const int d = std::abs(int(got[i + k]) - int(want[i + k]));
            diff[i + k] = static_cast<uint8_t>(d == 0 ? 0 : std::min(255, 64 + 4 * d));
            far = far || d > 2;
        }
        off += far;
    }
    if (off > W * H / 1000) {
        const std::filesystem::path out = std::filesystem::path(STAKMIR_RENDER_OUTPUT_DIR) / "frame-failures";
        std::filesystem::create_directories(out);
        const std::string frame = (out / (c.name() + ".png")).string();
        const std::string difference = (out / (c.name() + "-diff.png")).string();
        write_png_rgba(frame, W, H, got.data());
        write_png_rgba(difference, W, H, diff.data());
        ADD_FAILURE() << c.name() << " differs from " << reference << " in " << off << " pixels; wrote " << frame
                      << " and " << difference
                      << " (after a deliberate change of the art, rerun with STAKMIR_UPDATE_REFERENCES=1)";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ReferenceFrames, ::testing::ValuesIn(frame_cases()), [](const auto &param_info) {
    std::string name = param_info.param.name();
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

// ---- Pixels checked by value ----

// Red, green and blue of one pixel, x to the right and y up from the bottom left.
Rgb rgb(const Picture &p, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * W + static_cast<size_t>(x)) * 4;
    return {p[i], p[i + 1], p[i + 2]};
}

// A colour clamped to 1, tinted by a texel's luminance, as the framebuffer stores it (times 255, rounded).
Rgb bytes(const float *c, float luminance = 1.0f) {
    auto to = [&](float v) { return static_cast<int>(std::lround(luminance * std::fmin(v, 1.0f) * 255.0f)); };
    return {to(c[0]), to(c[1]), to(c[2])};
}

void expect_near(const Rgb &got, const Rgb &want, int tolerance, const std::string &what) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], want[i], tolerance) << what << ", channel " << i;
    }
}

// An opaque texel (alpha the last of `channels` bytes) well inside a decoded picture, found
// from the middle: its position and its first byte as a fraction of 255.
float opaque_texel(const EncodedImage &image, int width, int height, int channels, int *tx, int *ty) {
    std::vector<uint8_t> texels(static_cast<size_t>(width * height * channels) + 1);
    decode_text6(&image, texels.data());
    for (int d = 0; d < width; ++d) {
        for (int y = height / 2; y < height; ++y) {
            const size_t at = (static_cast<size_t>(y) * width + (width / 2 + d) % width) * channels;
            if (texels[at + channels - 1] == 255) {
                *tx = (width / 2 + d) % width, *ty = y;
                return static_cast<float>(texels[at]) / 255.0f;
            }
        }
    }
    ADD_FAILURE() << "no opaque texel";
    return 0.0f;
}

// The backdrop's bottom edge takes the level's colour (period 8).
TEST_F(Frames, WellBackdropBottomTakesTheLevelsColour) {
    for (const int level : {0, 1, 2, 7, 8}) {
        GameState s = scene_default();
        s.level = level;
        expect_near(rgb(draw(s), 301, 10), bytes(WELL_COLOURS[(level + 7) % 8]), 2, "level " + std::to_string(level));
    }
}

// A locked cell is its tile tinted by its kind; a cleared row flashes white while ticks bit 2 is clear.
TEST_F(Frames, LockedCellsAndTheFlashTintTheTile) {
    int tx = 0, ty = 0;
    const float luminance = opaque_texel(IMAGE_TILES[4], 15, 15, 2, &tx, &ty);  // single, never turned
    GameState s = scene_default();
    s.mode = MODE_CLEARING;
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        s.board[19][c] = 0x1F;  // kind 1 singles
        s.board[17][c] = c == 4 ? 0 : 0x5F;
    }
    s.cleared_rows[0] = 19;
    const float white[3] = {1, 1, 1};
    for (const uint32_t ticks : {0u, 4u}) {
        s.ticks = ticks;
        const Picture p = draw(s);
        expect_near(rgb(p, 330 + tx, 40 + ty), bytes(WELL_COLOURS[5], luminance), 2, "locked cell");
        expect_near(rgb(p, 405 + tx, 10 + ty), bytes(ticks == 0 ? white : WELL_COLOURS[1], luminance), 2,
                    ticks == 0 ? "flashing cell" : "cell between flashes");
    }
}

// The pause veil moves every pixel a quarter of the way to white.
TEST_F(Frames, PauseVeilLightensByAQuarterTowardsWhite) {
    GameState s = scene_default();
    const Picture playing = draw(s);
    s.mode = MODE_PAUSED;
    const Picture paused = draw(s);
    // Background right of the well, the top of the well backdrop, the title and the sky.
    for (const auto &[x, y] : {std::pair{470, 300}, std::pair{440, 300}, std::pair{60, 262}, std::pair{5, 315}}) {
        Rgb want = rgb(playing, x, y);
        for (int &v : want) {
            v = static_cast<int>(std::lround(v * 0.75 + 255 * 0.25));
        }
        expect_near(rgb(paused, x, y), want, 2, "veiled pixel");
    }
}

// The caption is black until the last level band, then white.
TEST_F(Frames, CaptionIsBlackUntilTheLastLevelBand) {
    int tx = 0, ty = 0;
    opaque_texel(IMAGE_CAPTION, 154, 19, 1, &tx, &ty);
    for (const int level : {0, 3, 5, 6, 11}) {
        GameState s = scene_default();
        s.level = level;
        const int v = level >= 6 ? 255 : 0;
        expect_near(rgb(draw(s), 35 + tx, 220 + ty), {v, v, v}, 1, "caption at level " + std::to_string(level));
    }
}

// The piece colour is clamped before the texture modulates it: blue 278/255 counts as 1.
TEST_F(Frames, FallingPieceColourIsClampedThenTinted) {
    int tx = 0, ty = 0;
    const float luminance = opaque_texel(IMAGE_TILES[1], 15, 15, 2, &tx, &ty);  // corner, code 3 unturned
    GameState s = scene_default();
    s.current = PieceState{3, 0, 3, 5.0f};  // the square: code 3 at box row 2, column 1 = well (7, 4)
    expect_near(rgb(draw(s), 360 + tx, 190 + ty), bytes(PIECE_COLOURS[3], luminance), 2, "falling square");
}

// ---- Pieces on half rows ----

// Each test opens its own context, on the compressed (true) or the processor (false) path.
class HalfRows : public Frames, public ::testing::WithParamInterface<bool> {
protected:
    static void SetUpTestSuite() {}
    static void TearDownTestSuite() {}
    void SetUp() override {
        ASSERT_TRUE(test_gl_open(W, H, GetParam()));
        textures_ = create_textures();
        ASSERT_NE(textures_, nullptr);
    }
    void TearDown() override {
        release_textures(textures_);
        textures_ = nullptr;
        test_gl_close();
    }
};

// Pixels of the cells of a shape with its box's top-left cell at (row, column) that show the
// backdrop. A pixel belongs to a cell when its centre lies in the cell's square, the bottom and
// left edges included as the rasteriser includes them; the two-pixel corners, where the tiles
// are rounded off, are left out.
int see_through(const Picture &got, const Picture &backdrop, const uint16_t shape[4], double row, double column) {
    int count = 0;
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            if (((shape[y] >> (12 - 4 * x)) & 15u) == 0) continue;
            const double x0 = 300 + 15 * (column + x), y0 = 295 - 15 * (row + y);
            for (int py = static_cast<int>(std::floor(y0)); py < y0 + 15; ++py) {
                for (int px = static_cast<int>(std::floor(x0)); px < x0 + 15; ++px) {
                    const double u = px + 0.5 - x0, v = py + 0.5 - y0;
                    const bool corner = (u < 2 || u > 13) && (v < 2 || v > 13);
                    if (u >= 0 && u < 15 && v >= 0 && v < 15 && !corner && rgb(got, px, py) == rgb(backdrop, px, py)) {
                        ++count;
                    }
                }
            }
        }
    }
    return count;
}

// The upcoming piece of every kind (five of them rest on half rows) and a falling piece of every
// kind and rotation at row 1.5 cover the backdrop wherever their tiles are opaque: the backdrop
// is the same frame drawn with fully transparent tiles.
TEST_P(HalfRows, PiecesCoverTheBackdrop) {
    GLuint clear = 0;
    glGenTextures(1, &clear);
    glBindTexture(GL_TEXTURE_2D, clear);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    const std::vector<uint8_t> zeros(128 * 16 * 2, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, 128, 16, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, zeros.data());
    TextureSet without_tiles = *textures_;
    without_tiles.names[TEX_TILES] = clear;
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int rotation = 0; rotation < 4; ++rotation) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " rotation " << rotation);
            GameState s = scene_default();
            s.current = PieceState{kind, rotation, 3, 1.5f};
            s.queue[0].kind = kind;
            const Picture got = draw(s), backdrop = draw(s, &without_tiles);
            EXPECT_EQ(see_through(got, backdrop, piece_shapes[kind][rotation], 1.5, 3), 0) << "falling piece";
            const PreviewLayout &p = PREVIEW_LAYOUT[kind];
            EXPECT_EQ(see_through(got, backdrop, piece_shapes[kind][p.rotation], p.pivot_row + p.row_offset - 3.0,
                                  p.pivot_column - p.column_offset),
                      0)
                << "upcoming piece";
        }
    }
    glDeleteTextures(1, &clear);
}

INSTANTIATE_TEST_SUITE_P(BothPaths, HalfRows, ::testing::Bool(), [](const ::testing::TestParamInfo<bool> &param_info) {
    return param_info.param ? "Compressed" : "Processor";
});

}  // namespace
