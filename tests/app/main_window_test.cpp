// The tool as a user works it, in-process on the headless platform with the real runtime:
// clicks and key presses on window 0, the dialogs answered by typing, sound through the
// output without a device, whose mix the test pulls and compares sample for sample. HOME
// and XDG_CONFIG_HOME are temporary folders.
#include "app/decode/adpcm_encode.h"
#include "app/decode/package_reader.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/application/application_qt.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets_qt.h"
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows_qt.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_null.h"
#include "tests/file_size_limit.h"
#include "tests/runtime/gui/dialog_driver.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// The process: temporary home and configuration folders, the program started once, then
// its audio output exchanged for the one without a device.
class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        home_ = std::make_unique<TemporaryHome>();
        RunStartup();
        EndSound();
        SetSoundPlatform(NullSoundPlatform());
        InitSound();
    }
    void TearDown() override {
        CloseWindow(AllObjects);
        RunShutdown();
    }
    static QString Home() { return home_->home(); }

private:
    static inline std::unique_ptr<TemporaryHome> home_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

// A package of three short records (0.2 s, 0.3 s, 0.1 s of a tone) in a temporary folder.
QString WritePackage(const QString& folder) {
    std::vector<uint8_t> package;
    for (int n : {2205, 3307, 1103}) {
        std::vector<int16_t> samples(static_cast<size_t>(n));
        for (int i = 0; i < n; i++)
            samples[static_cast<size_t>(i)] = static_cast<int16_t>((i % 50) * 400 - 10000);
        AppendPackageRecord(package, 11025, samples.data(), n);
    }
    const QString path = folder + "/tones.sel";
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(package.data()), static_cast<qint64>(package.size()));
    return path;
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver.Start();
        OpenMainWindow();
        Quit = 0;
        Pump(50);
    }
    void TearDown() override {
        driver.Stop();
        StopSound(-1);
        CloseWindow(0);
        RecyclePool();
    }

    // Runs the program's loop for ms milliseconds.
    static void Pump(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            HandleNextEvent(10);
    }
    static void Click(int64_t gadget) {
        QTest::mouseClick(GadgetWidget(gadget), Qt::LeftButton);
        Pump(30);
    }
    static QString StatusText() {
        auto* record = static_cast<KS_StatusBarStructure*>(GetObject(StatusBarRegistry, 0));
        QLabel* label = record && !record->FieldViews->empty()
                            ? static_cast<QLabel*>(QtWidget(record->FieldViews->at(0)))
                            : nullptr;
        return label ? label->text() : QString();
    }
    static int Rows() { return static_cast<int>(CountGadgetItems(SampleListGadget)); }

    void Decode(const QString& path) {
        driver.Answer([path](QWidget* d) { DialogDriver::TypeAndConfirm(d, path); });
        Click(DecodeGadget);
    }

    QTemporaryDir folder;
    DialogDriver driver;
};

TEST_F(MainWindowTest, StartsWithPlayAndSaveDisabledAndTheCreditText) {
    EXPECT_TRUE(GadgetWidget(DecodeGadget)->isEnabled());
    EXPECT_FALSE(GadgetWidget(PlayGadget)->isEnabled());
    EXPECT_TRUE(GadgetWidget(StopGadget)->isEnabled());
    EXPECT_FALSE(GadgetWidget(SaveGadget)->isEnabled());
    EXPECT_EQ(StatusText(), QString::fromUtf16(CreditText));
    EXPECT_EQ(GetGadgetState(SampleListGadget), -1);
    // Return with nothing selected plays nothing; Stop with nothing played does nothing.
    QTest::keyClick(GadgetWidget(SampleListGadget), Qt::Key_Return);
    Click(StopGadget);
    EXPECT_EQ(IsSound(0), 0);
}

TEST_F(MainWindowTest, DecodingFillsTheListSelectsRowZeroAndShowsThePath) {
    const QString path = WritePackage(folder.path());
    Decode(path);
    ASSERT_EQ(Rows(), 3);
    EXPECT_EQ(GetGadgetState(SampleListGadget), 0);
    Pump(50);
    EXPECT_EQ(GetGadgetState(SampleListGadget), 0); // still selected after the next pump
    EXPECT_EQ(StatusText(), path);
    EXPECT_TRUE(GadgetWidget(PlayGadget)->isEnabled());
    EXPECT_TRUE(GadgetWidget(SaveGadget)->isEnabled());
    EXPECT_EQ(QString::fromUtf16(PackageDir), folder.path() + "/");
    TempExpression e;
    EXPECT_EQ(QString::fromUtf16(GetGadgetItemText(SampleListGadget, 2, 0, e.Start())),
              u"tones.sel.002"_qs);
}

TEST_F(MainWindowTest, ACancelledDialogChangesNothing) {
    Decode(WritePackage(folder.path()));
    SetGadgetState(SampleListGadget, 1);
    driver.Answer(DialogDriver::PressEscape);
    Click(DecodeGadget);
    EXPECT_EQ(Rows(), 3);
    EXPECT_EQ(GetGadgetState(SampleListGadget), 1);
    EXPECT_EQ(StatusText(), folder.path() + "/tones.sel");
    driver.Answer(DialogDriver::PressEscape);
    Click(SaveGadget);
    EXPECT_TRUE(QDir(ProgramEnvironment::Home()).entryList({"*.WAV"}).isEmpty());
}

