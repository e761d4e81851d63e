// A recording stand-in for the OpenGL 1.1 entry points the renderer calls, linked into the
// geometry tests instead of libGL: every call is logged, and a small model of the
// fixed-function state turns the log into primitives with their vertices.
#pragma once

#include <GL/gl.h>

#include <array>
#include <string>
#include <vector>

struct GlCall {
    std::string name;
    std::vector<double> args;  // each held exactly as a double
};

struct GlVertex {
    double x, y;                 // as given
    double eye_x, eye_y;         // after the modelview matrix
    std::array<float, 2> tex;    // current texture coordinate
    std::array<float, 4> colour; // current colour
    bool integer;                // given with glVertex2i
};

// One glBegin..glEnd batch and the state it was drawn under.
struct GlPrimitive {
    GLenum mode;
    std::vector<GlVertex> vertices;
    bool texturing, scissor;  // GL_TEXTURE_2D, GL_SCISSOR_TEST enabled
    GLuint texture;           // bound 2-D texture
    int matrix_depth;         // modelview pushes outstanding
};

struct GlModelState {
    bool texturing = false, scissor = false, in_batch = false;
    GLuint texture = 0;
    int matrix_depth = 0;
    std::array<float, 4> colour = {1.0f, 1.0f, 1.0f, 1.0f};
    std::array<double, 16> modelview = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // column-major
};

void gl_recorder_reset();  // forgets every call, fresh context state
const std::vector<GlCall> &gl_recorded_calls();
const std::vector<GlPrimitive> &gl_recorded_primitives();
const GlModelState &gl_recorded_state();
// Misuses seen since the last reset (a state change inside a batch, an unbalanced stack, ...).
const std::vector<std::string> &gl_recorded_errors();
