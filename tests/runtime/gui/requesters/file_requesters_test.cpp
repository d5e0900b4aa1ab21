// The open, save and directory dialogs, driven through their file-name field.
#include "requester_fixture.h"

#include "runtime/core/strings/strings.h"
#include "runtime/gui/requesters/requesters.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest-spi.h>

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
        ASSERT_TRUE(folder_.isValid());
        for (const char* name : {"one.mus", "TWO.MUS", "speech.svl", "sounds.sel", "notes.txt",
                                 "take.WAV", "first.sel", "second.sel", "third.sel"}) {
            QFile file(Path(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name;
        }
        ASSERT_TRUE(QDir(folder_.path()).mkpath("sub/inner"));
    }

    QString Path(const QString& name) const { return QDir(folder_.path()).filePath(name); }
    // The folder as a default file: a directory path ending in "/".
    std::u16string Folder() const { return Utf16(folder_.path() + "/"); }

    std::u16string Open(const std::u16string& defaultFile, int32_t flags = 0) {
        return Text(OpenFileRequester(u"Decode sample package", defaultFile.c_str(), ProgramFilter,
                                      3, flags, TempOffset));
    }

    QTemporaryDir folder_;
};

TEST_F(FileRequesters, OpenReturnsTheAbsolutePathAndCancelTheEmptyString) {
    Answer([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Decode sample package");
        TypeAndConfirm(dialog, "sounds.sel");
    });
    EXPECT_EQ(Open(Folder()), Utf16(Path("sounds.sel")));
    Answer([](QWidget* dialog) { PressEscape(dialog); });
    EXPECT_EQ(Open(Folder()), u""); // the buffer held the last path there: never stale
    EXPECT_EQ(TempBase[TempOffset], 0);
}

TEST_F(FileRequesters, OpenShowsThePatternPairAtItsPositionAndFiltersByIt) {
    struct Case {
        int32_t position;
        const char* shown;
        QStringList listed;
    };
    const QStringList all = {"TWO.MUS",    "first.sel",  "one.mus",   "second.sel",
                             "sounds.sel", "speech.svl", "third.sel", "sub"};
    const Case cases[] = {
        {3, "All supported formats", all},
        {0, "Marrowvale music (*.mus)", {"TWO.MUS", "one.mus", "sub"}},
        {2,
         "Marrowvale sounds (*.sel)",
         {"first.sel", "second.sel", "sounds.sel", "sub", "third.sel"}},
        {7, "Marrowvale music (*.mus)", {"TWO.MUS", "one.mus", "sub"}},
    };
    for (const Case& c : cases) {
        QStringList expected = c.listed;
        expected.sort();
        Answer([&](QWidget* dialog) {
            EXPECT_EQ(SelectedFilterText(dialog), c.shown) << c.position;
            EXPECT_EQ(ListedNames(dialog, int(expected.size())), expected) << c.position;
            PressEscape(dialog);
        });
        OpenFileRequester(u"", Folder().c_str(), ProgramFilter, c.position, 0, TempOffset);
    }
}

TEST_F(FileRequesters, MultipleSelectionHandsOutTheRestOneByOne) {
    Answer([](QWidget* dialog) {
        TypeAndConfirm(dialog, "\"first.sel\" \"second.sel\" \"third.sel\"");
    });
    EXPECT_EQ(Open(Folder(), RequesterMultiSelect), Utf16(Path("first.sel")));
    // A single selection leaves the kept paths alone.
    Answer([](QWidget* dialog) { TypeAndConfirm(dialog, "one.mus"); });
    EXPECT_EQ(Open(Folder()), Utf16(Path("one.mus")));
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), Utf16(Path("second.sel")));
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), Utf16(Path("third.sel")));
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), u"");
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), u"");
    // Cancelling a multiple selection keeps nothing either.
    Answer([](QWidget* dialog) { PressEscape(dialog); });
    EXPECT_EQ(Open(Folder(), RequesterMultiSelect), u"");
    EXPECT_EQ(Text(NextSelectedFileName(TempOffset)), u"");
}

TEST_F(FileRequesters, DialogsOpenWhereTheDefaultFileSays) {
    const QString sub = Path("sub");
    Answer([&](QWidget* dialog) {
        auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(fileDialog, nullptr);
        EXPECT_EQ(fileDialog->directory().absolutePath(), sub);
        EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "c.mus");
        PressEscape(dialog);
    });
    Open(Utf16(sub + "/c.mus"));
    Answer([&](QWidget* dialog) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(dialog)->directory().absolutePath(), sub);
        EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "");
        PressEscape(dialog);
    });
    Open(Utf16(sub + "/"));
    // The directory dialog ignores the trailing "/": it opens in the parent folder.
    Answer([&](QWidget* dialog) {
        EXPECT_EQ(qobject_cast<QFileDialog*>(dialog)->directory().absolutePath(), sub);
        EXPECT_EQ(dialog->findChild<QLineEdit*>("fileNameEdit")->text(), "inner/");
        TypeAndConfirm(dialog, "inner");
    });
    const std::u16string inner = Utf16(sub + "/inner/");
    EXPECT_EQ(Text(PathRequester(u"Choose a folder", inner.c_str(), TempOffset)), inner);
}

TEST_F(FileRequesters, SaveReturnsThePathExactlyAsChosen) {
    const std::pair<const char*, const char*> cases[] = {
        {"sample", "sample"}, {"voice.wav", "voice.wav"}, {"", "Sample 1.wav"}};
    for (const auto& [typed, path] : cases) {
        Answer([&](QWidget* dialog) {
            EXPECT_EQ(SelectedFilterText(dialog), "*.WAV");
            TypeAndConfirm(dialog, typed);
        });
        const std::u16string defaultFile = Folder() + u"Sample 1.wav";
        EXPECT_EQ(Text(SaveFileRequester(u"Save sample as WAV", defaultFile.c_str(), u"*.WAV", 0,
                                         TempOffset)),
                  Utf16(Path(path)))
            << typed;
    }
    Answer([&](QWidget* dialog) {
        EXPECT_EQ(ListedNames(dialog, 2), QStringList({"sub", "take.WAV"}));
        PressEscape(dialog);
    });
    EXPECT_EQ(Text(SaveFileRequester(u"", Folder().c_str(), u"*.WAV", 0, TempOffset)), u"");
}

// Qt's file dialog keeps its history in the user's settings; the requesters must not.
TEST_F(FileRequesters, DialogsWriteNothingIntoTheUsersFolders) {
    Answer([](QWidget* dialog) { TypeAndConfirm(dialog, "sounds.sel"); });
    Open(Folder());
    Answer([](QWidget* dialog) { TypeAndConfirm(dialog, "new.wav"); });
    SaveFileRequester(u"", Folder().c_str(), u"*.WAV", 0, TempOffset);
    for (const QString& home : {TestHome(), TestConfigHome()}) {
        ASSERT_FALSE(home.isEmpty());
        QStringList written;
        QDirIterator entries(home, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
        while (entries.hasNext())
            written << entries.next();
        EXPECT_TRUE(written.isEmpty()) << written.join(", ").toStdString();
    }
}

TEST_F(FileRequesters, WatchdogClosesADialogNobodyAnswers) {
    SetWatchdog(300);
    EXPECT_NONFATAL_FAILURE(Open(Folder()), "closed by the watchdog");
}

} // namespace
