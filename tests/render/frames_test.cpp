// Whole frames drawn by a real Mesa context with the game's own textures, compared with the
// committed reference pictures, and the pixels whose values the rules fix checked by value.
//
// To accept new pictures after a deliberate change (new art, a new scene), run the tests
// with STAKMIR_UPDATE_REFERENCES=1: each frame is then written to tests/render/reference/.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/data.h"
#include "offscreen_gl.h"
#include "render/render.h"
#include "scene.h"

namespace {

constexpr int W = 480;
constexpr int H = 320;

using Picture = std::vector<uint8_t>;  // RGBA, bottom row first

// One context and one texture set for every test of this file.
class Frames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Backgrounds decoded on the CPU: the same pictures on every driver.
        ASSERT_TRUE(test_gl_open(W, H, false));
        textures_ = create_textures();
    }
    static void TearDownTestSuite() {
        release_textures(textures_);
        textures_ = nullptr;
        test_gl_close();
    }

    static Picture draw(GameState state) {
        state.textures = textures_;
        render_frame(&state);
        Picture p = test_gl_read_rgba();
        for (size_t i = 3; i < p.size(); i += 4) {
            p[i] = 255;  // the window shows colour only
        }
        return p;
    }

    static TextureSet *textures_;
};

TextureSet *Frames::textures_ = nullptr;

// Red, green and blue of one pixel, x to the right and y up from the bottom left.
std::array<int, 3> rgb(const Picture &p, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * W + static_cast<size_t>(x)) * 4;
    return {p[i], p[i + 1], p[i + 2]};
}

// A colour as the framebuffer stores it: each component times 255, rounded.
std::array<int, 3> bytes(float r, float g, float b) {
    auto to = [](float v) { return static_cast<int>(std::lround(std::fmin(v, 1.0f) * 255.0f)); };
    return {to(r), to(g), to(b)};
}

void expect_near(const std::array<int, 3> &got, const std::array<int, 3> &want, int tolerance, const char *what) {
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(got[i], want[i], tolerance) << what << ", channel " << i;
    }
}

// An opaque texel of a decoded picture of `channels` bytes per texel whose alpha is the last
// byte; the search starts near the middle so that the texel is well inside the picture.
bool find_opaque_texel(const std::vector<uint8_t> &image, int width, int height, int channels, int *tx, int *ty) {
    for (int d = 0; d < width; ++d) {
        for (int y = height / 2; y < height; ++y) {
            const int x = (width / 2 + d) % width;
            if (image[(static_cast<size_t>(y) * width + x) * channels + channels - 1] == 255) {
                *tx = x;
                *ty = y;
                return true;
            }
        }
    }
    return false;
}

std::vector<uint8_t> decoded(const EncodedImage &image, size_t size) {
    std::vector<uint8_t> out(size + 1);
    decode_text6(&image, out.data());
    return out;
}

// ---- Comparison with the reference pictures ----

struct FrameCase {
    const char *scene;
    int level;
    int score;
};

// Names the case in test output instead of printing its bytes.
void PrintTo(const FrameCase &c, std::ostream *out) {
    *out << c.scene << " at level " << c.level << ", score " << c.score;
}

std::string case_name(const FrameCase &c) {
    std::string name = std::string(c.scene) + "-band" + std::to_string(c.level / 2 > 3 ? 3 : c.level / 2);
    return name;
}

class ReferenceFrames : public Frames, public ::testing::WithParamInterface<FrameCase> {};

// Writes the frame and a picture of its differences to the build folder; returns their paths.
std::string write_failure(const std::string &name, const Picture &got, const Picture &want) {
    const std::filesystem::path dir = std::filesystem::path(STAKMIR_RENDER_OUTPUT_DIR) / "frame-failures";
    std::filesystem::create_directories(dir);
    Picture diff(got.size(), 255);
    for (size_t i = 0; i + 3 < got.size(); i += 4) {
        for (size_t k = 0; k < 3; ++k) {
            const int d = std::abs(int(got[i + k]) - int(want[i + k]));
            diff[i + k] = static_cast<uint8_t>(d == 0 ? 0 : std::min(255, 64 + 4 * d));
        }
    }
    const std::string frame = (dir / (name + ".png")).string();
    const std::string difference = (dir / (name + "-diff.png")).string();
    write_png_rgba(frame, W, H, got.data());
    write_png_rgba(difference, W, H, diff.data());
    return frame + " and " + difference;
}

