// Opening, closing and numbering files, and the reporting of failures.
#include "files_fixture.h"

#include "runtime/core/objects/objects.h"

namespace {

TEST_F(FilesTest, OpenModesCreateTruncateAndPosition) {
    Put("f", {'a', 'b', 'c'});
    ASSERT_NE(OpenFile(0, Path("f").c_str(), FileAtEnd), 0);
    ASSERT_EQ(WriteData(0, "de", 2), 2);
    ASSERT_NE(OpenFile(1, Path("new").c_str()), 0); // created when missing
    ASSERT_EQ(WriteData(1, "z", 1), 1);
    EndFiles();
    EXPECT_EQ(Get("f"), (Bytes{'a', 'b', 'c', 'd', 'e'}));
    EXPECT_EQ(Get("new"), (Bytes{'z'}));

    ASSERT_NE(OpenFile(0, Path("f").c_str()), 0); // starts at the beginning
    ASSERT_EQ(WriteData(0, "X", 1), 1);
    CloseFile(0);
    EXPECT_EQ(Get("f"), (Bytes{'X', 'b', 'c', 'd', 'e'}));

    ASSERT_NE(CreateFile(0, Path("f").c_str()), 0); // truncates
    EXPECT_EQ(Eof(0), 1);
    CloseFile(0);
    EXPECT_EQ(FileSize(Path("f").c_str()), 0);
    EXPECT_EQ(ReadFile(0, Path("missing").c_str()), 0);
    EXPECT_EQ(FileSize(Path("missing").c_str()), -1); // ReadFile never creates
}

TEST_F(FilesTest, OpeningAnOpenNumberFlushesAndClosesTheOldFile) {
    ASSERT_NE(CreateFile(0, Path("old").c_str()), 0);
    ASSERT_EQ(WriteData(0, "hello", 5), 5);
    EXPECT_EQ(Get("old"), Bytes{}); // still pending in the buffer
    ASSERT_NE(CreateFile(0, Path("other").c_str()), 0);
    EXPECT_EQ(Get("old"), (Bytes{'h', 'e', 'l', 'l', 'o'}));

    ASSERT_EQ(WriteData(0, "bye", 3), 3);
    EXPECT_EQ(ReadFile(0, Path("missing").c_str()), 0); // fails, yet closes the old file
    EXPECT_EQ(Get("other"), (Bytes{'b', 'y', 'e'}));
    EXPECT_EQ(ReadByte(0), 0);
    EXPECT_EQ(WriteData(0, "x", 1), 0);
    EXPECT_EQ(CloseFileChecked(0), 0);
}

TEST_F(FilesTest, NumbersAreReusableAndGrowBeyondTheFirstSlots) {
    Put("a", {'a'});
    Put("b", {'b'});
    for (int64_t number : {0, 3, 15, 16, 100}) {
        ASSERT_NE(ReadFile(number, Path("a").c_str()), 0) << number;
        EXPECT_EQ(ReadByte(number), 'a');
        CloseFile(number);
        EXPECT_EQ(ReadByte(number), 0);
        ASSERT_NE(ReadFile(number, Path("b").c_str()), 0) << number;
        EXPECT_EQ(ReadByte(number), 'b');
    }
    EXPECT_EQ(ReadFile(-5, Path("a").c_str()), 0); // below AnyNumber: no record
    EXPECT_EQ(ReadByte(-5), 0);
}

TEST_F(FilesTest, AnyNumberGivesDistinctDynamicIds) {
    Put("a", {'a'});
    Put("b", {'b'});
    int64_t a = ReadFile(AnyNumber, Path("a").c_str());
    int64_t b = OpenFile(AnyNumber, Path("b").c_str());
    int64_t c = CreateFile(AnyNumber, Path("c").c_str());
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    ASSERT_NE(c, 0);
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);
    EXPECT_EQ(ReadByte(a), 'a');
    EXPECT_EQ(ReadByte(b), 'b');
    EXPECT_EQ(WriteData(c, "cc", 2), 2);
    EXPECT_EQ(CloseFileChecked(a), 1);
    EXPECT_EQ(ReadByte(b), 0); // b unaffected by closing a, and at its end
    EXPECT_EQ(ReadFile(AnyNumber, Path("missing").c_str()), 0);
    EXPECT_EQ(ReadFile(AnyNumber, dir_.u16string().c_str()), 0);
    EndFiles(); // closes dynamic files too, flushing them
    EXPECT_EQ(Get("c"), (Bytes{'c', 'c'}));
}

TEST_F(FilesTest, DirectoriesAreRefusedBySizeAndByEveryOpen) {
    std::u16string dir = dir_.u16string();
    EXPECT_EQ(FileSize(dir.c_str()), -2);
    EXPECT_EQ(ReadFile(0, dir.c_str()), 0);
    EXPECT_EQ(ReadFile(0, dir.c_str(), FileUnbuffered), 0);
    EXPECT_EQ(OpenFile(0, dir.c_str()), 0);
    EXPECT_EQ(CreateFile(0, dir.c_str()), 0);
    EXPECT_EQ(Eof(0), 0); // not open: the caller must check the open's result
}

