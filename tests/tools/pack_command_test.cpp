#include "tests/file_size_limit.h"
#include "tests/tools/sound_files.h"
#include "tests/tools/tool_test_support.h"
#include "tests/unprivileged.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The records pack encoded, from its --json preview.
static nlohmann::json Preview(const ToolResult& result) {
    return result.status == 0 ? nlohmann::json::parse(result.out)["records"] : nlohmann::json();
}

// A sine of 48 samples a period, one second, in each kind of file: the record keeps the file's rate
// when the rate word holds it (else 44100 Hz), channels are mixed down, and the round trip keeps
// the 4-bit codec's quality whatever the source's sample type.
TEST_F(ToolTest, PackTakesEverySoundFileTheLibraryReads) {
    struct Case {
        const char* name;
        int format, channels, rate, recordRate;
        double amplitude = 0.5;
    };
    const Case cases[] = {
        {"mono16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, 48000, 48000},
        {"stereo24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2, 48000, 48000},
        {"float96k.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 2, 96000, 44100},
        {"u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 8000, 8000},
        {"ext32.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_32, 3, 16000, 16000},
        {"be.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 11025, 11025},
        {"voice.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 1, 22050, 22050},
        {"voice.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 2, 48000, 48000},
        {"song.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 1, 44100, 44100},
        {"loud.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 32000, 32000, 1.5}, // beyond full scale
    };
    // Samples of the loud sine that 16 bits cannot hold: those beyond full scale once
    // rounded, as the file's 32-bit floats hold them.
    const auto BeyondFullScale = [](const Case& c) {
        int64_t count = 0;
        for (int k = 0; k < c.rate; k++) {
            const auto value = static_cast<float>(c.amplitude * std::sin(2 * M_PI * k / 48));
            const double rounded = std::nearbyint(value * 32768.0);
            count += rounded > 32767 || rounded < -32768 ? 1 : 0;
        }
        return count;
    };
    std::vector<std::string> args = {"pack", "--json", Path("all.sel")};
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteSine(Path(c.name), c.format, c.channels, c.rate, c.rate, c.rate / 48.0,
                              c.amplitude))
            << c.name;
        args.push_back(Path(c.name));
    }
    const nlohmann::json records = Preview(RunTool(args));
    ASSERT_EQ(records.size(), std::size(cases));
    for (size_t k = 0; k < std::size(cases); k++) {
        const Case& c = cases[k];
        EXPECT_EQ(records[k]["rate"], c.recordRate) << c.name;
        // Lossy formats pad or trim a little at the ends.
        EXPECT_NEAR(records[k]["samples"].get<double>(), c.recordRate, c.recordRate / 20.0)
            << c.name;
        EXPECT_EQ(records[k]["clipped"], c.amplitude > 1 ? BeyondFullScale(c) : 0) << c.name;
        EXPECT_GT(records[k]["snrDb"].get<double>(), 28.0) << c.name;
    }
    // 24-bit stereo FLAC against the same sine as mono 16-bit WAV.
    EXPECT_NEAR(records[1]["snrDb"].get<double>(), records[0]["snrDb"].get<double>(), 0.5);

    // Floats that no 16-bit sample holds: NaN is silence, the infinities are clipped.
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* odd = sf_open(Path("odd.wav").c_str(), SFM_WRITE, &info);
    const float values[] = {NAN, 0.5f, INFINITY, -INFINITY};
    ASSERT_EQ(sf_writef_float(odd, values, 4), 4);
    sf_close(odd);
    const nlohmann::json oddRecord =
        Preview(RunTool({"pack", "--json", Path("odd.sel"), Path("odd.wav")}));
    EXPECT_EQ(oddRecord[0]["samples"], 4);
    EXPECT_EQ(oddRecord[0]["clipped"], 2);
    // Four samples at 134 MHz are less than one at 44100 Hz: an empty record.
    ASSERT_TRUE(WriteSine(Path("fast.wav"), SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 134266752, 4, 1));
    EXPECT_EQ(
        Preview(RunTool({"pack", "--json", Path("fast.sel"), Path("fast.wav")}))[0]["samples"], 0);
}

// One clear line for each refused file, no package: what the library cannot read, a WAV
// header it would parse without end (a LIST chunk holding a chunk of 4 GiB - 8 bytes), a
// device, and a WAV file whose header says it is too long for a record, refused before
// its 2 GiB (a hole in the file) are read.
TEST_F(ToolTest, PackRefusesWhatItCannotEncodeAndWritesNothing) {
    WriteBytes(Path("good.wav"), CanonicalWav(22050, {1, 2}));
    WriteBytes(Path("junk.wav"), Bytes(100, 'x'));
    WriteBytes(
        Path("loop.wav"),
        Riff({Chunk("fmt ", FmtBody()),
              Chunk("LIST", Cat({{'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M'}, Le(0xFFFFFFF8, 4)})),
              Chunk("data", Le(0, 4))}));
    const uint32_t dataBytes = (uint32_t{1} << 31) - 44;
    WriteBytes(Path("long.wav"), Cat({{'R', 'I', 'F', 'F'},
                                      Le(dataBytes + 36, 4),
                                      {'W', 'A', 'V', 'E'},
                                      Chunk("fmt ", FmtBody()),
                                      {'d', 'a', 't', 'a'},
                                      Le(dataBytes, 4)}));
    ASSERT_EQ(truncate(Path("long.wav").c_str(), int64_t{1} << 31), 0);
    const std::string prefix = "marrowvale-sounds: ";
    EXPECT_EQ(RunTool({"pack", Path("out.sel"), Path("good.wav"), Path("junk.wav"),
                       Path("loop.wav"), "/dev/zero", Path("long.wav")}),
              (ToolResult{1, "",
                          prefix + Path("junk.wav") +
                              ": cannot be read as sound: Format not recognised\n" + prefix +
                              Path("loop.wav") +
                              ": cannot be read as sound: damaged header: a chunk in its LIST "
                              "chunk runs past the end of the file\n" +
                              prefix +
                              "/dev/zero: is not a regular file: devices, FIFOs and sockets are "
                              "not read\n" +
                              prefix + Path("long.wav") +
                              ": cannot be packed: more than 1073741800 samples, too many for one "
                              "record\n" +
                              prefix + Path("out.sel") + " was not written.\n"}));
    EXPECT_FALSE(std::filesystem::exists(Path("out.sel")));
}

// Standard input in and standard output out: the same package as from files, with the
// messages on standard error.
TEST_F(ToolTest, PackReadsAndWritesTheStandardStreams) {
    WriteBytes(Path("a.wav"), CanonicalWav(8000, {100, -200, 300}));
    ASSERT_EQ(RunTool({"pack", Path("files.sel"), Path("a.wav"), Path("a.wav")}).status, 0);
    // Standard input is a pipe holding the file (smaller than a pipe's buffer).
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const Bytes wav = ReadBytes(Path("a.wav"));
    ASSERT_EQ(write(pipeEnds[1], wav.data(), wav.size()), std::ssize(wav));
    close(pipeEnds[1]);
    const int saved = dup(STDIN_FILENO);
    dup2(pipeEnds[0], STDIN_FILENO);
    const ToolResult piped = RunTool({"pack", "-", Path("a.wav"), "-"});
    dup2(saved, STDIN_FILENO);
    close(saved);
    close(pipeEnds[0]);
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(Bytes(piped.out.begin(), piped.out.end()), ReadBytes(Path("files.sel")));
    EXPECT_THAT(piped.err, HasSubstr("into standard output"));
    EXPECT_EQ(RunTool({"pack", Path("x.sel"), "-", "-"}).err,
              "marrowvale-sounds: standard input (-) can be read only once\n");
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
    // The search encoder, and the greedy one (--fast): the same layout with other codes, a
    // preview that tells the round trip of the codes written, and the search's the better.
    const auto pack = [&](const char* option, const std::string& out) {
        std::vector<std::string> args = {"pack", "--json", Path(out), Path("signal.wav"),
                                         Path("odd.wav")};
        if (*option)
            args.insert(args.begin() + 1, option);
        const nlohmann::json records = Preview(RunTool(args));
        return records.size() == 2 ? records[0]["snrDb"].get<double>() : 0;
    };
    const std::pair<const char*, double> packed[] = {{"t.sel", pack("", "t.sel")},
                                                     {"f.sel", pack("--fast", "f.sel")}};
    EXPECT_GT(packed[0].second, packed[1].second);
    EXPECT_NE(ReadBytes(Path("t.sel")), ReadBytes(Path("f.sel")));
    for (const auto& [name, snr] : packed) {
        // 33075 code bytes in 16 full blocks and one of 307; then 2 code bytes.
        const Bytes package = ReadBytes(Path(name));
        ASSERT_EQ(package.size(), 8 + 33075 + 17 * 8 + 8 + 2 + 8u) << name;
        EXPECT_EQ(Bytes(package.begin(), package.begin() + 16),
                  (Bytes{0x22, 0x56, 0xBB, 0x81, 0, 0, 1, 0, 0x00, 0x08, 0x00, 0x20, 0, 0, 0, 0}));
        const size_t lastBlock = 8 + 16 * (2048 + 8); // 307 code bytes, 1228 output bytes
        EXPECT_EQ(Bytes(package.begin() + lastBlock, package.begin() + lastBlock + 4),
                  (Bytes{0x33, 0x01, 0xCC, 0x04}));

        ASSERT_EQ(RunTool({"extract", "-o", dir_, Path(name)}).status, 0) << name;
        const Sound decoded = ReadSound(Path(name + std::string(".000.WAV")));
        EXPECT_EQ(decoded.rate, 22050);
        ASSERT_EQ(decoded.samples.size(), signal.size());
        EXPECT_GE(snr, 20.0) << name;
        EXPECT_NEAR(SignalToNoise(signal, decoded.samples), snr, 1e-9) << name;
    }
    // An odd count gets one padding sample; silence stays exact.
    EXPECT_EQ(ReadBytes(Path("t.sel.001.WAV")), CanonicalWav(8000, {0, 0, 0, 0}));
}