TEST_P(ReferenceFrames, MatchesTheReferencePicture) {
    const FrameCase &c = GetParam();
    GameState state = scene_default();
    std::string error;
    ASSERT_TRUE(scene_load(&state, std::string(STAKMIR_RENDER_TEST_DIR) + "/scenes/" + c.scene + ".scene", &error))
        << error;
    state.level = c.level;
    state.score = c.score;
    const Picture got = draw(state);
    const std::string name = case_name(c);
    const std::string reference = std::string(STAKMIR_RENDER_TEST_DIR) + "/reference/" + name + ".png";

    const char *update = std::getenv("STAKMIR_UPDATE_REFERENCES");
    if (update != nullptr && std::string(update) == "1") {
        std::filesystem::create_directories(std::filesystem::path(reference).parent_path());
        ASSERT_TRUE(write_png_rgba(reference, W, H, got.data()));
        std::printf("wrote %s\n", reference.c_str());
        return;
    }
    int width = 0, height = 0;
    Picture want;
    ASSERT_TRUE(read_png_rgba(reference, &width, &height, &want))
        << "no reference picture; run with STAKMIR_UPDATE_REFERENCES=1 to create it";
    ASSERT_EQ(width, W);
    ASSERT_EQ(height, H);
    // Software rasterisers may round a few edge pixels differently: allow 2 levels per channel
    // everywhere, and larger differences on at most 0.1% of the pixels.
    int off = 0;
    for (size_t i = 0; i < got.size(); i += 4) {
        for (size_t k = 0; k < 3; ++k) {
            if (std::abs(int(got[i + k]) - int(want[i + k])) > 2) {
                ++off;
                break;
            }
        }
    }
    EXPECT_LE(off, W * H / 1000) << name << " differs from " << reference << " in " << off
                                 << " pixels; wrote " << write_failure(name, got, want)
                                 << " (after a deliberate change of the art, rerun with STAKMIR_UPDATE_REFERENCES=1)";
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, ReferenceFrames,
    ::testing::Values(FrameCase{"intro-00", 0, 0}, FrameCase{"intro-13", 0, 0}, FrameCase{"intro-25", 0, 0},
                      FrameCase{"intro-38", 0, 0}, FrameCase{"intro-50", 0, 0}, FrameCase{"wait-start", 0, 0},
                      FrameCase{"falling", 0, 45}, FrameCase{"paused", 0, 45}, FrameCase{"clearing-white", 0, 45},
                      FrameCase{"clearing-colour", 0, 45}, FrameCase{"slam", 0, 45}, FrameCase{"landed", 0, 45},
                      FrameCase{"settle", 0, 45}, FrameCase{"game-over", 0, 45},
                      FrameCase{"intro-00", 7, 0}, FrameCase{"intro-13", 7, 0}, FrameCase{"intro-25", 7, 0},
                      FrameCase{"intro-38", 7, 0}, FrameCase{"intro-50", 7, 0}, FrameCase{"wait-start", 7, 0},
                      FrameCase{"falling", 7, 745}, FrameCase{"paused", 7, 745},
                      FrameCase{"clearing-white", 7, 745}, FrameCase{"clearing-colour", 7, 745},
                      FrameCase{"slam", 7, 745}, FrameCase{"landed", 7, 745}, FrameCase{"settle", 7, 745},
                      FrameCase{"game-over", 7, 745}, FrameCase{"falling", 2, 245}, FrameCase{"landed", 5, 545}),
    [](const ::testing::TestParamInfo<FrameCase> &param_info) {
        std::string name = case_name(param_info.param);
        for (char &ch : name) {
            ch = ch == '-' ? '_' : ch;
        }
        return name;
    });

// ---- Pixels checked by value ----

TEST_F(Frames, WellBackdropBottomTakesTheLevelsColour) {
    for (const int level : {0, 1, 2, 7, 8}) {
        GameState s = scene_default();
        s.level = level;
        const Picture p = draw(s);
        const float *c = WELL_COLOURS[(level + 7) % 8];
        expect_near(rgb(p, 301, 10), bytes(c[0], c[1], c[2]), 2, "backdrop bottom");
    }
}