TEST_F(FilesTest, FileSizeOfNamedFiles) {
    Put("five", {1, 2, 3, 4, 5});
    Put("empty", {});
    Put("klang-\xC3\xA4.bin", {9, 9});
    struct Case {
        std::u16string path;
        int64_t size;
    };
    const Case cases[] = {
        {Path("five"), 5},        {Path("empty"), 0}, {Path("missing"), -1},
        {Path("five/below"), -1}, {u"", -1},          {Path("klang-\xC3\xA4.bin"), 2}};
    for (const Case& c : cases) {
        EXPECT_EQ(FileSize(c.path.c_str()), c.size);
    }
    EXPECT_EQ(FileSize(nullptr), -1);
    ASSERT_NE(ReadFile(0, Path("klang-\xC3\xA4.bin").c_str()), 0);
    EXPECT_EQ(ReadWord(0), 0x0909);
}

TEST_F(FilesTest, FailedFlushIsReportedByTheCheckedClose) {
    if (FileSize(u"/dev/full") == -1) {
        GTEST_SKIP() << "no /dev/full";
    }
    ASSERT_NE(CreateFile(0, u"/dev/full"), 0);
    EXPECT_EQ(WriteData(0, "0123456789", 10), 10); // fits the buffer
    EXPECT_EQ(CloseFileChecked(0), 0);

    ASSERT_NE(CreateFile(0, u"/dev/full"), 0);
    Bytes big = Pattern(5000);
    EXPECT_LT(WriteData(0, big.data(), 5000), 5000); // direct write: the count shows it
    EXPECT_EQ(FileError(0), 1);
    EXPECT_EQ(CloseFileChecked(0), 0);

    ASSERT_NE(CreateFile(0, Path("good").c_str()), 0);
    EXPECT_EQ(WriteData(0, big.data(), 5000), 5000);
    EXPECT_EQ(WriteData(0, "tail", 4), 4);
    EXPECT_EQ(CloseFileChecked(0), 1);
    EXPECT_EQ(CloseFileChecked(0), 0);          // no longer open
    EXPECT_EQ(CloseFileChecked(AllObjects), 0); // not a file id
}

TEST_F(FilesTest, WritesToAReadOnlyFileAreRefused) {
    Put("ro", {1, 2});
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        ASSERT_NE(ReadFile(0, Path("ro").c_str(), flags), 0);
        EXPECT_EQ(WriteData(0, "x", 1), 0);
        EXPECT_EQ(WriteByte(0, 7), 0);
        EXPECT_EQ(FileError(0), 1);
        EXPECT_EQ(ReadByte(0), 1); // position untouched
        EXPECT_EQ(CloseFileChecked(0), 0);
    }
    EXPECT_EQ(Get("ro"), (Bytes{1, 2}));
}

// Reading address 0 of the process's own memory fails with an I/O error, which is not the
// end of the file: the reader must see an error, and its loop must stop.
TEST_F(FilesTest, ReadErrorIsVisibleAndEndsTheReadLoop) {
    for (int64_t flags : {FileNoFlags, FileUnbuffered}) {
        if (ReadFile(0, u"/proc/self/mem", flags) == 0) {
            GTEST_SKIP() << "no /proc/self/mem";
        }
        EXPECT_EQ(FileError(0), 0);
        int reads = 0;
        while (Eof(0) == 0 && reads < 10) {
            EXPECT_EQ(ReadLong(0), 0);
            reads++;
        }
        EXPECT_LE(reads, 1) << flags;
        EXPECT_EQ(FileError(0), 1) << flags;
        EXPECT_EQ(Eof(0), 1);
    }
}

TEST_F(FilesTest, CommandsOnIdsThatAreNotOpenDoNothing) {
    uint8_t byte = 0x55;
    for (int64_t id : {int64_t{0}, int64_t{7}, int64_t{1000}, int64_t{-1}, int64_t{-2},
                       reinterpret_cast<int64_t>(&byte)}) {
        EXPECT_EQ(Eof(id), 0);
        EXPECT_EQ(ReadByte(id), 0);
        EXPECT_EQ(ReadLong(id), 0);
        EXPECT_EQ(ReadData(id, &byte, 1), 0);
        EXPECT_EQ(WriteData(id, &byte, 1), 0);
        EXPECT_EQ(WriteLong(id, 1), 0);
        EXPECT_EQ(FileError(id), 0);
        EXPECT_EQ(CloseFileChecked(id), 0);
        if (id != AllObjects) {
            CloseFile(id);
        }
    }
    EXPECT_EQ(byte, 0x55);
}

} // namespace
