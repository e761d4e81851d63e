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

Recorder &rec() {
    static Recorder recorder;
    return recorder;
}

constexpr std::array<double, 16> IDENTITY = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

void log(const char *name, std::vector<double> args) {
    rec().calls.push_back(GlCall{name, std::move(args)});
}

// Calls that change state are not allowed between glBegin and glEnd.
void outside_batch(const char *name) {
    if (rec().state.in_batch) {
        rec().errors.push_back(std::string(name) + " inside glBegin/glEnd");
    }
}

void multiply(const std::array<double, 16> &m) {
    std::array<double, 16> &a = rec().state.modelview;
    std::array<double, 16> r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + row] * m[col * 4 + k];
            }
            r[col * 4 + row] = sum;
        }
    }
    a = r;
}

void vertex(double x, double y, bool integer) {
    Recorder &r = rec();
    if (!r.state.in_batch) {
        r.errors.push_back("vertex outside glBegin/glEnd");
        return;
    }
    const std::array<double, 16> &m = r.state.modelview;
    GlVertex v{x, y, m[0] * x + m[4] * y + m[12], m[1] * x + m[5] * y + m[13], r.tex, r.state.colour, integer};
    r.primitives.back().vertices.push_back(v);
}

void set_cap(GLenum cap, bool on) {
    GlModelState &s = rec().state;
    if (cap == GL_TEXTURE_2D) {
        s.texturing = on;
    } else if (cap == GL_SCISSOR_TEST) {
        s.scissor = on;
    } else if (cap == GL_BLEND) {
        s.blend = on;
    }
}

}  // namespace

void gl_recorder_reset() {
    rec() = Recorder{};
    rec().state.modelview = IDENTITY;
}

const std::vector<GlCall> &gl_recorded_calls() { return rec().calls; }
const std::vector<GlPrimitive> &gl_recorded_primitives() { return rec().primitives; }
const GlModelState &gl_recorded_state() { return rec().state; }
const std::vector<std::string> &gl_recorded_errors() { return rec().errors; }

std::vector<std::string> gl_recorded_names() {
    std::vector<std::string> names;
    for (const GlCall &c : rec().calls) {
        names.push_back(c.name);
    }
    return names;
}

extern "C" {

void glBegin(GLenum mode) {
    log("glBegin", {static_cast<double>(mode)});
    Recorder &r = rec();
    if (r.state.in_batch) {
        r.errors.push_back("nested glBegin");
    }
    r.state.in_batch = true;
    r.primitives.push_back(GlPrimitive{mode, {}, r.state.texturing, r.state.scissor, r.state.texture,
                                       r.state.matrix_depth});
}

void glEnd() {
    log("glEnd", {});
    if (!rec().state.in_batch) {
        rec().errors.push_back("glEnd without glBegin");
    }
    rec().state.in_batch = false;
}

void glVertex2f(GLfloat x, GLfloat y) {
    log("glVertex2f", {x, y});
    vertex(x, y, false);
}

void glVertex2i(GLint x, GLint y) {
    log("glVertex2i", {static_cast<double>(x), static_cast<double>(y)});
    vertex(x, y, true);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    log("glTexCoord2f", {s, t});
    rec().tex = {s, t};
}

void glTexCoord2fv(const GLfloat *v) {
    log("glTexCoord2fv", {v[0], v[1]});
    rec().tex = {v[0], v[1]};
}

void glColor3fv(const GLfloat *v) {
    log("glColor3fv", {v[0], v[1], v[2]});
    rec().state.colour = {v[0], v[1], v[2], 1.0f};
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    log("glColor4f", {red, green, blue, alpha});
    rec().state.colour = {red, green, blue, alpha};
}

void glColor4fv(const GLfloat *v) {
    log("glColor4fv", {v[0], v[1], v[2], v[3]});
    rec().state.colour = {v[0], v[1], v[2], v[3]};
}

void glBindTexture(GLenum target, GLuint texture) {
    log("glBindTexture", {static_cast<double>(target), static_cast<double>(texture)});
    outside_batch("glBindTexture");
    rec().state.texture = texture;
}

void glEnable(GLenum cap) {
    log("glEnable", {static_cast<double>(cap)});
    outside_batch("glEnable");
    set_cap(cap, true);
}

void glDisable(GLenum cap) {
    log("glDisable", {static_cast<double>(cap)});
    outside_batch("glDisable");
    set_cap(cap, false);
}

void glPushMatrix() {
    log("glPushMatrix", {});
    outside_batch("glPushMatrix");
    rec().stack.push_back(rec().state.modelview);
    ++rec().state.matrix_depth;
}

void glPopMatrix() {
    log("glPopMatrix", {});
    outside_batch("glPopMatrix");
    if (rec().stack.empty()) {
        rec().errors.push_back("glPopMatrix on an empty stack");
        return;
    }
    rec().state.modelview = rec().stack.back();
    rec().stack.pop_back();
    --rec().state.matrix_depth;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    log("glTranslatef", {x, y, z});
    outside_batch("glTranslatef");
    multiply({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1});
}

void glScalef(GLfloat x, GLfloat y, GLfloat z) {
    log("glScalef", {x, y, z});
    outside_batch("glScalef");
    multiply({x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1});
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    log("glRotatef", {angle, x, y, z});
    outside_batch("glRotatef");
    if (x != 0.0f || y != 0.0f || z != 1.0f) {
        rec().errors.push_back("glRotatef about an axis other than z");
        return;
    }
    const double a = static_cast<double>(angle) * std::numbers::pi / 180.0;
    const double c = std::cos(a);
    const double s = std::sin(a);
    multiply({c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
}

void glClear(GLbitfield mask) {
    log("glClear", {static_cast<double>(mask)});
    outside_batch("glClear");
}

void glScissor(GLint x, GLint y, GLsizei width, GLsizei height) {
    log("glScissor", {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                      static_cast<double>(height)});
}

}  // extern "C"
