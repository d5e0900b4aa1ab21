#include "tests/file_size_limit.h"
#include "tests/tools/tool_test_support.h"
#include "tests/unprivileged.h"
#include "tools/wav_reader.h"

#include <cmath>
#include <sys/stat.h>

// An extensible fmt chunk body at 65535 Hz whose sub-format GUID starts with code.
static Bytes ExtensibleBody(uint8_t code) {
    const Bytes guidTail = {0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    return Cat({FmtBody(0xFFFE, 1, 65535), {22, 0, 16, 0, 4, 0, 0, 0, code, 0}, guidTail});
}

const Bytes Data = Chunk("data", {1, 0, 0xFF, 0xFF, 0x00, 0x80}); // 1, -1, -32768

static std::pair<std::string, PcmWav> Parse(const Bytes& bytes) {
    const Bytes exact(bytes); // exact size, so that the sanitizers see a read past the end
    PcmWav wav;
    std::string error = ParsePcmWav(exact.data(), exact.size(), wav);
    return {error, wav};
}

TEST(WavReaderTest, AcceptsMonoPcmAmongOtherChunksAndRefusesTheRest) {
    const Bytes fast = Chunk("fmt ", FmtBody(1, 1, 65535));
    for (const Bytes& file :
         {Riff({Chunk("LIST", {1, 2, 3}), Data, fast}),
          Riff({Chunk("fmt ", ExtensibleBody(1)), Data}), Riff({fast, Data, Chunk("junk", {7})})}) {
        const auto [error, wav] = Parse(file);
        EXPECT_EQ(error, "");
        EXPECT_EQ(wav.sampleRate, 65535);
        EXPECT_EQ(wav.samples, (std::vector<int16_t>{1, -1, -32768}));
    }
    const Bytes fmt = Chunk("fmt ", FmtBody());
    Bytes badRate = FmtBody();
    badRate[8]++; // byte rate
    Bytes longRiff = CanonicalWav(22050, {1});
    longRiff[4] += 2;
    const std::pair<Bytes, const char*> cases[] = {
        {Riff({Chunk("fmt ", FmtBody(1, 1, 0)), Data}), "sample rate 0 Hz is outside"},
        {Riff({Chunk("fmt ", FmtBody(3)), Data}), "floating point"},
        {Riff({Chunk("fmt ", FmtBody(2)), Data}), "not integer PCM (format code 2)"},
        {Riff({Chunk("fmt ", ExtensibleBody(3)), Data}), "floating point"},
        {Riff({Chunk("fmt ", badRate), Data}), "byte rate"},
        {Riff({Chunk("fmt ", Bytes(14, 0)), Data}), "fmt chunk is 14 bytes, too short"},
        {Riff({fmt}), "no data chunk"},
        {Riff({Data}), "no fmt chunk"},
        {Riff({fmt, Data, Data}), "second \"data\" chunk"},
        {Riff({fmt, Chunk("data", {1, 2, 3})}), "not a whole number"},
        {Riff({fmt, Data, {'a', 'b', 'c', 'd'}}), "inside a chunk header"},
        {longRiff, "does not fit the file"},
        {Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '}, "not a RIFF WAVE file"}};
    for (const auto& [file, reason] : cases)
        EXPECT_THAT(Parse(file).first, HasSubstr(reason));
    // Every cut of a whole file, with a RIFF size that matches the cut.
    const Bytes full = Riff({Chunk("LIST", {1, 2, 3}), fmt, Data});
    for (size_t n = 0; n < full.size(); n++) {
        Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        if (n >= 8)
            cut[4] = static_cast<uint8_t>(n - 8);
        EXPECT_NE(Parse(cut).first, "") << n;
    }
}

TEST_F(ToolTest, PackRefusesInputItCannotEncodeAndWritesNothing) {
    WriteBytes(Path("good.wav"), CanonicalWav(22050, {1, 2}));
    WriteBytes(Path("stereo.wav"), Riff({Chunk("fmt ", FmtBody(1, 2)), Data}));
    WriteBytes(Path("8bit.wav"), Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 8)), Data}));
    WriteBytes(Path("fast.wav"), Riff({Chunk("fmt ", FmtBody(1, 1, 65536)), Data}));
    // 12 bytes of a file whose data chunk says 2 GiB: refused before the rest is read.
    WriteBytes(Path("long.wav"), Cat({Riff({Chunk("fmt ", FmtBody())}),
                                      {'d', 'a', 't', 'a'},
                                      Le(0x80000000, 4),
                                      Bytes(12, 0)}));
    const std::string prefix = "marrowvale-sounds: " + dir_ + "/";
    const std::string err =
        prefix +
        "stereo.wav: cannot be packed: it has 2 channels; only mono can be packed (mix it down "
        "first)\n" +
        prefix +
        "8bit.wav: cannot be packed: it has 8-bit samples; only 16-bit samples can be packed\n" +
        prefix +
        "fast.wav: cannot be packed: its sample rate 65536 Hz is outside 1 to 65535 Hz, the range "
        "a package can hold\n" +
        prefix +
        "long.wav: cannot be packed: more than 1073741800 samples, too many for one "
        "record\n" +
        "marrowvale-sounds: /dev/zero: is not a regular file: devices, FIFOs and sockets are not "
        "read\n" +
        prefix + "out.sel was not written.\n";
    EXPECT_EQ(RunTool({"pack", Path("out.sel"), Path("good.wav"), Path("stereo.wav"),
                       Path("8bit.wav"), Path("fast.wav"), Path("long.wav"), "/dev/zero"}),
              (ToolResult{1, "", err}));
    EXPECT_FALSE(std::filesystem::exists(Path("out.sel")));
}

