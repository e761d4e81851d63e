// The words on the title screen and the typefaces they are set in.
#pragma once

namespace art {

// The name, in bold letters with a colour gradient, an outline and a shadow.
constexpr const char *TITLE_TEXT = "Stakmir";
constexpr const char *TITLE_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// The line under the name, drawn by the game in solid black or white.
constexpr const char *CAPTION_TEXT = "falling blocks, stacked well";
constexpr const char *CAPTION_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

}  // namespace art
