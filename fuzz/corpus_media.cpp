// Seeds of the WAV, string and BMP fuzz targets: hand-built files of a few dozen to a few
// hundred bytes, each a well-formed case or one damage the parser must refuse or survive.
#include "corpus_seeds.h"

#include <string>

namespace {

Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

// --- WAV -------------------------------------------------------------------------------

// A chunk: id, the body's size (or claimed), the body and, when asked, the pad byte that
// follows a body of odd size.
Bytes Chunk(const char* id, const Bytes& body, bool pad = false, int64_t claimed = -1) {
    Bytes chunk = Text(std::string(id, 4));
    AppendLe(chunk, claimed >= 0 ? static_cast<uint64_t>(claimed) : body.size(), 4);
    chunk.insert(chunk.end(), body.begin(), body.end());
    if (pad && body.size() % 2 != 0)
        chunk.push_back(0);
    return chunk;
}

Bytes Riff(const std::vector<Bytes>& chunks) {
    const Bytes body = Join(chunks);
    Bytes riff = Text("RIFF");
    AppendLe(riff, body.size() + 4, 4);
    return Join({riff, Text("WAVE"), body});
}

// The 16 bytes of a plain fmt chunk's body.
Bytes Format(uint16_t code, uint16_t channels, uint32_t rate, uint16_t bits) {
    Bytes fmt;
    AppendLe(fmt, code, 2);
    AppendLe(fmt, channels, 2);
    AppendLe(fmt, rate, 4);
    AppendLe(fmt, uint64_t{rate} * channels * bits / 8, 4);
    AppendLe(fmt, channels * bits / 8u, 2);
    AppendLe(fmt, bits, 2);
    return fmt;
}

// A 40-byte extensible fmt body: valid bits, no speaker mask, then the sub-format GUID.
Bytes Extensible(uint32_t rate, uint16_t validBits, uint16_t subFormat) {
    Bytes fmt = Format(0xFFFE, 1, rate, 16);
    AppendLe(fmt, 22, 2);
    AppendLe(fmt, validBits, 2);
    AppendLe(fmt, 0, 4);
    AppendLe(fmt, subFormat, 2);
    return Join(
        {fmt,
         {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}});
}

// count bytes of a falling saw, the same on every run.
Bytes Samples(size_t count) {
    Bytes samples(count);
    for (size_t i = 0; i < count; i++)
        samples[i] = static_cast<uint8_t>(255 - (i * 37) % 256);
    return samples;
}

} // namespace

std::vector<Seed> AudioInputSeeds() {
    const Bytes mono = Chunk("fmt ", Format(1, 1, 8000, 16));
    const Bytes data = Chunk("data", Samples(80));
    return {
        {"mono_8000.wav", Riff({mono, data})},
        {"extensible.wav",
         Riff({Chunk("fmt ", Extensible(44100, 16, 1)), Chunk("data", Samples(40))})},
        {"list_and_pad.wav",
         Riff({Chunk("LIST", Text("INFOx"), true), mono, data, Chunk("junk", {7}, false)})},
        {"stereo.wav", Riff({Chunk("fmt ", Format(1, 2, 22050, 16)), data})},
        {"float.wav", Riff({Chunk("fmt ", Format(3, 1, 48000, 32)), data})},
        {"extensible_24_bits.wav", Riff({Chunk("fmt ", Extensible(44100, 24, 1)), data})},
        {"rate_zero.wav", Riff({Chunk("fmt ", Format(1, 1, 0, 16)), data})},
        {"two_data_chunks.wav", Riff({mono, data, data})},
        {"chunk_past_end.wav", Riff({mono, Chunk("data", Samples(16), false, 4000)})},
        {"odd_data.wav", Riff({mono, Chunk("data", Samples(3), true)})},
    };
}

