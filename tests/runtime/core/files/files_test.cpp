// Buffered file I/O: the buffer engine, typed values, opening, failures and path functions.
#include "runtime/core/files/files.h"
#include "runtime/core/objects/objects.h"
#include "runtime/core/strings/strings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <tuple>

namespace {

using Bytes = std::vector<uint8_t>;

class FilesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        InitStringBuffer();
        InitFiles();
    }
    void SetUp() override { ASSERT_NE(mkdtemp(dir_.data()), nullptr); }
    void TearDown() override {
        EndFiles();
        FileBufferSize = 4096;
        std::filesystem::remove_all(dir_);
    }
    std::u16string Path(const std::string& name) const {
        return std::filesystem::path(dir_ + "/" + name).u16string();
    }
    void Put(const std::string& name, const Bytes& b) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << std::string(b.begin(), b.end());
    }
    Bytes Get(const std::string& name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    std::string dir_ = std::filesystem::temp_directory_path() / "files-XXXXXX";
};

// Buffered files at several buffer sizes and unbuffered ones (size 0) must behave alike: a
// random sequence of reads, writes and end tests is checked against a plain byte vector.
TEST_F(FilesTest, MixedTransfersMatchAByteModel) {
    const size_t lengths[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 40};
    for (int32_t size : {1, 3, 8, 4096, 0}) {
        SCOPED_TRACE(testing::Message() << "buffer " << size);
        FileBufferSize = size;
        Bytes model(3000); // long enough for reads within the file before they reach its end
        std::iota(model.begin(), model.end(), 0x40);
        Put("m", model);
        ASSERT_NE(OpenFile(0, Path("m").c_str()), 0);
        size_t pos = 0;
        for (uint32_t step = 0, seed = 12345; step < 400; step++) {
            seed = seed * 1103515245u + 12345u;
            size_t n = lengths[(seed >> 8) % std::size(lengths)];
            Bytes data(n, 0xEE);
            if ((seed >> 20) % 4 < 2) {
                size_t expect = std::min(n, model.size() - pos);
                ASSERT_EQ(ReadData(0, data.data(), n), static_cast<int32_t>(expect)) << step;
                ASSERT_TRUE(std::equal(data.begin(), data.begin() + expect, &model[pos]));
                pos += expect;
            } else if ((seed >> 20) % 4 == 2) {
                std::iota(data.begin(), data.end(), static_cast<uint8_t>(step * 41));
                ASSERT_EQ(WriteData(0, data.data(), n), static_cast<int32_t>(n)) << step;
                model.resize(std::max(model.size(), pos + n));
                std::copy(data.begin(), data.end(), model.begin() + pos);
                pos += n;
            } else if (size > 0) {
                ASSERT_EQ(Eof(0), pos >= model.size() ? 1 : 0) << step;
            }
        }
        EXPECT_EQ(CloseFileChecked(0), 1);
        EXPECT_EQ(Get("m"), model);
    }
}

// A value cut by the end keeps its low bytes; only a buffered file sees its end before a read.
TEST_F(FilesTest, TypedValuesAreLittleEndianAndEofSeesTheEnd) {
    const std::tuple<Bytes, size_t, int64_t> cases[] = {{{0x80}, 1, -128},
                                                        {{0xFF, 0xFF}, 2, -1},
                                                        {{0xFF}, 2, 0xFF},
                                                        {{0x78, 0x56, 0x34, 0x12}, 4, 0x12345678},
                                                        {{0xFF, 0x7F, 0x00, 0x80}, 4, -2147450881},
                                                        {{0xFF, 0xFF}, 4, 0xFFFF},
                                                        {{}, 4, 0}};
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        for (const auto& [bytes, width, value] : cases) {
            SCOPED_TRACE(testing::Message() << "width " << width << " flags " << flags);
            Put("v", bytes);
            ASSERT_NE(ReadFile(0, Path("v").c_str(), flags), 0);
            EXPECT_EQ(Eof(0), flags == FileNoFlags && bytes.empty() ? 1 : 0);
            EXPECT_EQ(width == 1 ? ReadByte(0) : width == 2 ? ReadWord(0) : ReadLong(0), value);
            EXPECT_EQ(Eof(0), flags == FileNoFlags || bytes.size() < width ? 1 : 0);
            EXPECT_EQ(FileError(0), 0);
        }
    }
    ASSERT_NE(CreateFile(0, Path("w").c_str()), 0);
    EXPECT_EQ(WriteByte(0, 0x1FF), 1);
    EXPECT_EQ(WriteWord(0, -2), 2);
    EXPECT_EQ(WriteLong(0, 0x112345678), 4);
    CloseFile(0);
    EXPECT_EQ(Get("w"), (Bytes{0xFF, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12}));
}

