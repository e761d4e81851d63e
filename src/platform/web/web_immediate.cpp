// OpenGL's immediate mode for the renderer, on top of Emscripten's fixed-function emulation.
// The emulation takes a vertex's colour and texture coordinate only from calls made for that
// very vertex: a colour set once for several vertices, as OpenGL allows and the renderer does
// (the well's gradient, the cells of one kind), shifts all the data it collects. So the current
// colour and texture coordinate are kept here, every vertex is stored whole, and glEnd draws the
// batch from one interleaved array: quads and quad strips as triangles, lines and points as
// they are. Only the calls the renderer makes between glBegin and glEnd are defined here;
// everything else is the emulation's.
#include <GL/gl.h>

#include <vector>

namespace {

struct Vertex {
    GLfloat x, y, z;
    GLfloat s, t;
    GLfloat r, g, b, a;
};

struct Immediate {
    GLenum mode = GL_POINTS;
    GLfloat colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};  // OpenGL's initial current colour
    GLfloat texcoord[2] = {0.0f, 0.0f};
    bool textured = false;  // a texture coordinate was given in this batch
    std::vector<Vertex> vertices;
    std::vector<Vertex> triangles;
};

Immediate immediate;

void add_vertex(GLfloat x, GLfloat y) {
    const Immediate &im = immediate;
    immediate.vertices.push_back(Vertex{x, y, 0.0f, im.texcoord[0], im.texcoord[1], im.colour[0], im.colour[1],
                                        im.colour[2], im.colour[3]});
}

// The quad (a b c d) as the triangles (a b c) and (a c d).
void push_quad(std::vector<Vertex> &out, const Vertex &a, const Vertex &b, const Vertex &c, const Vertex &d) {
    out.insert(out.end(), {a, b, c, a, c, d});
}

// Quads (0 1 2 3), or a quad strip's pairs (0 1), (2 3) as the quad (0 1 3 2), as triangles.
const std::vector<Vertex> &as_triangles(GLenum mode, const std::vector<Vertex> &v) {
    std::vector<Vertex> &out = immediate.triangles;
    out.clear();
    if (mode == GL_QUADS) {
        for (size_t i = 0; i + 3 < v.size(); i += 4) {
            push_quad(out, v[i], v[i + 1], v[i + 2], v[i + 3]);
        }
    } else {
        for (size_t i = 0; i + 3 < v.size(); i += 2) {
            push_quad(out, v[i], v[i + 1], v[i + 3], v[i + 2]);
        }
    }
    return out;
}

void draw(GLenum mode, const std::vector<Vertex> &v) {
    if (v.empty()) {
        return;
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, sizeof(Vertex), &v[0].x);
    glColorPointer(4, GL_FLOAT, sizeof(Vertex), &v[0].r);
    if (immediate.textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), &v[0].s);
    } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDrawArrays(mode, 0, static_cast<GLsizei>(v.size()));
}

}  // namespace

extern "C" {

void glBegin(GLenum mode) {
    immediate.mode = mode;
    immediate.textured = false;
    immediate.vertices.clear();
}

void glEnd() {
    const GLenum mode = immediate.mode;
    if (mode == GL_QUADS || mode == GL_QUAD_STRIP) {
        draw(GL_TRIANGLES, as_triangles(mode, immediate.vertices));
    } else {
        draw(mode, immediate.vertices);
    }
    immediate.vertices.clear();
}

void glVertex2f(GLfloat x, GLfloat y) {
    add_vertex(x, y);
}

void glVertex2i(GLint x, GLint y) {
    add_vertex(static_cast<GLfloat>(x), static_cast<GLfloat>(y));
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    immediate.colour[0] = red;
    immediate.colour[1] = green;
    immediate.colour[2] = blue;
    immediate.colour[3] = alpha;
}

void glColor4fv(const GLfloat *v) {
    glColor4f(v[0], v[1], v[2], v[3]);
}

void glColor3fv(const GLfloat *v) {
    glColor4f(v[0], v[1], v[2], 1.0f);
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    immediate.texcoord[0] = s;
    immediate.texcoord[1] = t;
    immediate.textured = true;
}

void glTexCoord2fv(const GLfloat *v) {
    glTexCoord2f(v[0], v[1]);
}

}  // extern "C"
