// The cell tiles laid out on screen the way the renderer samples them: every tile code's
// texture corners, nearest texel at each pixel centre. A side that meets open space must be
// shaded; a side that joins a neighbour of the same piece must carry no edge at all, so that
// joined cells merge into one shape.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "assets/assets.h"
#include "data/data.h"
#include "game/game.h"

namespace {

constexpr int CELL = 15;

// Screen sides of a cell.
constexpr int LEFT = 1, RIGHT = 2, DOWN = 4, UP = 8;

// Joined sides of each tile code (index 0 is the empty cell).
constexpr int CODE_JOINS[16] = {0,           LEFT | RIGHT, UP | DOWN,           RIGHT | DOWN,
                                LEFT | DOWN, RIGHT | UP,   LEFT | UP,           UP | DOWN | RIGHT,
                                UP | DOWN | LEFT, LEFT | RIGHT | DOWN, LEFT | RIGHT | UP, RIGHT,
                                LEFT,        DOWN,         UP,                  0};

// The renderer's tile texture corners in texels (s in 128ths, t in 16ths), bottom-left,
// bottom-right, top-right, top-left as seen on screen.
constexpr int TEXCOORDS[16][4][2] = {
    {{0, 0}, {0, 0}, {0, 0}, {0, 0}},
    {{0, 0}, {15, 0}, {15, 15}, {0, 15}},     {{15, 0}, {15, 15}, {0, 15}, {0, 0}},
    {{16, 0}, {31, 0}, {31, 15}, {16, 15}},   {{31, 0}, {31, 15}, {16, 15}, {16, 0}},
    {{16, 15}, {16, 0}, {31, 0}, {31, 15}},   {{31, 15}, {16, 15}, {16, 0}, {31, 0}},
    {{47, 0}, {47, 15}, {32, 15}, {32, 0}},   {{32, 15}, {32, 0}, {47, 0}, {47, 15}},
    {{47, 15}, {32, 15}, {32, 0}, {47, 0}},   {{32, 0}, {47, 0}, {47, 15}, {32, 15}},
    {{48, 0}, {63, 0}, {63, 15}, {48, 15}},   {{63, 15}, {48, 15}, {48, 0}, {63, 0}},
    {{63, 0}, {63, 15}, {48, 15}, {48, 0}},   {{48, 15}, {48, 0}, {63, 0}, {63, 15}},
    {{64, 0}, {79, 0}, {79, 15}, {64, 15}},
};

// One texel: luminance and alpha.
struct Texel {
    int luminance = 0;
    int alpha = 0;
    bool operator==(const Texel &other) const = default;
};

// The tile atlas as the game builds it: tile k at texel x = 16k, row 0 at the bottom.
struct Atlas {
    std::array<std::array<Texel, 128>, 16> texels{};
};

Atlas decode_atlas() {
    Atlas atlas;
    std::vector<uint8_t> buffer(451);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(decode_text6(&IMAGE_TILES[k], buffer.data()), 450) << "tile " << k;
        for (int y = 0; y < CELL; ++y) {
            for (int x = 0; x < CELL; ++x) {
                const size_t i = size_t(2 * (y * CELL + x));
                atlas.texels[size_t(y)][size_t(16 * k + x)] = {buffer[i], buffer[i + 1]};
            }
        }
    }
    return atlas;
}

// A cell as it appears on screen: pixel (x, y), x to the right and y upwards.
using Cell = std::array<std::array<Texel, CELL>, CELL>;

Cell lay_out(const Atlas &atlas, int code) {
    Cell cell{};
    const auto &c = TEXCOORDS[code];
    for (int y = 0; y < CELL; ++y) {
        for (int x = 0; x < CELL; ++x) {
            const float u = (float(x) + 0.5f) / CELL, v = (float(y) + 0.5f) / CELL;
            float st[2];
            for (int k = 0; k < 2; ++k) {
                st[k] = float(c[0][k]) * (1 - u) * (1 - v) + float(c[1][k]) * u * (1 - v) +
                        float(c[2][k]) * u * v + float(c[3][k]) * (1 - u) * v;
            }
            cell[size_t(y)][size_t(x)] = atlas.texels[size_t(st[1])][size_t(st[0])];
        }
    }
    return cell;
}

