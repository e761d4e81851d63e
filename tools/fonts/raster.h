// FreeType rasterising for the font builder.
#pragma once

#include <memory>
#include <string>

#include "fonts/fontgen.h"

namespace fontgen {

struct Face;
struct FaceDeleter {
    void operator()(Face *face) const;
};
// An open font face at a fixed pixel size; closed when the pointer goes.
using FacePtr = std::unique_ptr<Face, FaceDeleter>;

// Opens `path` at `pixel_size` with a horizontal scale (1 = natural width), for glyphs that are
// lightly hinted (heights only) and anti-aliased; null and a message on failure.
FacePtr face_open(const std::string &path, int pixel_size, double x_scale, std::string &error);
// Renders `code` and trims empty rows and columns of the bitmap; false with a message on error.
bool face_render(Face &face, uint32_t code, Ink &ink, std::string &error);

}  // namespace fontgen
