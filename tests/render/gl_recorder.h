// A recording stand-in for the OpenGL 1.1 entry points the renderer calls. Linked into the
// geometry tests instead of libGL: every call is logged with its arguments, and a small model
// of the fixed-function state turns the log into primitives with their vertices.
#pragma once

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One OpenGL call as made: its name and its arguments, each held exactly as a double.
struct GlCall {
    std::string name;
    std::vector<double> args;
};

// One vertex as the pipeline receives it, with the current attributes at that moment.
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
    bool texturing;      // GL_TEXTURE_2D enabled
    bool scissor;        // GL_SCISSOR_TEST enabled
    GLuint texture;      // bound 2-D texture
    int matrix_depth;    // modelview pushes outstanding
};

// The state as the recorder sees it after the calls so far.
struct GlModelState {
    bool texturing = false;
    bool scissor = false;
    bool blend = false;
    bool in_batch = false;
    GLuint texture = 0;
    int matrix_depth = 0;
    std::array<float, 4> colour = {1.0f, 1.0f, 1.0f, 1.0f};
    std::array<double, 16> modelview{};  // column-major, as OpenGL keeps it
};

// Forgets every call and resets the model to a fresh context's state.
void gl_recorder_reset();
// Every call since the last reset, in order.
const std::vector<GlCall> &gl_recorded_calls();
// Every batch since the last reset, in order.
const std::vector<GlPrimitive> &gl_recorded_primitives();
// The modelled state now.
const GlModelState &gl_recorded_state();
// Misuses seen since the last reset (a state change inside a batch, an unbalanced stack, ...).
const std::vector<std::string> &gl_recorded_errors();
// Names of the calls since the last reset, in order.
std::vector<std::string> gl_recorded_names();
