// The buffer engine: read-ahead, write-behind, mode switches, bypass of large transfers,
// typed values and the end test.
#include "files_fixture.h"

#include <algorithm>
#include <cstring>

namespace {

// Buffered files at several buffer sizes and unbuffered files must behave alike: a mixed
// sequence of reads, writes and end tests is checked against a plain byte vector.
TEST_F(FilesTest, MixedTransfersMatchAByteModel) {
    struct Setup {
        int32_t bufferSize;
        int64_t flags;
    };
    const Setup setups[] = {{1, FileNoFlags},    {3, FileNoFlags}, {8, FileNoFlags},
                            {4096, FileNoFlags}, {0, FileNoFlags}, {8, FileUnbuffered}};
    const int lengths[] = {1, 2, 3, 4, 5, 7, 8, 9, 16, 17, 40};
    for (const Setup& setup : setups) {
        SCOPED_TRACE("buffer " + std::to_string(setup.bufferSize) + " flags " +
                     std::to_string(setup.flags));
        FileBufferSize = setup.bufferSize;
        Bytes model = Pattern(60);
        Put("m.bin", model);
        ASSERT_NE(OpenFile(0, Path("m.bin").c_str(), setup.flags), 0);
        bool buffered = setup.bufferSize > 0 && setup.flags == FileNoFlags;
        size_t pos = 0;
        uint32_t seed = 12345;
        uint8_t stamp = 0x80;
        for (int step = 0; step < 400; step++) {
            seed = seed * 1103515245u + 12345u;
            int n = lengths[(seed >> 8) % std::size(lengths)];
            switch ((seed >> 20) % 4) {
            case 0:
            case 1: {
                Bytes got(n, 0xEE);
                size_t expect = std::min<size_t>(n, model.size() - pos);
                ASSERT_EQ(ReadData(0, got.data(), n), static_cast<int32_t>(expect)) << step;
                ASSERT_TRUE(std::equal(got.begin(), got.begin() + expect, model.begin() + pos));
                pos += expect;
                break;
            }
            case 2: {
                Bytes data(n);
                for (uint8_t& b : data) {
                    b = stamp++;
                }
                ASSERT_EQ(WriteData(0, data.data(), n), n) << step;
                model.resize(std::max(model.size(), pos + n));
                std::copy(data.begin(), data.end(), model.begin() + pos);
                pos += n;
                break;
            }
            default:
                if (buffered) {
                    ASSERT_EQ(Eof(0), pos >= model.size() ? 1 : 0) << step;
                }
            }
        }
        EXPECT_EQ(FileError(0), 0);
        EXPECT_EQ(CloseFileChecked(0), 1);
        EXPECT_EQ(Get("m.bin"), model);
    }
}

TEST_F(FilesTest, EofAtStartOfEmptyFile) {
    Put("empty", {});
    ASSERT_NE(ReadFile(0, Path("empty").c_str()), 0);
    ASSERT_NE(ReadFile(1, Path("empty").c_str(), FileUnbuffered), 0);
    EXPECT_EQ(Eof(0), 1);
    EXPECT_EQ(Eof(1), 0); // unbuffered: only once a read has hit the end
    EXPECT_EQ(ReadByte(1), 0);
    EXPECT_EQ(Eof(1), 1);
    EXPECT_EQ(FileError(0), 0);
    EXPECT_EQ(FileError(1), 0);
}

TEST_F(FilesTest, EofDoesNotConsumeAByte) {
    Put("two", {0x81, 0x22});
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        ASSERT_NE(ReadFile(0, Path("two").c_str(), flags), 0);
        EXPECT_EQ(Eof(0), 0);
        EXPECT_EQ(ReadByte(0), -127);
        EXPECT_EQ(Eof(0), 0);
        EXPECT_EQ(ReadByte(0), 0x22);
        EXPECT_EQ(ReadByte(0), 0);
        EXPECT_EQ(Eof(0), 1);
    }
}

TEST_F(FilesTest, TypedReadsAreLittleEndianSignedAndKeepCutBytesLow) {
    struct Case {
        Bytes bytes;
        int width;
        int64_t value;
    };
    const Case cases[] = {
        {{0x80}, 1, -128},
        {{0x7F}, 1, 127},
        {{0xFF, 0xFF}, 2, -1},
        {{0x34, 0x12}, 2, 0x1234},
        {{0xFF}, 2, 0xFF}, // cut: the missing high byte is 0
        {{0x78, 0x56, 0x34, 0x12}, 4, 0x12345678},
        {{0xFF, 0x7F, 0x00, 0x80}, 4, -2147450881},
        {{0xFF, 0xFF}, 4, 0xFFFF},
        {{}, 4, 0},
    };
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        for (const Case& c : cases) {
            Put("v", c.bytes);
            ASSERT_NE(ReadFile(0, Path("v").c_str(), flags), 0);
            int64_t got = c.width == 1 ? ReadByte(0) : c.width == 2 ? ReadWord(0) : ReadLong(0);
            EXPECT_EQ(got, c.value) << "width " << c.width << " flags " << flags;
        }
    }
}

TEST_F(FilesTest, TypedWritesStoreLowBytesLittleEndian) {
    ASSERT_NE(CreateFile(0, Path("w").c_str()), 0);
    EXPECT_EQ(WriteByte(0, 0x1FF), 1);
    EXPECT_EQ(WriteWord(0, -2), 2);
    EXPECT_EQ(WriteLong(0, 0x112345678), 4);
    CloseFile(0);
    EXPECT_EQ(Get("w"), (Bytes{0xFF, 0xFE, 0xFF, 0x78, 0x56, 0x34, 0x12}));
}

