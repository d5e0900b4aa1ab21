// marrowvale-sounds play: the chosen records of a package through the default audio
// output, one after the other, by the same CatchSound/PlaySound path as the window's Play.
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_sdl.h"
#include "tools/package_load.h"
#include "tools/position_list.h"
#include "tools/progress_bar.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <ctime>
#include <ostream>

namespace {

const char* const PlayFooter =
    "POSITION: a record's position counted from 0, or a list such as 0,3,10-12; all records "
    "when none is given. Ctrl+C stops playback.\n"
    "Exit status: 0 when every chosen sample was played, 1 when the package could not be read, "
    "a position does not exist, a sample could not be played or no audio output could be "
    "opened, 2 for a wrong command line, 130 when stopped with Ctrl+C.";

constexpr int ExitInterrupted = 130;
constexpr int64_t SoundNumber = 0;
constexpr long PollNanoseconds = 20'000'000;

volatile std::sig_atomic_t Interrupted = 0;

extern "C" void OnInterrupt(int) {
    Interrupted = 1;
}

// Ctrl+C and kill stop the playback instead of the process, so that the audio output is
// closed cleanly; the previous handlers come back afterwards.
class InterruptGuard {
public:
    InterruptGuard() {
        Interrupted = 0;
        struct sigaction action = {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptGuard() {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }

private:
    struct sigaction oldInt_ = {};
    struct sigaction oldTerm_ = {};
};

// The audio output for the time of the command: list and extract never open it.
class AudioSession {
public:
    AudioSession() {
        SetSoundPlatform(SdlSoundPlatform());
        open_ = InitSound() != nullptr;
    }
    ~AudioSession() { EndSound(); }
    bool IsOpen() const { return open_; }

private:
    bool open_ = false;
};

// Why the sound library refused a sample. It refuses any sound longer than an hour, which
// a damaged rate word makes of a short record (12 KB at 1 Hz lasts 100 minutes).
std::string WhyNotPlayed(const SampleEntry& entry) {
    const int64_t bytes = ConvertedSize(entry.DataSize, 1, 16, entry.SampleRate);
    if (bytes > SoundMaxConvertedBytes)
        return "is too long to play (more than one hour at 44100 Hz)";
    return "could not be played";
}

class PlayCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command = tool.add_subcommand(
            "play", "Play the samples of a package through the default audio output.");
        command->add_option("PACKAGE", package_, "Sample package (*.mus, *.svl, *.sel)")
            ->type_name("")
            ->required();
        command->add_option("POSITION", positions_, "Records to play (default: all)")
            ->type_name("")
            ->check(CLI::Validator(
                [](std::string& text) {
                    std::string error;
                    return PositionList::Parse(text, &error) ? std::string() : error;
                },
                ""));
        command->footer(PlayFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        const std::vector<SampleEntry*> samples = Load(io);
        if (status_ != ExitSuccess)
            return status_;
        AudioSession audio;
        if (!audio.IsOpen()) {
            ReportError(io.err, package_, "no audio output could be opened");
            return ExitFailure;
        }
        InterruptGuard guard;
        for (size_t p = 0; p < samples.size() && !Interrupted; p++) {
            if (Chosen(static_cast<int64_t>(p)))
                PlaySample(io, *samples[p]);
        }
        return Interrupted ? ExitInterrupted : status_;
    }

private:
    bool Chosen(int64_t position) const {
        if (positions_.empty())
            return true;
        for (const std::string& text : positions_) {
            if (PositionList::Parse(text)->Contains(position))
                return true;
        }
        return false;
    }

    // The package's samples; status_ is set when it could not be read or a chosen position
    // is missing.
    std::vector<SampleEntry*> Load(ToolIo& io) {
        std::string problem = PathProblem(package_);
        if (problem.empty())
            problem = LoadPackage(package_);
        if (!problem.empty()) {
            ReportError(io.err, package_, problem);
            status_ = ExitFailure;
            return {};
        }
        std::vector<SampleEntry*> samples = LoadedSamples();
        const auto count = static_cast<int64_t>(samples.size());
        for (const std::string& text : positions_) {
            const std::string missing = PositionList::Parse(text)->MissingFrom(count);
            if (!missing.empty()) {
                ReportError(io.err, package_,
                            "no record at position " + missing + " (the package has " +
                                std::to_string(count) + (count == 1 ? " record)" : " records)"));
                status_ = ExitFailure;
            }
        }
        return samples;
    }

    void PlaySample(ToolIo& io, const SampleEntry& entry) {
        const std::string name = FromRuntime(entry.Name);
        io.out << "Playing " << Printable(name) << '\n' << std::flush;
        if (entry.DataSize == 0)
            return; // a header-only image: nothing to hear
        if (!CatchSound(SoundNumber, entry.WavImage, entry.DataSize + 44LL) ||
            !PlaySound(SoundNumber)) {
            ReportError(io.err, name, WhyNotPlayed(entry));
            status_ = ExitFailure;
            FreeSound(SoundNumber);
            return;
        }
        ProgressBar bar(io.err, io.progress);
        const timespec pause = {0, PollNanoseconds};
        while (SoundStatus(SoundNumber) && !Interrupted) {
            bar.Update(SoundPosition(SoundNumber), SoundLength(SoundNumber));
            nanosleep(&pause, nullptr);
        }
        bar.Clear();
        StopSound(SoundNumber);
        FreeSound(SoundNumber);
    }

    std::string package_;
    std::vector<std::string> positions_;
    int status_ = ExitSuccess;
};

} // namespace

std::unique_ptr<ToolCommand> MakePlayCommand() {
    return std::make_unique<PlayCommand>();
}
