// The sound the decode benchmarks encode: a tone with some noise, so that the encoder
// uses every code.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<int16_t> BenchSound(int64_t count) {
    std::vector<int16_t> samples(static_cast<size_t>(count));
    uint32_t noise = 1;
    for (int64_t i = 0; i < count; i++) {
        noise = noise * 1664525u + 1013904223u;
        const double tone = 10000.0 * std::sin(static_cast<double>(i) * 0.031);
        samples[static_cast<size_t>(i)] =
            static_cast<int16_t>(tone + static_cast<double>(noise >> 20) - 2048.0);
    }
    return samples;
}
