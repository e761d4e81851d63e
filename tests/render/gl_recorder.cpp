// The recording OpenGL stand-in: definitions of the entry points the renderer uses.
#include "gl_recorder.h"

#include <cmath>
#include <numbers>

namespace {

struct Recorder {
    std::vector<GlCall> calls;
    std::vector<GlPrimitive> primitives;
    std::vector<std::string> errors;
    std::vector<std::array<double, 16>> stack;
    GlModelState state;
    std::array<float, 2> tex = {0.0f, 0.0f};
};

Recorder r;

// Logs a call; calls that change state (outside true) are not allowed between glBegin and glEnd.
void log(const char *name, std::vector<double> args, bool outside = false) {
    r.calls.push_back(GlCall{name, std::move(args)});
    if (outside && r.state.in_batch) {
        r.errors.push_back(std::string(name) + " inside glBegin/glEnd");
    }
}

void multiply(const std::array<double, 16> &m) {
    std::array<double, 16> &a = r.state.modelview;
    std::array<double, 16> out{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            for (int k = 0; k < 4; ++k) {
                out[col * 4 + row] += a[k * 4 + row] * m[col * 4 + k];
            }
        }
    }
    a = out;
}

void vertex(double x, double y, bool integer) {
    if (!r.state.in_batch) {
        r.errors.push_back("vertex outside glBegin/glEnd");
        return;
    }
    const std::array<double, 16> &m = r.state.modelview;
    r.primitives.back().vertices.push_back(
        GlVertex{x, y, m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13], r.tex, r.state.colour, integer});
}

void set_cap(const char *name, GLenum cap, bool on) {
    log(name, {static_cast<double>(cap)}, true);
    (cap == GL_TEXTURE_2D ? r.state.texturing : cap == GL_SCISSOR_TEST ? r.state.scissor : on) = on;
}

}  // namespace

void gl_recorder_reset() { r = Recorder{}; }
const std::vector<GlCall> &gl_recorded_calls() { return r.calls; }
const std::vector<GlPrimitive> &gl_recorded_primitives() { return r.primitives; }
const GlModelState &gl_recorded_state() { return r.state; }
const std::vector<std::string> &gl_recorded_errors() { return r.errors; }

extern "C" {

void glBegin(GLenum mode) {
    log("glBegin", {static_cast<double>(mode)});
    if (r.state.in_batch) {
        r.errors.push_back("nested glBegin");
    }
    r.state.in_batch = true;
    r.primitives.push_back(GlPrimitive{mode, {}, r.state.texturing, r.state.scissor, r.state.texture,
                                       r.state.matrix_depth});
}

void glEnd() {
    log("glEnd", {});
    if (!r.state.in_batch) {
        r.errors.push_back("glEnd without glBegin");
    }
    r.state.in_batch = false;
}

void glVertex2f(GLfloat x, GLfloat y) { log("glVertex2f", {x, y}); vertex(x, y, false); }
void glVertex2i(GLint x, GLint y) { log("glVertex2i", {double(x), double(y)}); vertex(x, y, true); }
void glTexCoord2f(GLfloat s, GLfloat t) { log("glTexCoord2f", {s, t}); r.tex = {s, t}; }
void glTexCoord2fv(const GLfloat *v) { log("glTexCoord2fv", {v[0], v[1]}); r.tex = {v[0], v[1]}; }
void glColor3fv(const GLfloat *v) {
    log("glColor3fv", {v[0], v[1], v[2]});
    r.state.colour = {v[0], v[1], v[2], 1.0f};
}
void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    log("glColor4f", {red, green, blue, alpha});
    r.state.colour = {red, green, blue, alpha};
}
void glColor4fv(const GLfloat *v) {
    log("glColor4fv", {v[0], v[1], v[2], v[3]});
    r.state.colour = {v[0], v[1], v[2], v[3]};
}
void glBindTexture(GLenum target, GLuint texture) {
    log("glBindTexture", {double(target), double(texture)}, true);
    r.state.texture = texture;
}
void glEnable(GLenum cap) { set_cap("glEnable", cap, true); }
void glDisable(GLenum cap) { set_cap("glDisable", cap, false); }
void glClear(GLbitfield mask) { log("glClear", {double(mask)}, true); }

void glPushMatrix() {
    log("glPushMatrix", {}, true);
    r.stack.push_back(r.state.modelview);
    ++r.state.matrix_depth;
}

void glPopMatrix() {
    log("glPopMatrix", {}, true);
    if (r.stack.empty()) {
        r.errors.push_back("glPopMatrix on an empty stack");
        return;
    }
    r.state.modelview = r.stack.back();
    r.stack.pop_back();
    --r.state.matrix_depth;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    log("glTranslatef", {x, y, z}, true);
    multiply({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    log("glScalef", {x, y, z}, true);
    multiply({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    log("glRotatef", {angle, x, y, z}, true);
    if (x != 0.0f || y != 0.0f || z != 1.0f) {
        r.errors.push_back("glRotatef about an axis other than z");
        return;
    }
    const double a = static_cast<double>(angle) * std::numbers::pi / 180.0;
    multiply({std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

}  // extern "C"
