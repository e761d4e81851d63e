// Generating the data files: every picture painted, encoded and written into data/.
#pragma once

#include <string>

namespace art {

// Where generate_all writes.
struct GenerateOptions {
    std::string data_dir;     // the C++ sources and icons/ go here
    std::string preview_dir;  // PNG previews for looking at, or empty for none
};

// The C++ sources written into the data folder.
constexpr const char *GENERATED_SOURCES[] = {"backgrounds.cpp", "title.cpp", "tiles.cpp",
                                             "icons.cpp"};

// Paints every picture and writes GENERATED_SOURCES and icons/stakmir-<size>.png into the
// data folder (files whose content is unchanged are left alone); false with a message on
// failure.
bool generate_all(const GenerateOptions &options);

}  // namespace art
