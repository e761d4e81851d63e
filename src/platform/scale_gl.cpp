// The enlargement of a finished frame: copied into a texture, drawn as one quad over the window.
// The frame's own drawing is untouched, and the cost is one copy and one large quad, whatever
// the scale.
#include <GL/gl.h>

#include "platform/scale.h"

namespace {

// A power of two for OpenGL 1.1 that holds the 480 by 320 frame.
constexpr int32_t TEXTURE_SIZE = 512;

void make_texture(uint32_t *texture) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, TEXTURE_SIZE, TEXTURE_SIZE, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    *texture = name;
}

void push_state(int32_t width, int32_t height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
}

void pop_state() {
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

}  // namespace

void scale_present(uint32_t *texture, int32_t width, int32_t height, int32_t scale) {
    if (width == SCALE_WIDTH && height == SCALE_HEIGHT && scale == 1) {
        return;
    }
    push_state(width, height);
    if (*texture == 0) {
        make_texture(texture);
    }
    glBindTexture(GL_TEXTURE_2D, *texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, SCALE_WIDTH, SCALE_HEIGHT);
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    // Whole pixels on both sides of the picture: every pixel's centre then samples one texel.
    const int32_t left = (width - SCALE_WIDTH * scale) / 2;
    const int32_t bottom = (height - SCALE_HEIGHT * scale) / 2;
    const int32_t right = left + SCALE_WIDTH * scale;
    const int32_t top = bottom + SCALE_HEIGHT * scale;
    if (left > 0 || bottom > 0 || right < width || top < height) {  // black around it
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const float s = static_cast<float>(SCALE_WIDTH) / TEXTURE_SIZE;
    const float t = static_cast<float>(SCALE_HEIGHT) / TEXTURE_SIZE;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2i(left, bottom);
    glTexCoord2f(s, 0.0f);
    glVertex2i(right, bottom);
    glTexCoord2f(s, t);
    glVertex2i(right, top);
    glTexCoord2f(0.0f, t);
    glVertex2i(left, top);
    glEnd();
    pop_state();
}