// Transfers of a buffer's size or more bypass the buffer, so no byte is copied twice.
TEST_F(FilesTest, LargeTransfersBypassTheBuffer) {
    Bytes data(10000), got(10000);
    for (size_t i = 0; i < data.size(); i++) { // no period of 256, which a buffer size shares
        data[i] = static_cast<uint8_t>(i * 7 + i / 251);
    }
    FILE* stream = reinterpret_cast<FILE*>(CreateFile(0, Path("w").c_str()));
    ASSERT_EQ(WriteData(0, data.data(), 4086), 4086);
    EXPECT_EQ(ftell(stream), 0); // pending, 10 bytes of room left
    ASSERT_EQ(WriteData(0, &data[4086], 10), 10);
    EXPECT_EQ(ftell(stream), 4086); // flushed first; the 10 bytes start a new buffer
    ASSERT_EQ(WriteData(0, &data[4096], 5904), 5904);
    EXPECT_EQ(ftell(stream), 10000); // the pending bytes, then the rest straight through
    stream = reinterpret_cast<FILE*>(ReadFile(0, Path("w").c_str()));
    ASSERT_EQ(ReadData(0, got.data(), 3), 3);
    ASSERT_EQ(ReadData(0, &got[3], 9000), 9000);
    EXPECT_EQ(ftell(stream), 9003); // 4093 buffered bytes, then 4907 direct: no refill
    EXPECT_EQ(ReadData(0, &got[9003], 5000), 997);
    EXPECT_EQ(got, data);
}

// Reusing an open number flushes and closes the old file, even when the new open fails.
TEST_F(FilesTest, OpenModesReuseOfANumberAndFileSize) {
    Put("f", {'a', 'b', 'c'});
    ASSERT_NE(OpenFile(0, Path("f").c_str(), FileAtEnd), 0);
    ASSERT_EQ(WriteData(0, "de", 2), 2);
    ASSERT_NE(OpenFile(1, Path("new").c_str()), 0); // created when missing
    ASSERT_EQ(WriteData(1, "z", 1), 1);
    EXPECT_EQ(Get("f"), (Bytes{'a', 'b', 'c'}));  // still pending in the buffer
    ASSERT_NE(OpenFile(0, Path("f").c_str()), 0); // from the beginning
    EXPECT_EQ(Get("f"), (Bytes{'a', 'b', 'c', 'd', 'e'}));
    ASSERT_EQ(WriteData(0, "X", 1), 1);
    ASSERT_NE(CreateFile(1, Path("new").c_str()), 0); // truncates
    EXPECT_EQ(Eof(1), 1);
    EXPECT_EQ(ReadFile(0, Path("missing").c_str()), 0);
    EXPECT_EQ(Get("f"), (Bytes{'X', 'b', 'c', 'd', 'e'}));
    EXPECT_EQ(WriteData(0, "x", 1), 0);
    EXPECT_EQ(FileSize(Path("f").c_str()), 5);
    EXPECT_EQ(FileSize(Path("missing").c_str()), -1); // ReadFile never creates
    EXPECT_EQ(FileSize(nullptr), -1);
    EXPECT_EQ(FileSize(Path("").c_str()), -2);
    EXPECT_EQ(ReadFile(0, Path("").c_str()), 0); // a directory is no readable file
    EXPECT_EQ(ReadFile(AnyNumber, Path("").c_str(), FileUnbuffered), 0);
}

// A dynamic id is no stream handle; a failed dynamic open leaves no record behind.
TEST_F(FilesTest, AnyNumberGivesDistinctDynamicIds) {
    Put("a", {'a'});
    int64_t a = ReadFile(AnyNumber, Path("a").c_str());
    int64_t c = CreateFile(AnyNumber, Path("c").c_str());
    ASSERT_TRUE(a != 0 && c != 0 && a != c);
    EXPECT_EQ(ReadByte(a), 'a');
    EXPECT_EQ(WriteData(c, "cc", 2), 2);
    EXPECT_EQ(CloseFileChecked(a), 1);
    EXPECT_EQ(ReadByte(a), 0);
    EXPECT_EQ(ReadFile(AnyNumber, Path("missing").c_str()), 0);
    EndFiles(); // closes dynamic files too, flushing them
    EXPECT_EQ(Get("c"), (Bytes{'c', 'c'}));
}

