// Drawing a finished frame onto the screen: the frame, held in a texture (copied there from the
// desktop's drawable, or drawn there by a page), is drawn as one textured quad per part of the
// layout. The frame's own drawing is untouched, and the cost is the copy and the quads' pixels,
// whatever the scale.
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/scale.h"

namespace {

// A power of two for OpenGL 1.1 that holds the 480 by 320 frame.
constexpr int32_t TEXTURE_SIZE = 512;

// WebGL under Emscripten's fixed-function emulation has no attribute stack and no GL_CLAMP
// (GL_CLAMP_TO_EDGE samples the same texels here), and its texture matrix, once selected, would
// switch its shaders to ones that apply it for good: there the state is kept by hand.
#ifdef __EMSCRIPTEN__
constexpr bool WEBGL = true;
#else
constexpr bool WEBGL = false;
#endif
constexpr GLint WRAP_MODE = WEBGL ? GL_CLAMP_TO_EDGE : GL_CLAMP;

// What drawing the parts changes, where it cannot be pushed and popped.
struct SavedState {
    GLint viewport[4];
    GLfloat clear_colour[4];
    GLboolean blend;
    GLboolean scissor;
};

void push_matrix(GLenum mode) {
    glMatrixMode(mode);
    glPushMatrix();
    glLoadIdentity();
}

void pop_matrix(GLenum mode) {
    glMatrixMode(mode);
    glPopMatrix();
}

SavedState push_state(const ScaleLayout &layout) {
    SavedState saved{};
    if constexpr (WEBGL) {
        glGetIntegerv(GL_VIEWPORT, saved.viewport);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, saved.clear_colour);
        saved.blend = glIsEnabled(GL_BLEND);
        saved.scissor = glIsEnabled(GL_SCISSOR_TEST);
    } else {
        glPushAttrib(GL_ALL_ATTRIB_BITS);
        push_matrix(GL_TEXTURE);
    }
    push_matrix(GL_MODELVIEW);
    push_matrix(GL_PROJECTION);
    glOrtho(0.0, layout.width, 0.0, layout.height, -1.0, 1.0);
    return saved;
}

void set_enabled(GLenum capability, GLboolean enabled) {
    if (enabled != GL_FALSE) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
}

// The modelview matrix last: the frame's drawing works on it and expects it selected. On WebGL
// the texture binding is not restored: the frame's drawing binds each texture it uses.
void pop_state(const SavedState &saved) {
    pop_matrix(GL_PROJECTION);
    if constexpr (WEBGL) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glDisable(GL_TEXTURE_2D);
        set_enabled(GL_BLEND, saved.blend);
        set_enabled(GL_SCISSOR_TEST, saved.scissor);
        glClearColor(saved.clear_colour[0], saved.clear_colour[1], saved.clear_colour[2], saved.clear_colour[3]);
        glViewport(saved.viewport[0], saved.viewport[1], saved.viewport[2], saved.viewport[3]);
    } else {
        pop_matrix(GL_TEXTURE);
    }
    pop_matrix(GL_MODELVIEW);
    if constexpr (!WEBGL) {
        glPopAttrib();
    }
}

// Whether the parts leave any of the drawable uncovered: unless one part covers all of it.
bool leaves_margin(const ScaleLayout &layout) {
    for (uint32_t i = 0; i < layout.count; ++i) {
        const ScaleRect &target = layout.parts[i].target;
        if (target.left <= 0 && target.top <= 0 && target.left + target.width >= layout.width &&
            target.top + target.height >= layout.height) {
            return false;
        }
    }
    return true;
}

// One part as a quad. Rows count from the top in the rectangles and from the bottom in OpenGL.
void draw_part(const ScalePart &part, int32_t drawable_height) {
    const GLint filter = part.smooth ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    const ScaleRect &source = part.source;
    const ScaleRect &target = part.target;
    const float size = TEXTURE_SIZE;
    const float s0 = static_cast<float>(source.left) / size;
    const float s1 = static_cast<float>(source.left + source.width) / size;
    const float t0 = static_cast<float>(SCALE_HEIGHT - source.top - source.height) / size;
    const float t1 = static_cast<float>(SCALE_HEIGHT - source.top) / size;
    const int32_t left = target.left;
    const int32_t right = target.left + target.width;
    const int32_t bottom = drawable_height - target.top - target.height;
    const int32_t top = drawable_height - target.top;
    glBegin(GL_QUADS);
    glTexCoord2f(s0, t0);
    glVertex2i(left, bottom);
    glTexCoord2f(s1, t0);
    glVertex2i(right, bottom);
    glTexCoord2f(s1, t1);
    glVertex2i(right, top);
    glTexCoord2f(s0, t1);
    glVertex2i(left, top);
    glEnd();
}

// Draws the parts, first copying the frame from the drawable's lower left corner into the
// texture when `copy` is set (inside the saved state, so that the texture's binding and making
// are undone with the rest).
void draw_layout(uint32_t *texture, const ScaleLayout &layout, bool copy) {
    const SavedState saved = push_state(layout);
    if (*texture == 0) {
        *texture = scale_make_texture(false);
    }
    glBindTexture(GL_TEXTURE_2D, *texture);
    if (copy) {
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SCALE_WIDTH, SCALE_HEIGHT);
    }
    glViewport(0, 0, layout.width, layout.height);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    if (leaves_margin(layout)) {
        const auto channel = [&layout](int shift) {
            return static_cast<float>((layout.fill >> shift) & 0xFFu) / 255.0f;
        };
        glClearColor(channel(16), channel(8), channel(0), 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    for (uint32_t i = 0; i < layout.count; ++i) {
        draw_part(layout.parts[i], layout.height);
    }
    pop_state(saved);
}

}  // namespace

uint32_t scale_make_texture(bool rgba) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, WRAP_MODE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, WRAP_MODE);
    const GLenum format = rgba ? GL_RGBA : GL_RGB;
    glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), TEXTURE_SIZE, TEXTURE_SIZE, 0, format,
                 GL_UNSIGNED_BYTE, nullptr);
    return name;
}

void scale_draw(uint32_t texture, const ScaleLayout &layout) {
    draw_layout(&texture, layout, false);
}

void scale_present(uint32_t *texture, int32_t width, int32_t height, int32_t scale) {
    if (width == SCALE_WIDTH && height == SCALE_HEIGHT && scale == 1) {
        return;
    }
    draw_layout(texture, scale_layout_whole(width, height, scale), true);
}
