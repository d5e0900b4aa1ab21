#include "tests/tools/tool_test_support.h"
#include "tools/wav_reader.h"

#include <cmath>
#include <filesystem>

namespace {

struct Format {
    uint16_t code = 1;
    uint16_t channels = 1;
    uint32_t rate = 22050;
    uint16_t bits = 16;
};

Bytes Chunk(const char* id, const Bytes& body) {
    Bytes chunk(id, id + 4);
    PutLe32(chunk, static_cast<uint32_t>(body.size()));
    Append(chunk, body);
    if (body.size() % 2)
        chunk.push_back(0); // pad byte
    return chunk;
}

Bytes FmtBody(const Format& f) {
    const uint16_t align = static_cast<uint16_t>(f.channels * f.bits / 8);
    Bytes body;
    PutLe16(body, f.code);
    PutLe16(body, f.channels);
    PutLe32(body, f.rate);
    PutLe32(body, f.rate * align);
    PutLe16(body, align);
    PutLe16(body, f.bits);
    return body;
}

// An extensible fmt chunk body whose sub-format has the given code.
Bytes ExtensibleBody(uint16_t subFormat) {
    Bytes body = FmtBody(Format{0xFFFE});
    Append(body, {22, 0, 16, 0, 4, 0, 0, 0}); // cbSize, valid bits, channel mask
    PutLe16(body, subFormat);
    Append(body,
           {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71});
    return body;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
    Bytes body = {'W', 'A', 'V', 'E'};
    for (const Bytes& chunk : chunks)
        Append(body, chunk);
    Bytes riff = {'R', 'I', 'F', 'F'};
    PutLe32(riff, static_cast<uint32_t>(body.size()));
    Append(riff, body);
    return riff;
}

const Bytes ThreeSamples = {1, 0, 0xFF, 0xFF, 0x00, 0x80}; // 1, -1, -32768

std::string Parse(const Bytes& bytes, PcmWav& wav) {
    // An exact-size copy, so that a read past the end is caught by the sanitizers.
    const Bytes exact(bytes);
    return ParsePcmWav(exact.data(), exact.size(), wav);
}

TEST(WavReaderTest, AcceptsMonoPcmWhateverChunksSurroundIt) {
    const Bytes files[] = {
        CanonicalWav(22050, {1, -1, -32768}),
        Riff({Chunk("LIST", {1, 2, 3}), Chunk("data", ThreeSamples), Chunk("fmt ", FmtBody({}))}),
        Riff({Chunk("fmt ", ExtensibleBody(1)), Chunk("data", ThreeSamples)}),
        Riff({Chunk("fmt ", FmtBody({})), Chunk("data", ThreeSamples), Chunk("junk", {7})}),
    };
    for (const Bytes& file : files) {
        PcmWav wav;
        EXPECT_EQ(Parse(file, wav), "");
        EXPECT_EQ(wav.sampleRate, 22050);
        EXPECT_EQ(wav.samples, (std::vector<int16_t>{1, -1, -32768}));
    }
}

TEST(WavReaderTest, RefusesWhatAPackageCannotHoldAndMalformedFiles) {
    const Bytes data = Chunk("data", ThreeSamples);
    Bytes badRate = FmtBody({});
    badRate[8]++; // byte rate
    Bytes longRiff = CanonicalWav(22050, {1});
    longRiff[4] += 2;
    const std::pair<Bytes, const char*> cases[] = {
        {Riff({Chunk("fmt ", FmtBody({1, 2})), data}), "it has 2 channels"},
        {Riff({Chunk("fmt ", FmtBody({1, 1, 22050, 8})), data}), "it has 8-bit samples"},
        {Riff({Chunk("fmt ", FmtBody({1, 1, 70000})), data}), "sample rate 70000 Hz is outside"},
        {Riff({Chunk("fmt ", FmtBody({1, 1, 0})), data}), "sample rate 0 Hz is outside"},
        {Riff({Chunk("fmt ", FmtBody({3})), data}), "floating point"},
        {Riff({Chunk("fmt ", FmtBody({2})), data}), "not integer PCM (format code 2)"},
        {Riff({Chunk("fmt ", ExtensibleBody(3)), data}), "floating point"},
        {Riff({Chunk("fmt ", badRate), data}), "byte rate"},
        {Riff({Chunk("fmt ", Bytes(14, 0)), data}), "fmt chunk is 14 bytes, too short"},
        {Riff({Chunk("fmt ", FmtBody({}))}), "no data chunk"},
        {Riff({data}), "no fmt chunk"},
        {Riff({Chunk("fmt ", FmtBody({})), data, data}), "second \"data\" chunk"},
        {Riff({Chunk("fmt ", FmtBody({})), Chunk("data", {1, 2, 3})}), "not a whole number"},
        {Riff({Chunk("fmt ", FmtBody({})), data, {'a', 'b', 'c', 'd'}}), "inside a chunk header"},
        {longRiff, "does not fit the file"},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "not a RIFF WAVE file"},
        {Bytes{'R', 'I', 'F', 'F'}, "not a RIFF WAVE file"},
    };
    for (const auto& [file, reason] : cases) {
        PcmWav wav;
        EXPECT_NE(Parse(file, wav).find(reason), std::string::npos) << reason;
    }
}

