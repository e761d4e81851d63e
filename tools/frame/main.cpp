// stakmir-frame: draws one frame of a described game state into a PNG through an offscreen
// OpenGL context, with the game's own textures and renderer.
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "assets/assets.h"
#include "offscreen_gl.h"
#include "render/render.h"
#include "scene.h"

namespace {

void usage(FILE *out) {
    std::fprintf(out,
                 "usage: stakmir-frame [--scene FILE] [--STATEMENT VALUE[,VALUE...]]... [--s3tc] -o OUTPUT.png\n"
                 "Draws one 480x320 frame of the game. Scene files hold one statement per line, words\n"
                 "separated by blanks; on the command line each statement is an option whose values are\n"
                 "separated by commas (e.g. --current 2,1,4,7.5). Later statements override earlier ones.\n"
                 "Backgrounds are decoded on the CPU unless --s3tc hands the DXT1 blocks to the driver.\n"
                 "Statements:\n%s",
                 scene_help());
}

std::vector<std::string> split_commas(const std::string &text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        out.push_back(part);
    }
    return out;
}

// Renders the state and writes it; false after the failing step has printed its message.
bool render_to_png(GameState state, bool s3tc, const std::string &output) {
    if (!test_gl_open(480, 320, s3tc)) {
        return false;
    }
    TextureSet *textures = create_textures();
    state.textures = textures;
    render_frame(&state);
    std::vector<uint8_t> pixels = test_gl_read_rgba();
    release_textures(textures);
    test_gl_close();
    for (size_t i = 3; i < pixels.size(); i += 4) {
        pixels[i] = 255;  // the window shows colour only
    }
    return write_png_rgba(output, 480, 320, pixels.data());
}

}  // namespace

int main(int argc, char **argv) {
    GameState state = scene_default();
    std::string output;
    bool s3tc = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        }
        if (arg == "--s3tc") {
            s3tc = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 && arg != "-o") {
            std::fprintf(stderr, "stakmir-frame: unexpected argument '%s' (see --help)\n", arg.c_str());
            return 1;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "stakmir-frame: %s needs a value\n", arg.c_str());
            return 1;
        }
        const std::string value = argv[++i];
        std::string error;
        bool ok = true;
        if (arg == "-o" || arg == "--output") {
            output = value;
        } else if (arg == "--scene") {
            ok = scene_load(&state, value, &error);
        } else {
            ok = scene_apply(&state, arg.substr(2), split_commas(value), &error);
        }
        if (!ok) {
            std::fprintf(stderr, "stakmir-frame: %s\n", error.c_str());
            return 1;
        }
    }
    if (output.empty()) {
        std::fprintf(stderr, "stakmir-frame: no output file given (-o OUTPUT.png)\n");
        return 1;
    }
    if (!render_to_png(state, s3tc, output)) {
        return 1;  // the context or the PNG writer has said why
    }
    return 0;
}