TEST_F(FilesTest, WriteOfExactlyTheRoomLeftFlushesFirst) {
    Bytes data = Pattern(4097);
    int64_t handle = CreateFile(0, Path("w").c_str());
    ASSERT_NE(handle, 0);
    ASSERT_EQ(WriteData(0, data.data(), 4086), 4086);
    EXPECT_EQ(ftell(Stream(handle)), 0); // all pending, 10 bytes of room left
    ASSERT_EQ(WriteData(0, data.data() + 4086, 10), 10);
    EXPECT_EQ(ftell(Stream(handle)), 4086); // flushed, the 10 bytes start a new buffer
    ASSERT_EQ(WriteData(0, data.data() + 4096, 1), 1);
    EXPECT_EQ(ftell(Stream(handle)), 4086);
    EXPECT_EQ(CloseFileChecked(0), 1);
    EXPECT_EQ(Get("w"), data);
}

TEST_F(FilesTest, LargeWriteGoesStraightToTheStreamAfterPending) {
    Bytes data = Pattern(5005);
    int64_t handle = CreateFile(0, Path("w").c_str());
    ASSERT_EQ(WriteData(0, data.data(), 5), 5);
    ASSERT_EQ(WriteData(0, data.data() + 5, 5000), 5000);
    EXPECT_EQ(ftell(Stream(handle)), 5005);
    CloseFile(0);
    EXPECT_EQ(Get("w"), data);
}

TEST_F(FilesTest, LargeReadDrainsTheBufferThenReadsDirectly) {
    Bytes data = Pattern(10000);
    Put("r", data);
    int64_t handle = ReadFile(0, Path("r").c_str());
    Bytes got(10000);
    ASSERT_EQ(ReadData(0, got.data(), 3), 3);
    EXPECT_EQ(ftell(Stream(handle)), 4096);
    // 4093 buffered bytes plus 4907 direct ones: no refill in between.
    ASSERT_EQ(ReadData(0, got.data() + 3, 9000), 9000);
    EXPECT_EQ(ftell(Stream(handle)), 9003);
    EXPECT_EQ(ReadByte(0), static_cast<int8_t>(data[9003]));
    EXPECT_EQ(ftell(Stream(handle)), 10000);
    got[9003] = data[9003];
    EXPECT_EQ(ReadData(0, got.data() + 9004, 5000), 996);
    EXPECT_EQ(got, data);
    EXPECT_EQ(Eof(0), 1);
}

TEST_F(FilesTest, WriteAfterReadLandsRightAfterTheBytesConsumed) {
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        Put("u", {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
        ASSERT_NE(OpenFile(0, Path("u").c_str(), flags), 0);
        char head[3];
        ASSERT_EQ(ReadData(0, head, 3), 3);
        ASSERT_EQ(WriteData(0, "xy", 2), 2);
        EXPECT_EQ(ReadByte(0), 'F');
        EXPECT_EQ(CloseFileChecked(0), 1);
        EXPECT_EQ(Get("u"), (Bytes{'A', 'B', 'C', 'x', 'y', 'F', 'G', 'H'})) << flags;
    }
}

TEST_F(FilesTest, ReadAfterWriteContinuesBehindThePendingBytes) {
    Put("rw", {'a', 'b', 'c', 'd', 'e', 'f'});
    ASSERT_NE(OpenFile(0, Path("rw").c_str()), 0);
    ASSERT_EQ(WriteData(0, "XY", 2), 2);
    EXPECT_EQ(ReadByte(0), 'c');
    EXPECT_EQ(Eof(0), 0);
    ASSERT_EQ(WriteData(0, "Z", 1), 1);
    char tail[4] = {};
    EXPECT_EQ(ReadData(0, tail, 4), 2);
    EXPECT_STREQ(tail, "ef");
    EXPECT_EQ(Eof(0), 1);
    ASSERT_EQ(WriteData(0, "!", 1), 1);
    EXPECT_EQ(CloseFileChecked(0), 1);
    EXPECT_EQ(Get("rw"), (Bytes{'X', 'Y', 'c', 'Z', 'e', 'f', '!'}));
}

TEST_F(FilesTest, NegativeOrNullTransfersMoveNothing) {
    Put("n", {1, 2, 3});
    ASSERT_NE(OpenFile(0, Path("n").c_str()), 0);
    uint8_t byte = 0xAA;
    EXPECT_EQ(ReadData(0, &byte, -1), 0);
    EXPECT_EQ(ReadData(0, &byte, INT64_MIN), 0);
    EXPECT_EQ(ReadData(0, nullptr, 2), 0);
    EXPECT_EQ(WriteData(0, &byte, -5), 0);
    EXPECT_EQ(WriteData(0, nullptr, 2), 0);
    EXPECT_EQ(WriteData(0, &byte, 0), 0);
    EXPECT_EQ(byte, 0xAA);
    EXPECT_EQ(ReadByte(0), 1);
    EXPECT_EQ(FileError(0), 0);
    EXPECT_EQ(CloseFileChecked(0), 1);
    EXPECT_EQ(Get("n"), (Bytes{1, 2, 3}));
}

} // namespace