// What plays is the selected sample, converted to 44100 Hz stereo, sample for sample.
TEST_F(MainWindowTest, ReturnPlaysPlayRestartsAndStopSilences) {
    Decode(WritePackage(folder.path()));
    QTest::keyClick(GadgetWidget(SampleListGadget), Qt::Key_Return);
    Pump(30);
    ASSERT_NE(IsSound(0), 0);
    EXPECT_EQ(SoundStatus(0), 1);
    EXPECT_EQ(SoundLength(0), 2206 * 4); // a padding sample; 11025 Hz made 44100 Hz
    std::vector<int16_t> heard(2 * 400);
    EXPECT_EQ(PullNullSound(reinterpret_cast<uint8_t*>(heard.data()), 1600), 1600);
    EXPECT_EQ(SoundPosition(0), 400);
    const auto* entry = static_cast<SampleEntry*>(SelectElement(Samples.list, 0));
    const auto* source = reinterpret_cast<const int16_t*>(entry->WavImage + WavHeaderSize);
    for (size_t frame = 0; frame < 400; frame++) { // each sample four times, left and right
        ASSERT_EQ(heard[2 * frame], source[frame / 4]) << frame;
        ASSERT_EQ(heard[2 * frame + 1], source[frame / 4]) << frame;
    }
    Click(PlayGadget);
    EXPECT_EQ(SoundStatus(0), 1);
    EXPECT_EQ(SoundPosition(0), 0); // from the start again, not a second copy
    Click(StopGadget);
    EXPECT_EQ(SoundStatus(0), 0);
    EXPECT_EQ(PullNullSound(reinterpret_cast<uint8_t*>(heard.data()), 1600), 1600);
    EXPECT_EQ(heard, std::vector<int16_t>(800, 0)); // silence at once
    // The selection of another row plays that row.
    SetGadgetState(SampleListGadget, 1);
    Click(PlayGadget);
    EXPECT_EQ(SoundLength(0), 3308 * 4);
    // A sample that cannot be loaded (its image says 0 Hz) plays nothing, not the last one.
    uint8_t* image = static_cast<SampleEntry*>(SelectElement(Samples.list, 2))->WavImage;
    std::fill(image + 24, image + 28, 0);
    SetGadgetState(SampleListGadget, 2);
    Click(PlayGadget);
    EXPECT_EQ(IsSound(0), 0);
}

TEST_F(MainWindowTest, SaveWritesTheImageAndOffersHomeThenTheLastFolder) {
    Decode(WritePackage(folder.path()));
    QString offeredFolder, offeredName;
    const QString target = folder.path() + "/first";
    driver.Answer([&](QWidget* d) {
        offeredFolder = DialogDriver::ShownFolder(d);
        offeredName = DialogDriver::ProposedName(d);
        DialogDriver::TypeAndConfirm(d, target);
    });
    Click(SaveGadget);
    EXPECT_EQ(offeredFolder, QDir(ProgramEnvironment::Home()).absolutePath());
    EXPECT_EQ(offeredName, u"tones.sel.000.WAV"_qs);
    SelectElement(Samples.list, 0);
    const SampleEntry* entry = CurrentSample();
    QFile saved(target); // as typed: no extension added
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.size(), entry->DataSize + 44);
    EXPECT_EQ(bytes,
              QByteArray(reinterpret_cast<const char*>(entry->WavImage), entry->DataSize + 44));
    // The next dialog starts in the folder of the last save, with the next name.
    SetGadgetState(SampleListGadget, 1);
    driver.Answer([&](QWidget* d) {
        offeredFolder = DialogDriver::ShownFolder(d);
        offeredName = DialogDriver::ProposedName(d);
        DialogDriver::PressEscape(d);
    });
    Click(SaveGadget);
    EXPECT_EQ(offeredFolder, folder.path());
    EXPECT_EQ(offeredName, u"tones.sel.001.WAV"_qs);
}

TEST_F(MainWindowTest, AFailedSaveTellsTheUserAndLeavesNoFile) {
    Decode(WritePackage(folder.path()));
    const QString target = folder.path() + "/full.WAV";
    QString told;
    driver.Answer([&](QWidget* d) { DialogDriver::TypeAndConfirm(d, target); });
    driver.Answer([&](QWidget* d) {
        if (auto* box = qobject_cast<QMessageBox*>(d))
            told = box->informativeText();
        QTest::keyClick(d, Qt::Key_Return);
    });
    {
        const FileSizeLimit full(1000); // below the image: the write fails
        Click(SaveGadget);
    }
    EXPECT_TRUE(told.contains(target)) << told.toStdString();
    EXPECT_TRUE(told.contains(u"too large"_qs)) << told.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"tones.sel"_qs});
}

TEST_F(MainWindowTest, QuitInTheMenuAndItsKeyDoNothing) {
    Application.quit->trigger();
    Pump(30);
    QTest::keyClick(GadgetWidget(SampleListGadget), Qt::Key_Q, Qt::ControlModifier);
    Pump(30);
    EXPECT_EQ(Quit, 0);
    EXPECT_NE(WindowWidget(0), nullptr);
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheLoop) {
    WindowWidget(0)->close();
    Pump(30);
    EXPECT_EQ(Quit, 1);
    EXPECT_NE(WindowWidget(0), nullptr); // closed by shutdown, not by the request
}

} // namespace

namespace {

TEST(ProgramTest, ClosingTheWindowEndsTheProgramWithStatus0) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Quit = 0;
            QTimer::singleShot(300, [] { WindowWidget(0)->close(); });
            RunMainWindow();
            RunShutdown();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