// What stands under OUT is replaced whole or not at all: a FIFO is never opened, a file the
// user may not write is not replaced, a full disk leaves the old package; no temporary
// file stays behind.
TEST_F(ToolTest, PackNeverDestroysWhatItWouldReplace) {
    WriteBytes(Path("a.wav"), CanonicalWav(22050, std::vector<int16_t>(4000, 1000)));
    for (const char* name : {"ro.sel", "full.sel"})
        WriteBytes(Path(name), {1, 2, 3});
    chmod(Path("ro.sel").c_str(), 0444);
    chmod(dir_.c_str(), 0777);
    ASSERT_EQ(mkfifo(Path("fifo.sel").c_str(), 0666), 0);
    const auto pack = [&](const char* out) {
        return RunTool({"pack", Path(out), Path("a.wav")}).err;
    };
    const std::string ro = AsUnprivilegedUser([&] { return pack("ro.sel"); });
    std::string full;
    {
        const FileSizeLimit limit(1000); // below the package
        full = pack("full.sel");
    }
    const auto failed = [&](const char* name, const char* reason) {
        return "marrowvale-sounds: " + Path(name) + ": " + reason +
               "\nmarrowvale-sounds: " + Path(name) + " was not written.\n";
    };
    EXPECT_EQ(pack("fifo.sel"), failed("fifo.sel", "Not a regular file"));
    EXPECT_EQ(ro, failed("ro.sel", "Permission denied"));
    EXPECT_EQ(full, failed("full.sel", "File too large"));
    EXPECT_EQ(ReadBytes(Path("ro.sel")), (Bytes{1, 2, 3}));
    EXPECT_EQ(ReadBytes(Path("full.sel")), (Bytes{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 4);
}

TEST_F(ToolTest, PackThenExtractGivesTheSignalBackWithinAdpcmError) {
    // Three seconds at 22050 Hz of two sines and a chirp from 200 to 3200 Hz.
    std::vector<int16_t> signal(3 * 22050);
    const double pi = std::acos(-1.0);
    for (size_t i = 0; i < signal.size(); i++) {
        const double t = i / 22050.0;
        signal[i] = static_cast<int16_t>(7000 * std::sin(2 * pi * 440 * t) +
                                         4000 * std::sin(2 * pi * 1250 * t) +
                                         6000 * std::sin(2 * pi * (200 * t + 500 * t * t)));
    }
    WriteBytes(Path("signal.wav"), CanonicalWav(22050, signal));
    WriteBytes(Path("odd.wav"), CanonicalWav(8000, {0, 0, 0}));
    ASSERT_EQ(RunTool({"pack", Path("t.sel"), Path("signal.wav"), Path("odd.wav")}).status, 0);
    // 33075 code bytes in 16 full blocks and one of 307; then 2 code bytes.
    const Bytes package = ReadBytes(Path("t.sel"));
    ASSERT_EQ(package.size(), 8 + 33075 + 17 * 8 + 8 + 2 + 8u);
    EXPECT_EQ(Bytes(package.begin(), package.begin() + 16),
              (Bytes{0x22, 0x56, 0xBB, 0x81, 0, 0, 1, 0, 0x00, 0x08, 0x00, 0x20, 0, 0, 0, 0}));
    const size_t lastBlock = 8 + 16 * (2048 + 8); // 307 code bytes, 1228 output bytes
    EXPECT_EQ(Bytes(package.begin() + lastBlock, package.begin() + lastBlock + 4),
              (Bytes{0x33, 0x01, 0xCC, 0x04}));

    ASSERT_EQ(RunTool({"extract", "-o", dir_, Path("t.sel")}).status, 0);
    const auto [error, decoded] = Parse(ReadBytes(Path("t.sel.000.WAV")));
    ASSERT_EQ(error, "");
    EXPECT_EQ(decoded.sampleRate, 22050);
    ASSERT_EQ(decoded.samples.size(), signal.size());
    double power = 0, noise = 0;
    for (size_t i = 0; i < signal.size(); i++) {
        power += static_cast<double>(signal[i]) * signal[i];
        noise += std::pow(static_cast<double>(decoded.samples[i]) - signal[i], 2);
    }
    EXPECT_GE(10 * std::log10(power / noise), 20.0);
    // An odd count gets one padding sample; silence stays exact.
    EXPECT_EQ(ReadBytes(Path("t.sel.001.WAV")), CanonicalWav(8000, {0, 0, 0, 0}));
}