std::vector<Seed> CatchSoundSeeds() {
    const Bytes data = Chunk("data", Samples(64));
    return {
        {"mono16_22050.wav", Riff({Chunk("fmt ", Format(1, 1, 22050, 16)), data})},
        {"stereo16_44100.wav", Riff({Chunk("fmt ", Format(1, 2, 44100, 16)), data})},
        {"mono8_11025.wav", Riff({Chunk("fmt ", Format(1, 1, 11025, 8)), data})},
        {"stereo8_48000.wav", Riff({Chunk("fmt ", Format(1, 2, 48000, 8)), data})},
        {"extra_chunk.wav",
         Riff({Chunk("fmt ", Format(1, 1, 8000, 16)), Chunk("LIST", Text("INFOabc")), data})},
        {"data_past_end.wav",
         Riff({Chunk("fmt ", Format(1, 1, 8000, 16)), Chunk("data", Samples(8), false, 100)})},
        {"three_channels.wav", Riff({Chunk("fmt ", Format(1, 3, 8000, 16)), data})},
        {"no_data.wav", Riff({Chunk("fmt ", Format(1, 1, 8000, 16)), Chunk("LIST", Samples(10))})},
        // 12 KiB at 1 Hz would last 3.4 days at 44100 Hz (1 GiB): refused for its length.
        {"rate_1hz_12k.wav",
         Riff({Chunk("fmt ", Format(1, 1, 1, 16)), Chunk("data", Samples(12288))})},
    };
}

std::vector<Seed> StringConvertSeeds() {
    // UTF-16 units, stored little-endian.
    auto units = [](const std::u16string& text) {
        Bytes bytes;
        for (char16_t unit : text)
            AppendLe(bytes, unit, 2);
        return bytes;
    };
    return {
        {"ascii", Text("Marrowvale sounds 0123")},
        {"utf8_mixed", Text("Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80")},
        {"utf8_limits", Text("\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF0\x90\x80\x80"
                             "\xF4\x8F\xBF\xBF")},
        {"overlong", Text("a\xC0\x80\xE0\x80\x80z")},
        {"utf8_surrogates", Text("\xED\xA0\x80\xED\xB0\x80")},
        {"cut_sequence", Text("ok\xE2\x82")},
        {"above_last_code_point", Text("a\xF4\x90\x80\x80z")},
        {"embedded_zero", Join({Text("ab"), {0}, Text("cd\xC3\xA9")})},
        {"utf16_pairs", units(u"a\xD83D\xDE00\xDBFF\xDFFF\x00E9")},
        {"utf16_lone_surrogates", Join({units(u"\xD800x\xDC00\xD83D"), {0x41}})},
    };
}

namespace {

// A BMP file with a BITMAPINFOHEADER (or a longer header of infoSize bytes) and the
// stored rows given, padding included.
Bytes Bmp(int32_t width, int32_t height, uint16_t bits, const Bytes& rows, uint32_t infoSize = 40,
          uint32_t compression = 0) {
    Bytes file = Text("BM");
    AppendLe(file, 14 + infoSize + rows.size(), 4);
    AppendLe(file, 0, 4);
    AppendLe(file, 14 + infoSize, 4);
    AppendLe(file, infoSize, 4);
    AppendLe(file, static_cast<uint32_t>(width), 4);
    AppendLe(file, static_cast<uint32_t>(height), 4);
    AppendLe(file, 1, 2);
    AppendLe(file, bits, 2);
    AppendLe(file, compression, 4);
    file.resize(14 + infoSize, 0);
    return Join({file, rows});
}

} // namespace

std::vector<Seed> BmpDecoderSeeds() {
    const Bytes rows24 = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0};
    return {
        {"rgb24_2x2.bmp", Bmp(2, 2, 24, rows24)},
        {"rgba32_top_down.bmp", Bmp(1, -2, 32, {1, 2, 3, 0x80, 0xAA, 0xBB, 0xCC, 0})},
        {"rgb32_no_alpha.bmp", Bmp(2, 1, 32, {1, 2, 3, 0, 4, 5, 6, 0})},
        {"last_row_unpadded.bmp", Bmp(1, 2, 24, {1, 2, 3, 0xEE, 4, 5, 6})},
        {"rgb24_3x3.bmp", Bmp(3, 3, 24, Samples(36))},
        {"v5_header.bmp", Bmp(2, 2, 24, rows24, 124)},
        {"bit_fields.bmp", Bmp(2, 2, 32, Samples(16), 40, 3)},
        {"rgb16.bmp", Bmp(2, 2, 16, Samples(8))},
    };
}
