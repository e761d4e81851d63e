// Every effect as the mixer renders it: its length, its peak, silence at both ends, its loudness
// against the others, and the same samples on every run and platform.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "sound/sound.h"

namespace {

constexpr double PEAK_LIMIT = 0.70794578;  // -3 dBFS

struct Expected {
    SoundId id;
    const char *name;
    double longest_seconds;
};

constexpr Expected EFFECTS[] = {
    {SOUND_SHIFT, "shift", 0.1},         {SOUND_TURN, "turn", 0.1},          {SOUND_SLAM, "slam", 0.6},
    {SOUND_LOCK, "lock", 0.6},           {SOUND_CLEAR_1, "clear 1", 0.6},    {SOUND_CLEAR_2, "clear 2", 0.6},
    {SOUND_CLEAR_3, "clear 3", 0.6},     {SOUND_CLEAR_4, "clear 4", 0.6},    {SOUND_LEVEL, "level", 0.6},
    {SOUND_LANDSCAPE, "landscape", 0.6}, {SOUND_GAME_OVER, "game over", 2.0}, {SOUND_START, "start", 0.6},
};

// The effect alone through a fresh mixer, and a few frames after it.
std::vector<int16_t> render(SoundId id, uint32_t rate, uint32_t extra = 64) {
    SoundMixer mixer{};
    sound_mixer_start(&mixer, rate);
    sound_play(&mixer, id);
    std::vector<int16_t> samples(sound_length(id, rate) + extra);
    sound_mix(&mixer, samples.data(), static_cast<uint32_t>(samples.size()));
    return samples;
}

double rms_db(const std::vector<int16_t> &samples) {
    double sum = 0.0;
    for (const int16_t s : samples) {
        sum += (s / 32768.0) * (s / 32768.0);
    }
    return 10.0 * std::log10(sum / static_cast<double>(samples.size()));
}

uint64_t fnv1a(const std::vector<int16_t> &samples, uint64_t hash) {
    for (const int16_t s : samples) {
        for (int byte = 0; byte < 2; ++byte) {
            hash = (hash ^ ((static_cast<uint16_t>(s) >> (8 * byte)) & 0xFFu)) * 0x100000001B3ull;
        }
    }
    return hash;
}

}  // namespace

// Each effect: short, at most -3 dBFS, silent at its first and last frame and after it, the same
// samples twice; all of even loudness but the four-row clear and the end, which may stand out.
TEST(Sound, EveryEffectIsShortCleanAndEvenlyLoud) {
    ASSERT_EQ(std::size(EFFECTS), static_cast<size_t>(SOUND_COUNT));
    std::vector<double> loudness;
    uint64_t hash = 0xCBF29CE484222325ull;
    for (const Expected &effect : EFFECTS) {
        SCOPED_TRACE(effect.name);
        const uint32_t length = sound_length(effect.id, SOUND_RATE);
        EXPECT_GT(length, SOUND_RATE / 50);
        EXPECT_LT(length, effect.longest_seconds * SOUND_RATE);
        const std::vector<int16_t> samples = render(effect.id, SOUND_RATE);
        int peak = 0;
        for (const int16_t s : samples) {
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_LE(peak, PEAK_LIMIT * 32767.0);
        EXPECT_GT(peak, 0.1 * 32767.0);
        EXPECT_EQ(samples.front(), 0);
        EXPECT_LE(std::abs(samples[length - 1]), 8);
        EXPECT_TRUE(std::all_of(samples.begin() + length, samples.end(), [](int16_t s) { return s == 0; }));
        EXPECT_EQ(samples, render(effect.id, SOUND_RATE));
        const std::vector<int16_t> sounding(samples.begin(), samples.begin() + length);
        loudness.push_back(rms_db(sounding));
        hash = fnv1a(samples, hash);
    }
    for (size_t i = 0; i < loudness.size(); ++i) {
        std::printf("%-10s %6.1f dB RMS\n", EFFECTS[i].name, loudness[i]);
    }
    std::vector<double> even;
    for (size_t i = 0; i < loudness.size(); ++i) {
        if (EFFECTS[i].id != SOUND_CLEAR_4 && EFFECTS[i].id != SOUND_GAME_OVER) {
            even.push_back(loudness[i]);
        }
    }
    const auto [quietest, loudest] = std::minmax_element(even.begin(), even.end());
    EXPECT_LE(*loudest - *quietest, 4.0);
    for (const SoundId standing_out : {SOUND_CLEAR_4, SOUND_GAME_OVER}) {
        EXPECT_GE(loudness[standing_out], *quietest - 1.0);
        EXPECT_LE(loudness[standing_out], *loudest + 6.0);
    }
    // The same on every platform the tests run on: the synthesizer uses no library function
    // whose last bits differ between C libraries.
    EXPECT_EQ(hash, 0xff6201df09d8a474ull) << std::hex << hash;
}
