#include "app/decode/adpcm_encode.h"
#include "decode_fixture.h"

#include <algorithm>

namespace {

struct Signal {
    const char* what;
    uint16_t rate;
    Samples16 samples;
    double atMost; // the search's error over the greedy codes' error, at most
};

Samples16 Noise(size_t count, uint32_t seed, int amplitude) {
    Samples16 out(count);
    for (int16_t& sample : out) {
        seed = seed * 1664525u + 1013904223u;
        sample =
            static_cast<int16_t>(static_cast<int>(seed >> 16) % (2 * amplitude + 1) - amplitude);
    }
    return out;
}

// A full-scale square wave of the given half period: the clamp at both limits.
Samples16 Square(size_t count, size_t halfPeriod) {
    Samples16 out(count);
    for (size_t i = 0; i < count; i++)
        out[i] = (i / halfPeriod) % 2 ? -32768 : 32767;
    return out;
}

// Ramps of 37 samples, rising and falling by turns, under noise.
Samples16 NoisyRamps(size_t count) {
    Samples16 out = Noise(count, 7, 600);
    for (size_t i = 0; i < count; i++)
        out[i] = static_cast<int16_t>(out[i] + ((i / 37) % 2 ? 1 : -1) * 9000 *
                                                   static_cast<int>(i % 37) / 37);
    return out;
}

// Squared error of the greedy codes, the bound of the search.
uint64_t GreedyError(const Samples16& samples) {
    AdpcmState state;
    uint64_t total = 0;
    for (const int16_t sample : samples) {
        AdpcmEncodeStep(state, sample);
        const int64_t error = sample - state.predictor;
        total += static_cast<uint64_t>(error * error);
    }
    return total;
}

using AdpcmSearchTest = ReaderTest;

// The greedy record with its codes replaced block by block: the layout the search keeps.
Bytes WithCodes(Bytes record, const Bytes& codes) {
    size_t at = 8;
    for (size_t first = 0; first < codes.size(); first += PackageBlockCodeBytes) {
        const size_t count = std::min<size_t>(PackageBlockCodeBytes, codes.size() - first);
        std::copy_n(codes.begin() + static_cast<std::ptrdiff_t>(first), count,
                    record.begin() + static_cast<std::ptrdiff_t>(at + 8));
        at += 8 + count;
    }
    return record;
}

TEST_F(AdpcmSearchTest, RecordsDecodeThroughTheReaderToWhatTheSearchScored) {
    // Greedy overshoots at each edge of the square and lags on the steep ramps. The ramps
    // cross three blocks and several points where the search fixes its codes.
    const Signal signals[] = {
        {"silence", 22050, Samples16(1000, 0), 1},
        {"full-scale square", 44100, Square(3001, 25), 0.1},
        {"single sample", 11025, {-12345}, 1},
        {"random, odd length", 8000, Noise(4097, 1, 32767), 0.6},
        {"ramps under noise, 3 blocks", 22050, NoisyRamps(9001), 0.5},
        {"rate word 65535", 65535, Noise(64, 2, 3000), 1},
        {"no samples", 22050, {}, 1},
    };
    Bytes package;
    std::vector<Bytes> codes;
    std::vector<uint64_t> scored;
    for (const Signal& s : signals) {
        const auto count = static_cast<int64_t>(s.samples.size());
        codes.emplace_back((s.samples.size() + 1) / 2, 0xEE);
        scored.push_back(0);
        ASSERT_EQ(AdpcmSearchEncode(s.samples.data(), count, codes.back().data(), scored.back()), 1)
            << s.what;
        EXPECT_LE(static_cast<double>(scored.back()),
                  s.atMost * static_cast<double>(GreedyError(s.samples)))
            << s.what;

        Bytes greedy, search;
        ASSERT_EQ(AppendPackageRecord(greedy, s.rate, s.samples.data(), count), 1);
        ASSERT_EQ(
            AppendPackageRecord(search, s.rate, s.samples.data(), count, AdpcmEncoder::Search), 1);
        EXPECT_EQ(search, WithCodes(greedy, codes.back())) << s.what;
        package.insert(package.end(), search.begin(), search.end());
    }
    Decode(package);
    ASSERT_EQ(entries.size(), std::size(signals));
    for (size_t r = 0; r < entries.size(); r++) {
        const Signal& s = signals[r];
        const Samples16 decoded = SamplesOf(entries[r]);
        EXPECT_EQ(entries[r]->Problems, 0u) << s.what;
        EXPECT_EQ(entries[r]->SampleRate, s.rate) << s.what;
        ASSERT_EQ(decoded.size(), 2 * codes[r].size()) << s.what;
        uint64_t error = 0;
        for (size_t i = 0; i < s.samples.size(); i++) {
            const int64_t d = s.samples[i] - decoded[i];
            error += static_cast<uint64_t>(d * d);
        }
        EXPECT_EQ(error, scored[r]) << s.what;
        if (s.samples.size() % 2) {
            EXPECT_EQ(codes[r].back() >> 4, 0) << s.what << ": the padding code";
        }
    }
}

TEST_F(AdpcmSearchTest, CountsOutOfRangeWriteAndAppendNothing) {
    Bytes codes(4, 0xEE);
    uint64_t scored = 7;
    const int16_t one = 100;
    EXPECT_EQ(AdpcmSearchEncode(&one, -1, codes.data(), scored), 0);
    EXPECT_EQ(AdpcmSearchEncode(&one, int64_t{1} << 32, codes.data(), scored), 0);
    EXPECT_EQ(codes, Bytes(4, 0xEE));
    EXPECT_EQ(scored, 7u);
    Bytes package{1, 2, 3};
    EXPECT_EQ(AppendPackageRecord(package, 22050, &one, -1, AdpcmEncoder::Search), 0);
    EXPECT_EQ(AppendPackageRecord(package, 22050, &one, -1, AdpcmEncoder::Greedy), 0);
    EXPECT_EQ(package, (Bytes{1, 2, 3}));
}

// Asked at samples 0, 65536, 131072 and 196608 of 200000; the first true answer ends it.
TEST_F(AdpcmSearchTest, AStopRequestEndsTheSearchAndAppendsNothing) {
    const Samples16 samples = Noise(200000, 3, 3000);
    const auto count = static_cast<int64_t>(samples.size());
    Bytes whole((samples.size() + 1) / 2);
    uint64_t wholeError = 0;
    ASSERT_EQ(AdpcmSearchEncode(samples.data(), count, whole.data(), wholeError), 1);
    static int asked, trueFrom;
    const AdpcmStopRequest stop = [] { return ++asked >= trueFrom; };
    const struct { int trueFrom, result, asked; } cases[] = {{1, 0, 1}, {3, 0, 3}, {5, 1, 4}};
    for (const auto& c : cases) {
        asked = 0;
        trueFrom = c.trueFrom;
        Bytes codes(whole.size());
        uint64_t scored = 7;
        EXPECT_EQ(AdpcmSearchEncode(samples.data(), count, codes.data(), scored, stop), c.result);
        EXPECT_EQ(asked, c.asked) << c.trueFrom;
        EXPECT_EQ(scored, c.result ? wholeError : 7u) << c.trueFrom;
        if (c.result) {
            EXPECT_EQ(codes, whole);
        }
    }
    asked = 0;
    trueFrom = 2;
    Bytes package{1, 2, 3};
    EXPECT_EQ(
        AppendPackageRecord(package, 22050, samples.data(), count, AdpcmEncoder::Search, stop), 0);
    EXPECT_EQ(package, (Bytes{1, 2, 3}));
}

} // namespace