TEST_F(Frames, LockedCellsAndTheFlashTintTheTile) {
    // Tile 4 (single, never turned) has its texel row 0 at the bottom of the cell.
    const std::vector<uint8_t> tile = decoded(IMAGE_TILES[4], 450);
    int tx = 0, ty = 0;
    ASSERT_TRUE(find_opaque_texel(tile, 15, 15, 2, &tx, &ty));
    const float luminance = static_cast<float>(tile[(static_cast<size_t>(ty) * 15 + tx) * 2]) / 255.0f;

    GameState s = scene_default();
    s.mode = MODE_CLEARING;
    for (int c = 0; c < BOARD_COLUMNS; ++c) {
        s.board[19][c] = 0x1F;  // kind 1 singles
        s.board[17][c] = c == 4 ? 0 : 0x5F;
    }
    s.cleared_rows[0] = 19;
    for (const uint32_t ticks : {0u, 4u}) {
        s.ticks = ticks;
        const Picture p = draw(s);
        const float *kind5 = WELL_COLOURS[5];
        expect_near(rgb(p, 300 + 15 * 2 + tx, 40 + ty),
                    bytes(luminance * kind5[0], luminance * kind5[1], luminance * kind5[2]), 2, "locked cell");
        const std::array<float, 3> white = {1, 1, 1};
        const float *c = ticks == 0 ? white.data() : WELL_COLOURS[1];
        expect_near(rgb(p, 300 + 15 * 7 + tx, 10 + ty), bytes(luminance * c[0], luminance * c[1], luminance * c[2]),
                    2, ticks == 0 ? "flashing cell" : "cell between flashes");
    }
}

TEST_F(Frames, PauseVeilLightensByAQuarterTowardsWhite) {
    GameState s = scene_default();
    const Picture playing = draw(s);
    s.mode = MODE_PAUSED;
    const Picture paused = draw(s);
    // Background right of the well, the top of the well backdrop, the title and the sky.
    for (const auto &[x, y] : {std::pair{470, 300}, std::pair{440, 300}, std::pair{60, 262}, std::pair{5, 315}}) {
        const std::array<int, 3> before = rgb(playing, x, y);
        std::array<int, 3> want{};
        for (int i = 0; i < 3; ++i) {
            want[i] = static_cast<int>(std::lround(before[i] * 0.75 + 255 * 0.25));
        }
        expect_near(rgb(paused, x, y), want, 2, "veiled pixel");
    }
}

TEST_F(Frames, CaptionIsBlackUntilTheLastLevelBand) {
    const std::vector<uint8_t> caption = decoded(IMAGE_CAPTION, 154 * 19);
    int tx = 0, ty = 0;
    ASSERT_TRUE(find_opaque_texel(caption, 154, 19, 1, &tx, &ty));
    for (const int level : {0, 3, 5, 6, 11}) {
        GameState s = scene_default();
        s.level = level;
        const Picture p = draw(s);
        const int v = level >= 6 ? 255 : 0;
        expect_near(rgb(p, 35 + tx, 220 + ty), {v, v, v}, 1, "caption");
    }
}

TEST_F(Frames, FallingPieceIsBrighterThanTheSameKindLocked) {
    const std::vector<uint8_t> tile = decoded(IMAGE_TILES[1], 450);  // corner, code 3 unturned
    int tx = 0, ty = 0;
    ASSERT_TRUE(find_opaque_texel(tile, 15, 15, 2, &tx, &ty));
    const float luminance = static_cast<float>(tile[(static_cast<size_t>(ty) * 15 + tx) * 2]) / 255.0f;
    GameState s = scene_default();
    s.current = PieceState{3, 0, 3, 5.0f};  // the square: code 3 at box row 2, column 1 = well (7, 4)
    const Picture p = draw(s);
    // The colour is clamped before the texture modulates it: blue 278/255 counts as 1.
    const float *c = PIECE_COLOURS[3];
    expect_near(rgb(p, 300 + 15 * 4 + tx, 295 - 15 * 7 + ty),
                bytes(luminance * c[0], luminance * c[1], luminance * std::fmin(c[2], 1.0f)), 2, "falling square");
}

}  // namespace
