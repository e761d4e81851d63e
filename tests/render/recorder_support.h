// Shared helpers of the geometry tests: a game record, textures with recognisable names, and
// short ways to look at what the recorder saw.
#pragma once

#include <vector>

#include "gl_recorder.h"
#include "render/render.h"

// Texture index i is named 100 + i, so the log tells the textures apart.
inline GLuint tex_name(int index) { return static_cast<GLuint>(100 + index); }
inline TextureSet fake_textures() {
    TextureSet set{};
    for (int i = 0; i < TEX_COUNT; ++i) {
        set.names[i] = tex_name(i);
    }
    return set;
}
inline const TextureSet TEXTURES = fake_textures();

// A record with an empty board, a kind 0 piece at the top of the well, kinds 2 and 3 queued.
inline GameState make_state(GameMode mode, uint32_t ticks = 0) {
    GameState s{};
    s.current = PieceState{0, 0, 3, 5.0f};
    s.queue[0] = PieceState{2, 0, 3, -1.0f};
    s.queue[1] = PieceState{3, 0, 3, -3.0f};
    s.ticks = ticks;
    s.mode = s.saved_mode = mode;
    for (int32_t &r : s.cleared_rows) {
        r = -1;
    }
    s.textures = &TEXTURES;
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

// The vertices an emit_* routine adds inside one batch of quads opened for it.
template <typename F> std::vector<GlVertex> emitted(F emit) {
    gl_recorder_reset();
    glBegin(GL_QUADS);
    emit();
    glEnd();
    return all_vertices(gl_recorded_primitives());
}

using Rgba = std::array<float, 4>;

// The positions of vertices [from, from + n) as given.
using Points = std::vector<std::array<double, 2>>;
inline Points xys(const std::vector<GlVertex> &v, size_t from = 0, size_t n = 4) {
    Points out;
    for (size_t i = from; i < from + n && i < v.size(); ++i) {
        out.push_back({v[i].x, v[i].y});
    }
    return out;
}
