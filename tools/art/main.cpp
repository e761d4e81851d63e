// stakmir-make-art: paints every picture of the game and writes them into data/ as C++
// sources of encoded images, plus the desktop icons as PNG files. Deterministic: the same
// sources always give the same bytes.
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "generate.h"

namespace {

bool parse_options(int argc, char **argv, art::GenerateOptions &options) {
    for (int i = 1; i < argc; ++i) {
        const bool has_value = i + 1 < argc;
        if (std::strcmp(argv[i], "--data") == 0 && has_value) {
            options.data_dir = argv[++i];
        } else if (std::strcmp(argv[i], "--preview") == 0 && has_value) {
            options.preview_dir = argv[++i];
        } else {
            return false;
        }
    }
    return !options.data_dir.empty();
}

}  // namespace

int main(int argc, char **argv) {
    art::GenerateOptions options;
    if (!parse_options(argc, argv, options)) {
        std::fprintf(stderr, "usage: stakmir-make-art --data <data folder> [--preview <folder>]\n");
        return 2;
    }
    if (!std::filesystem::is_directory(options.data_dir)) {
        std::fprintf(stderr, "stakmir-make-art: %s is not a folder\n", options.data_dir.c_str());
        return 1;
    }
    return art::generate_all(options) ? 0 : 1;
}
