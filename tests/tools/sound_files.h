// Sound files for the companion's tests, written and read with the sound file library:
// any format it writes, a sine of the tests' choosing.
#pragma once

#include <sndfile.h>

#include <cmath>
#include <string>
#include <vector>

struct Sound {
    int rate = 0;
    int channels = 0;
    std::vector<int16_t> samples; // interleaved
};

// frames frames of a sine of hz at amplitude (full scale 1) on every channel; false when
// the library cannot write the format.
inline bool WriteSine(const std::string& path, int format, int channels, int rate, int frames,
                      double hz, double amplitude = 0.5) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<double> data(static_cast<size_t>(frames) * channels);
    for (size_t k = 0; k < data.size(); k++)
        data[k] = amplitude * std::sin(2 * M_PI * hz * static_cast<double>(k / channels) / rate);
    const bool written = sf_writef_double(file, data.data(), frames) == frames;
    return sf_close(file) == 0 && written;
}

inline Sound ReadSound(const std::string& path) {
    SF_INFO info{};
    Sound sound;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return sound;
    sound.rate = info.samplerate;
    sound.channels = info.channels;
    sound.samples.resize(static_cast<size_t>(info.frames * info.channels));
    sound.samples.resize(static_cast<size_t>(
        sf_readf_short(file, sound.samples.data(), info.frames) * info.channels));
    sf_close(file);
    return sound;
}

// Signal-to-noise ratio of decoded against source, in dB, over their common length.
inline double SignalToNoise(const std::vector<int16_t>& source,
                            const std::vector<int16_t>& decoded) {
    double power = 0, noise = 0;
    for (size_t i = 0; i < source.size() && i < decoded.size(); i++) {
        power += static_cast<double>(source[i]) * source[i];
        noise += std::pow(static_cast<double>(decoded[i]) - source[i], 2);
    }
    return 10 * std::log10(power / noise);
}
