// Builds the example package that comes with the program: a few short sounds synthesised
// here and encoded with the program's own encoder, so that a new user has a package to
// open at once. Usage: make_examples OUTPUT.sel
#include "app/decode/adpcm.h"
#include "app/decode/adpcm_encode.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr double Pi = 3.14159265358979323846;

struct Sound {
    uint16_t rate; // Hz
    std::vector<int16_t> samples;
};

int16_t Clip(double v) {
    const double s = std::round(v * 32767.0);
    return static_cast<int16_t>(s > 32767 ? 32767 : (s < -32768 ? -32768 : s));
}

// A struck chord: three partials with an exponential decay.
Sound Chime() {
    Sound s{22050, {}};
    const double freqs[] = {523.25, 659.25, 783.99};
    const int n = 22050 * 6 / 5;
    for (int i = 0; i < n; i++) {
        const double t = i / 22050.0;
        double v = 0;
        for (double f : freqs)
            v += std::sin(2 * Pi * f * t) / 3;
        s.samples.push_back(Clip(0.8 * v * std::exp(-3.0 * t)));
    }
    return s;
}

// A plucked string: a burst of noise fed back through a short averaging delay line.
Sound Pluck() {
    Sound s{22050, {}};
    std::vector<double> line(22050 / 147);
    uint32_t seed = 12345;
    for (double& x : line) {
        seed = seed * 1664525u + 1013904223u;
        x = static_cast<double>(seed >> 8) / (1 << 24) * 2 - 1;
    }
    for (int i = 0; i < 22050; i++) {
        const size_t k = static_cast<size_t>(i) % line.size();
        const double next = line[(k + 1) % line.size()];
        s.samples.push_back(Clip(0.7 * line[k]));
        line[k] = 0.996 * 0.5 * (line[k] + next);
    }
    return s;
}

// Footsteps: four short noise bursts, each fading out.
Sound Steps() {
    Sound s{11025, {}};
    uint32_t seed = 777;
    for (int i = 0; i < 11025 * 2; i++) {
        const double inStep = (i % 5512) / 11025.0;
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / (1 << 24) * 2 - 1;
        s.samples.push_back(Clip(0.6 * noise * std::exp(-40.0 * inStep)));
    }
    return s;
}

// A rising sweep from 200 Hz to 3000 Hz over one second.
Sound Sweep() {
    Sound s{44100, {}};
    double phase = 0;
    for (int i = 0; i < 44100; i++) {
        const double t = i / 44100.0;
        phase += 2 * Pi * (200 + 2800 * t) / 44100.0;
        s.samples.push_back(Clip(0.5 * std::sin(phase) * std::min(1.0, 20 * (1 - t))));
    }
    return s;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples OUTPUT.sel\n");
        return 2;
    }
    InitDecoderTables(); // the encoder steps through the decoder's tables
    std::vector<uint8_t> package;
    for (const Sound& sound : {Chime(), Pluck(), Steps(), Sweep()}) {
        if (!AppendPackageRecord(package, sound.rate, sound.samples.data(),
                                 static_cast<int64_t>(sound.samples.size())))
            return 1;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out)
        return 1;
    const bool written = std::fwrite(package.data(), 1, package.size(), out) == package.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