// Failures hidden from a buffered write's count, and refused writes, show in the checks.
TEST_F(FilesTest, WriteFailuresAreReported) {
    if (CreateFile(0, u"/dev/full") != 0) {
        EXPECT_EQ(WriteData(0, "0123456789", 10), 10); // fits the buffer
        EXPECT_EQ(CloseFileChecked(0), 0);
        ASSERT_NE(CreateFile(0, u"/dev/full"), 0);
        EXPECT_LT(WriteData(0, Bytes(5000).data(), 5000), 5000); // direct write: the count shows it
        EXPECT_EQ(FileError(0), 1);
        EXPECT_EQ(CloseFileChecked(0), 0);
    }
    Put("ro", {1, 2});
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        ASSERT_NE(ReadFile(0, Path("ro").c_str(), flags), 0);
        EXPECT_EQ(WriteByte(0, 7), 0);
        EXPECT_EQ(FileError(0), 1);
        EXPECT_EQ(ReadByte(0), 1); // position untouched
        EXPECT_EQ(CloseFileChecked(0), 0);
    }
}

// Reading address 0 of the process's memory is an I/O error, not the end: the loop must stop.
TEST_F(FilesTest, ReadErrorIsVisibleAndEndsTheReadLoop) {
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        if (ReadFile(0, u"/proc/self/mem", flags) == 0) {
            GTEST_SKIP() << "no /proc/self/mem";
        }
        int reads = 0;
        while (Eof(0) == 0 && reads++ < 10) {
            EXPECT_EQ(ReadLong(0), 0);
        }
        EXPECT_LE(reads, 1) << flags;
        EXPECT_EQ(FileError(0), 1) << flags;
    }
}

// Ids that are not open files, and negative or null transfers, move nothing.
TEST_F(FilesTest, NothingMovesForAbsentIdsOrEmptyTransfers) {
    uint8_t byte = 0x55;
    for (int64_t id : {int64_t{7}, int64_t{1000}, int64_t{-1}, reinterpret_cast<int64_t>(&byte)}) {
        EXPECT_EQ(Eof(id), 0);
        EXPECT_EQ(ReadLong(id), 0);
        EXPECT_EQ(ReadData(id, &byte, 1), 0);
        EXPECT_EQ(WriteData(id, &byte, 1), 0);
        EXPECT_EQ(FileError(id), 0);
        EXPECT_EQ(CloseFileChecked(id), 0);
    }
    Put("n", {1, 2, 3});
    ASSERT_NE(OpenFile(0, Path("n").c_str()), 0);
    EXPECT_EQ(ReadData(0, &byte, -1), 0);
    EXPECT_EQ(ReadData(0, &byte, INT64_MIN), 0);
    EXPECT_EQ(ReadData(0, nullptr, 2), 0);
    EXPECT_EQ(WriteData(0, &byte, INT32_MIN), 0);
    EXPECT_EQ(byte, 0x55);
    EXPECT_EQ(ReadByte(0), 1);
    EXPECT_EQ(CloseFileChecked(0), 1);
    EXPECT_EQ(Get("n"), (Bytes{1, 2, 3}));
}

// Directory, name and stem, made one behind the other; the stem is made from the name in place.
TEST_F(FilesTest, PathsSplitIntoDirectoryNameAndStem) {
    const std::pair<const char16_t*, std::u16string> cases[] = {
        {u"/a/b/c.txt", u"/a/b/|c.txt|c"},
        {u"c.txt", u"|c.txt|c"},
        {u"/a/b/", u"/a/b/||"},
        {nullptr, u"||"},
        {u"\"", u"||"},
        {u"\"/x/a b.mus\" -v", u"/x/|a b.mus|a b"},
        {u"x.tar.gz", u"|x.tar.gz|x.tar"},
        {u"/u/.profile", u"/u/|.profile|.profile"},
        {u"name.", u"|name.|name."},
        {u"a.b c", u"|a.b c|a.b c"},
        {u"/dir.d/file", u"/dir.d/|file|file"}};
    for (const auto& [path, parts] : cases) {
        TempExpression expression;
        GetPathPart(path, TempOffset);
        TempAppend(u"|");
        GetFilePart(path, 0, TempOffset);
        TempAppend(u"|");
        int64_t p = TempOffset;
        char16_t* name = GetFilePart(path, 0, p);
        char16_t* stem = GetFilePart(name, FilePartNoExtension, p);
        EXPECT_EQ(reinterpret_cast<char*>(stem), TempBase + p);
        EXPECT_EQ(expression.Text(), parts);
        EXPECT_EQ(TempOffset, 2 * std::ssize(parts) + expression.Start());
    }
}

} // namespace