TEST(WavReaderTest, EveryCutOfAFileIsRefusedWithoutReadingPastIt) {
    const Bytes full =
        Riff({Chunk("LIST", {1, 2, 3}), Chunk("fmt ", FmtBody({})), Chunk("data", ThreeSamples)});
    for (size_t n = 0; n < full.size(); n++) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        if (n >= 8)
            cut[4] = static_cast<uint8_t>(n - 8); // a RIFF size that matches the cut file
        PcmWav wav;
        EXPECT_NE(Parse(cut, wav), "") << n;
    }
}

class PackCommandTest : public ToolTest {};

TEST_F(PackCommandTest, RefusesInputItCannotEncodeAndWritesNothing) {
    const Bytes data = Chunk("data", ThreeSamples);
    WriteBytes(Path("good.wav"), CanonicalWav(22050, {1, 2}));
    WriteBytes(Path("stereo.wav"), Riff({Chunk("fmt ", FmtBody({1, 2})), data}));
    WriteBytes(Path("8bit.wav"), Riff({Chunk("fmt ", FmtBody({1, 1, 22050, 8})), data}));
    WriteBytes(Path("fast.wav"), Riff({Chunk("fmt ", FmtBody({1, 1, 96000})), data}));
    const ToolResult result = RunTool({"pack", Path("out.sel"), Path("good.wav"),
                                       Path("stereo.wav"), Path("8bit.wav"), Path("fast.wav")});
    EXPECT_EQ(result.status, 1);
    const std::string prefix = "marrowvale-sounds: " + dir_ + "/";
    EXPECT_EQ(result.err,
              prefix +
                  "stereo.wav: cannot be packed: it has 2 channels; only mono can be packed "
                  "(mix it down first)\n" +
                  prefix +
                  "8bit.wav: cannot be packed: it has 8-bit samples; only 16-bit "
                  "samples can be packed\n" +
                  prefix +
                  "fast.wav: cannot be packed: its sample rate 96000 Hz is outside 1 "
                  "to 65535 Hz, the range a package can hold\n" +
                  prefix + "out.sel was not written.\n");
    EXPECT_FALSE(std::filesystem::exists(Path("out.sel")));
}

// A few seconds of two sines and a chirp from 200 to 3200 Hz, at rate Hz.
std::vector<int16_t> TestSignal(int rate, int count) {
    std::vector<int16_t> samples(count);
    const double pi = std::acos(-1.0);
    for (int i = 0; i < count; i++) {
        const double t = static_cast<double>(i) / rate;
        const double chirp = std::sin(2 * pi * (200 * t + 500 * t * t));
        samples[i] = static_cast<int16_t>(7000 * std::sin(2 * pi * 440 * t) +
                                          4000 * std::sin(2 * pi * 1250 * t) + 6000 * chirp);
    }
    return samples;
}

double SignalToNoiseDb(const std::vector<int16_t>& signal, const std::vector<int16_t>& decoded) {
    double power = 0, noise = 0;
    for (size_t i = 0; i < signal.size(); i++) {
        const double error = static_cast<double>(decoded[i]) - signal[i];
        power += static_cast<double>(signal[i]) * signal[i];
        noise += error * error;
    }
    return 10 * std::log10(power / noise);
}

TEST_F(PackCommandTest, PackThenExtractGivesTheSignalBackWithinAdpcmError) {
    const std::vector<int16_t> signal = TestSignal(22050, 3 * 22050); // 66150 samples
    WriteBytes(Path("signal.wav"), CanonicalWav(22050, signal));
    WriteBytes(Path("odd.wav"), CanonicalWav(8000, {100, 200, 300}));
    const ToolResult packed =
        RunTool({"pack", Path("test.sel"), Path("signal.wav"), Path("odd.wav")});
    ASSERT_EQ(packed.status, 0) << packed.err;
    // 33075 code bytes in 16 full blocks and one of 307; then 2 code bytes.
    const Bytes package = ReadBytes(Path("test.sel"));
    ASSERT_EQ(package.size(), 8 + 33075 + 17 * 8 + 8 + 2 + 8u);
    EXPECT_EQ(Bytes(package.begin(), package.begin() + 16),
              (Bytes{0x22, 0x56, 0xBB, 0x81, 0, 0, 1, 0, 0x00, 0x08, 0x00, 0x20, 0, 0, 0, 0}));
    const size_t lastBlock = 8 + 16 * (2048 + 8);
    EXPECT_EQ(Bytes(package.begin() + lastBlock, package.begin() + lastBlock + 4),
              (Bytes{0x33, 0x01, 0xCC, 0x04})); // 307 code bytes, 1228 output bytes

    ASSERT_EQ(RunTool({"extract", "-o", dir_, Path("test.sel")}).status, 0);
    PcmWav decoded;
    const Bytes wav = ReadBytes(Path("test.sel.000.WAV"));
    ASSERT_EQ(ParsePcmWav(wav.data(), wav.size(), decoded), "");
    EXPECT_EQ(decoded.sampleRate, 22050);
    ASSERT_EQ(decoded.samples.size(), signal.size());
    EXPECT_GE(SignalToNoiseDb(signal, decoded.samples), 20.0);

    // An odd count gets one padding sample.
    const Bytes odd = ReadBytes(Path("test.sel.001.WAV"));
    ASSERT_EQ(ParsePcmWav(odd.data(), odd.size(), decoded), "");
    EXPECT_EQ(decoded.sampleRate, 8000);
    EXPECT_EQ(decoded.samples.size(), 4u);
}

} // namespace
