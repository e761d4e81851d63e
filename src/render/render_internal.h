// Helpers shared by the renderer's source files; not part of its public interface.
#pragma once

#include <cstdint>

// Screen x of the left edge of well column `column`: 300 + 15c, rounded once to float.
inline float cell_x(float column) { return static_cast<float>(300.0 + 15.0 * static_cast<double>(column)); }

// Screen y of the lower edge of well row `row`: 295 - 15r, rounded once to float.
inline float cell_y(float row) { return static_cast<float>(295.0 - 15.0 * static_cast<double>(row)); }

// The level band: level / 2, capped at 3 (and never below 0).
inline int level_band(int level) {
    const int band = level / 2;
    return band < 0 ? 0 : (band > 3 ? 3 : band);
}

// Rounds to single precision, then limits to 0..1.
inline float clamp_unit(double value) {
    const auto v = static_cast<float>(value);
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}
