// Shared helpers of the geometry tests: a game record, a texture set with recognisable
// names, and short ways to look at what the recorder saw.
#pragma once

#include <cstring>
#include <vector>

#include "gl_recorder.h"
#include "render/render.h"

// Texture names that tell the nine textures apart in the log: index i is name 100 + i.
inline TextureSet fake_textures() {
    TextureSet set{};
    for (int i = 0; i < TEX_COUNT; ++i) {
        set.names[i] = static_cast<uint32_t>(100 + i);
    }
    return set;
}

inline GLuint tex_name(int index) { return static_cast<GLuint>(100 + index); }

// A record in the given mode with an empty board, a kind 0 piece at the top of the well
// and pieces of kind 2 and 3 queued.
inline GameState make_state(const TextureSet *textures, GameMode mode, uint32_t ticks = 0, int level = 0) {
    GameState s{};
    s.current = PieceState{0, 0, 3, 5.0f};
    s.queue[0] = PieceState{2, 0, 3, -1.0f};
    s.queue[1] = PieceState{3, 0, 3, -3.0f};
    s.ticks = ticks;
    s.mode = mode;
    s.saved_mode = mode;
    s.level = level;
    s.score = level * 100;
    for (int32_t &r : s.cleared_rows) {
        r = -1;
    }
    s.textures = textures;
    return s;
}

// The primitives drawn with a given texture bound and texturing on.
inline std::vector<GlPrimitive> textured_with(GLuint texture) {
    std::vector<GlPrimitive> out;
    for (const GlPrimitive &p : gl_recorded_primitives()) {
        if (p.texturing && p.texture == texture) {
            out.push_back(p);
        }
    }
    return out;
}

// Every vertex of the given primitives, in order.
inline std::vector<GlVertex> all_vertices(const std::vector<GlPrimitive> &prims) {
    std::vector<GlVertex> out;
    for (const GlPrimitive &p : prims) {
        out.insert(out.end(), p.vertices.begin(), p.vertices.end());
    }
    return out;
}
