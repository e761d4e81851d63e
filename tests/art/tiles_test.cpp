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

// The renderer's tile texture corners (s in 128ths, t in 16ths) bottom-left, bottom-right,
// top-right, top-left on screen: tile picture at s = BASE, its corners turned by TURN quarters.
constexpr int BASE[16] = {0, 0, 0, 16, 16, 16, 16, 32, 32, 32, 32, 48, 48, 48, 48, 64};
constexpr int TURN[16] = {0, 0, 1, 0, 1, 3, 2, 1, 3, 2, 0, 0, 2, 1, 3, 0};

using Texel = std::pair<int, int>;  // luminance, alpha
// A cell as it appears on screen: pixel (x, y), x to the right and y upwards.
using Cell = std::array<std::array<Texel, CELL>, CELL>;

// Lays tile `code` out as the renderer samples the atlas (tile k at s = 16k, row 0 at the
// bottom): nearest texel at each pixel centre.
Cell lay_out(const std::vector<std::vector<uint8_t>> &tiles, int code) {
    const int square[4][2] = {{0, 0}, {15, 0}, {15, 15}, {0, 15}};
    int c[4][2];
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 2; ++k) c[i][k] = (k ? 0 : BASE[code]) + square[(i + TURN[code]) % 4][k];
    }
    Cell cell{};
    for (int y = 0; y < CELL; ++y) {
        for (int x = 0; x < CELL; ++x) {
            const float u = (float(x) + 0.5f) / CELL, v = (float(y) + 0.5f) / CELL;
            int st[2];
            for (int k = 0; k < 2; ++k) {
                st[k] = int(float(c[0][k]) * (1 - u) * (1 - v) + float(c[1][k]) * u * (1 - v) +
                            float(c[2][k]) * u * v + float(c[3][k]) * (1 - u) * v);
            }
            const bool inside = st[0] % 16 < CELL && st[1] < CELL;  // not in the gap between tiles
            EXPECT_TRUE(inside) << "code " << code << " at " << x << "," << y;
            if (!inside) continue;
            const uint8_t *texel = &tiles[size_t(st[0] / 16)][size_t(2 * (st[1] * CELL + st[0] % 16))];
            cell[size_t(y)][size_t(x)] = {texel[0], texel[1]};
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
    void SetUp() override {
        for (int k = 0; k < 5; ++k) {
            atlas.emplace_back(451);
            EXPECT_EQ(decode_text6(&IMAGE_TILES[k], atlas.back().data()), 450) << "tile " << k;
        }
        face = lay_out(atlas, 15)[7][7];  // the middle of a cell
    }
    std::vector<std::vector<uint8_t>> atlas;
    Texel face;
};

// The middle of every tile is the same opaque, bright face.
TEST_F(TileLayout, FaceIsOpaqueBrightAndSharedByEveryPicture) {
    EXPECT_EQ(face.second, 255);
    EXPECT_GE(face.first, 153) << "tinted by the kind colour, the face must stay bright";
    for (int code = 1; code < 16; ++code) {
        EXPECT_EQ(lay_out(atlas, code)[7][7], face) << "code " << code;
    }
}

// Every tile code: an open side is shaded along its middle; across a joined side the outer
// three lines equal the face all along it, corners included, so the rims of the
// perpendicular sides run straight on into the neighbour.
TEST_F(TileLayout, EverySideIsShadedExactlyWhereItIsOpen) {
    for (int code = 1; code < 16; ++code) {
        const Cell cell = lay_out(atlas, code);
        for (int side : {LEFT, RIGHT, DOWN, UP}) {
            const bool joined = (CODE_JOINS[code] & side) != 0;
            for (int along = 0; along < CELL; ++along) {
                SCOPED_TRACE(testing::Message() << "code " << code << " side " << side << " at " << along);
                const Texel edge = side_texel(cell, side, 0, along);
                if (joined) {
                    EXPECT_EQ(edge, side_texel(cell, side, 1, along));
                    EXPECT_EQ(edge, side_texel(cell, side, 2, along));
                    if (along >= 3 && along <= 11) {
                        EXPECT_EQ(edge, face);
                    }
                } else if (along >= 3 && along <= 11) {
                    EXPECT_TRUE(edge.second < 255 || std::abs(edge.first - face.first) >= 24);
                }
            }
        }
    }
}

// Every piece in every rotation: a side is the face exactly where a cell of the piece joins it.
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
                    // Box rows run downwards on screen: LEFT, RIGHT, DOWN, UP.
                    const int sides[4][3] = {{LEFT, 0, -1}, {RIGHT, 0, 1}, {DOWN, 1, 0}, {UP, -1, 0}};
                    for (const auto &[side, down, right] : sides) {
                        const Texel middle = side_texel(cell, side, 0, 7);
                        const int neighbour = code_at(row + down, column + right);
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
