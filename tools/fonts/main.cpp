// stakmir-make-fonts <data-dir> [font-dir]: writes data/font_text.cpp and data/font_score.cpp.
#include <cstdio>
#include <string>

#include "fonts/fontgen.h"

int main(int argc, char **argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: stakmir-make-fonts <data-dir> [font-dir]\n");
        return 2;
    }
    const std::string font_dir = argc == 3 ? argv[2] : fontgen::DEFAULT_FONT_DIR;
    std::string error;
    if (!fontgen::write_fonts(argv[1], font_dir, error)) {
        std::fprintf(stderr, "stakmir-make-fonts: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
