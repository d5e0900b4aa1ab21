// The open, save and directory dialogs, driven through their file-name field.
#include "requester_fixture.h"

#include "runtime/gui/requesters/requesters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace {

constexpr const char16_t* ProgramFilter =
    u"Marrowvale music (*.mus)|*.mus;*.MUS;|Marrowvale speech (*.svl)|*.svl;*.SVL;|"
    u"Marrowvale sounds (*.sel)|*.sel;*.SEL;|All supported formats|"
    u"*.mus;*.MUS;*.svl;*.SVL;*.sel;*.SEL;";

class FileRequesters : public RequesterTest {
protected:
    void SetUp() override {
        RequesterTest::SetUp();
        for (const char* name : {"one.mus", "TWO.MUS", "speech.svl", "notes.txt", "take.WAV",
                                 "first.sel", "second.sel", "third.sel"}) {
            QFile file(Path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
        }
        ASSERT_TRUE(QDir(folder_.path()).mkpath("sub/inner"));
    }
    // Qt's file dialog keeps its history in the user's settings; the requesters must not.
    void TearDown() override {
        RequesterTest::TearDown();
        for (const QString& folder : {Home().home(), Home().config()}) {
            QStringList written;
            QDirIterator entries(folder, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
            while (entries.hasNext())
                written << entries.next();
            EXPECT_TRUE(written.isEmpty()) << written.join(", ").toStdString();
        }
    }

    QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }
    // The folder as a default file: a directory path ending in "/".
    std::u16string Folder() const { return Utf16(folder_.path() + "/"); }
    std::u16string Open(const std::u16string& defaultFile, int32_t flags = 0, int32_t at = 3) {
        return Text(OpenFileRequester(u"Decode sample package", defaultFile.c_str(), ProgramFilter,
                                      at, flags, TempOffset));
    }

    QTemporaryDir folder_;
};

TEST_F(FileRequesters, OpenReturnsAbsolutePathsOneByOneAndCancelTheEmptyString) {
    Answer([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Decode sample package");
        TypeAndConfirm(dialog, "\"first.sel\" \"second.sel\" \"third.sel\"");
    });
    EXPECT_EQ(Open(Folder(), RequesterMultiSelect), Utf16(Path("first.sel")));
    // A single selection leaves the kept paths alone.
    Answer([](QWidget* dialog) { TypeAndConfirm(dialog, "one.mus"); });
    EXPECT_EQ(Open(Folder()), Utf16(Path("one.mus")));
    for (const char* next : {"second.sel", "third.sel", "", ""})
        EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), *next ? Utf16(Path(next)) : u"");
    // Cancelling keeps nothing, and the buffer that held the last path is never stale.
    Answer([](QWidget* dialog) { PressEscape(dialog); });
    EXPECT_EQ(Open(Folder(), RequesterMultiSelect), u"");
    EXPECT_EQ(TempBase[TempOffset], 0);
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), u"");
}

TEST_F(FileRequesters, OpenShowsThePatternPairAtItsPositionAndFiltersByIt) {
    const QStringList all = {"TWO.MUS",    "first.sel", "one.mus",  "second.sel",
                             "speech.svl", "sub",       "third.sel"};
    const std::tuple<int32_t, const char*, QStringList> cases[] = {
        {3, "All supported formats", all},
        {7, "Marrowvale music (*.mus)", {"TWO.MUS", "one.mus", "sub"}}, // out of range: first
    };
    for (const auto& [position, shown, listed] : cases) {
        Answer([&](QWidget* dialog) {
            EXPECT_EQ(SelectedFilterText(dialog), shown) << position;
            EXPECT_EQ(ListedNames(dialog, int(listed.size())), listed) << position;
            PressEscape(dialog);
        });
        Open(Folder(), 0, position);
    }
}

TEST_F(FileRequesters, DialogsOpenWhereTheDefaultFileSays) {
    const QString sub = Path("sub");
    const auto shows = [&](const char* name, const char* typed = nullptr) {
        Answer([=](QWidget* dialog) {
            EXPECT_EQ(ShownFolder(dialog), sub);
            EXPECT_EQ(ProposedName(dialog), name);
            typed ? TypeAndConfirm(dialog, typed) : PressEscape(dialog);
        });
    };
    shows("c.mus");
    Open(Utf16(sub + "/c.mus"));
    shows("");
    Open(Utf16(sub + "/"));
    shows("inner/", "inner"); // the directory dialog skips the trailing "/": the parent
    const std::u16string inner = Utf16(sub + "/inner/");
    EXPECT_EQ(Text(PathRequester(u"Choose a folder", inner.c_str(), TempOffset)), inner);
}

TEST_F(FileRequesters, SaveReturnsThePathExactlyAsChosen) {
    const std::u16string defaultFile = Folder() + u"Sample 1.wav";
    for (const auto& [typed, path] : {std::pair{"sample", "sample"}, {"", "Sample 1.wav"}}) {
        Answer([&](QWidget* dialog) {
            EXPECT_EQ(SelectedFilterText(dialog), "*.WAV");
            TypeAndConfirm(dialog, typed);
        });
        EXPECT_EQ(Text(SaveFileRequester(u"", defaultFile.c_str(), u"*.WAV", 0, TempOffset)),
                  Utf16(Path(path)))
            << typed;
    }
    Answer([&](QWidget* dialog) {
        EXPECT_EQ(ListedNames(dialog, 2), QStringList({"sub", "take.WAV"}));
        PressEscape(dialog);
    });
    EXPECT_EQ(Text(SaveFileRequester(u"", Folder().c_str(), u"*.WAV", 0, TempOffset)), u"");
}

} // namespace