// The pixel `depth` steps in from `side`, at position `along` (0 to 14) along that side.
Texel side_texel(const Cell &cell, int side, int depth, int along) {
    switch (side) {
        case LEFT: return cell[size_t(along)][size_t(depth)];
        case RIGHT: return cell[size_t(along)][size_t(CELL - 1 - depth)];
        case DOWN: return cell[size_t(depth)][size_t(along)];
        default: return cell[size_t(CELL - 1 - depth)][size_t(along)];
    }
}

class TileLayout : public ::testing::Test {
protected:
    Atlas atlas = decode_atlas();
    Texel face = lay_out(atlas, 15)[7][7];  // the middle of a cell
};

TEST_F(TileLayout, FaceIsOpaqueBrightAndSharedByEveryPicture) {
    EXPECT_EQ(face.alpha, 255);
    EXPECT_GE(face.luminance, 153) << "tinted by the kind colour, the face must stay bright";
    for (int code = 1; code < 16; ++code) {
        EXPECT_EQ(lay_out(atlas, code)[7][7], face) << "code " << code;
    }
}

TEST_F(TileLayout, EverySideIsShadedExactlyWhereItIsOpen) {
    for (int code = 1; code < 16; ++code) {
        const Cell cell = lay_out(atlas, code);
        for (int side : {LEFT, RIGHT, DOWN, UP}) {
            const bool joined = (CODE_JOINS[code] & side) != 0;
            for (int along = 3; along <= 11; ++along) {
                const Texel edge = side_texel(cell, side, 0, along);
                if (joined) {
                    EXPECT_EQ(edge, face) << "code " << code << " side " << side << " at " << along;
                } else {
                    EXPECT_TRUE(edge.alpha < 255 || std::abs(edge.luminance - face.luminance) >= 24)
                        << "code " << code << " side " << side << " at " << along;
                }
            }
        }
    }
}

TEST_F(TileLayout, JoinedSidesCarryNoEdgeAlongTheirWholeLength) {
    // Across a joined side the outer three lines are identical all along it, corners
    // included, so the rims of the perpendicular sides run straight on into the neighbour.
    for (int code = 1; code < 16; ++code) {
        const Cell cell = lay_out(atlas, code);
        for (int side : {LEFT, RIGHT, DOWN, UP}) {
            if (!(CODE_JOINS[code] & side)) continue;
            for (int along = 0; along < CELL; ++along) {
                EXPECT_EQ(side_texel(cell, side, 0, along), side_texel(cell, side, 1, along))
                    << "code " << code << " side " << side << " at " << along;
                EXPECT_EQ(side_texel(cell, side, 0, along), side_texel(cell, side, 2, along))
                    << "code " << code << " side " << side << " at " << along;
            }
        }
    }
}

TEST_F(TileLayout, EveryPieceOfTheCatalogueIsDrawnAsOneShape) {
    for (int kind = 0; kind < PIECE_KINDS; ++kind) {
        for (int rotation = 0; rotation < 4; ++rotation) {
            const uint16_t *shape = piece_shapes[kind][rotation];
            auto code_at = [&](int row, int column) {
                if (row < 0 || row > 3 || column < 0 || column > 3) return 0;
                return (shape[row] >> (12 - 4 * column)) & 15;
            };
            for (int row = 0; row < 4; ++row) {
                for (int column = 0; column < 4; ++column) {
                    const int code = code_at(row, column);
                    if (!code) continue;
                    const Cell cell = lay_out(atlas, code);
                    // Box rows run downwards on screen.
                    const std::array<std::pair<int, int>, 4> sides = {
                        std::pair{LEFT, code_at(row, column - 1)},
                        std::pair{RIGHT, code_at(row, column + 1)},
                        std::pair{DOWN, code_at(row + 1, column)},
                        std::pair{UP, code_at(row - 1, column)}};
                    for (const auto &[side, neighbour] : sides) {
                        const Texel middle = side_texel(cell, side, 0, 7);
                        EXPECT_EQ(middle == face, neighbour != 0)
                            << "kind " << kind << " rotation " << rotation << " cell " << row
                            << "," << column << " side " << side;
                    }
                }
            }
        }
    }
}

}  // namespace
