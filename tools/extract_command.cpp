// marrowvale-sounds extract: every record (or the chosen ones) of each package as a WAV
// file, byte for byte the file the window's save command writes.
#include "runtime/core/files/file_replace.h"
#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"
#include "tools/file_writes.h"
#include "tools/interruption.h"
#include "tools/manifest.h"
#include "tools/output_names.h"
#include "tools/package_load.h"
#include "tools/position_list.h"
#include "tools/progress_bar.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <ostream>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

const char* const ExtractFooter =
    "Each sample is saved as <name>.WAV, where <name> is the name the window shows "
    "(music.mus.000, music.mus.001, ...); the file is byte for byte what \"Save sample as "
    "WAV...\" writes.\n"
    "DIR is made, with its parents, when it does not exist; -o - writes the one record chosen "
    "with --only to standard output. Files that already exist in DIR are replaced. A file written "
    "earlier in the same run is "
    "never overwritten: when a name comes up again (names repeat from position 1000 on, and "
    "two packages with the same file name give the same names), the later file gets the full "
    "position (music.mus.1000.WAV) or the package's number on the command line "
    "(music.mus.000-2.WAV). A package given on the command line is never replaced, nor is "
    "anything in DIR that is not a regular file, nor a file you may not write.\n"
    "--manifest also writes manifest.json into DIR: for each file written, the record's "
    "position, name, file, rate, samples, problems and the file's SHA-256.\n"
    "Each file is written under a temporary name in DIR and renamed when complete: a failed or "
    "interrupted run leaves no partial file, and a file it was to replace as it was.\n"
    "Exit status: 0 when every file was written, 1 when a package could not be read, a chosen "
    "position does not exist or a file could not be written, 2 for a wrong command line, 130 "
    "when interrupted with Ctrl+C (143 for SIGTERM).";

CLI::Validator PositionListValidator() {
    return CLI::Validator(
        [](std::string& text) {
            std::string error;
            return PositionList::Parse(text, &error) ? std::string() : error;
        },
        "");
}

std::string Plural(int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Images of up to 32 MiB come from the heap and stay with the process when freed, so that
// each batch of a package reuses the pages of the batch before instead of the system
// mapping and zeroing fresh ones: glibc would otherwise map blocks above 128 KiB on their
// own and hand them back on free. At most two batches are held, some 64 MiB.
void KeepImagesOnTheHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}

class ExtractCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command =
            tool.add_subcommand("extract", "Save the samples of packages as WAV files.");
        command->add_option("PACKAGE", packages_, "Sample package (*.mus, *.svl, *.sel)")
            ->type_name("")
            ->required();
        output_ =
            command->add_option("-o,--output", dir_, "Folder for the WAV files (default: current)")
                ->type_name("DIR");
        command
            ->add_option("--only", only_,
                         "Positions to save, counted from 0, e.g. 0,3,10-12 (default: all)")
            ->type_name("LIST")
            ->check(PositionListValidator());
        command->add_flag("--manifest", manifest_,
                          "Also write manifest.json, from which pack --manifest rebuilds the "
                          "package");
        command->footer(ExtractFooter);
        return command;
    }

    int Run(ToolIo& io) override {
        if (!only_.empty())
            positions_ = PositionList::Parse(only_);
        if (dir_ == "-")
            return ExtractToStandardOutput(io);
        if (!CheckPaths(io))
            return ExitFailure;
        KeepImagesOnTheHeap();
        for (const std::string& path : packages_) {
            if (const auto identity = FileIdentity(path))
                inputs_.insert(*identity);
        }
        ProgressBar bar(io.err, io.progress);
        const int64_t total = TotalBytes();
        int64_t done = 0;
        const InterruptionGuard guard;
        for (size_t k = 0; k < packages_.size() && !Interrupted(); k++) {
            const int64_t size = PackageBytes(packages_[k]);
            ExtractPackage(io, bar, static_cast<int>(k + 1), done, size, total);
            done += size;
        }
        bar.Clear();
        if (manifest_ && !Interrupted())
            WriteManifest(io);
        PrintSummary(io.out);
        return Interrupted() ? InterruptedStatus() : status_;
    }

private:
    // Every path must reach the runtime unchanged, and DIR must be a folder (made, with
    // its parents, when missing); a manifest names one package.
    bool CheckPaths(ToolIo& io) {
        bool ok = true;
        for (const std::string& path : packages_) {
            const std::string problem = PathProblem(path);
            if (!problem.empty()) {
                ReportError(io.err, path, problem);
                ok = false;
            }
        }
        if (manifest_ && packages_.size() > 1) {
            io.err << "marrowvale-sounds: --manifest describes one package; give one\n";
            ok = false;
        }
        if (output_->count() == 0 || !ok)
            return ok;
        std::string problem = PathProblem(dir_);
        if (problem.empty())
            problem = MakeFolder(dir_);
        if (!problem.empty()) {
            ReportError(io.err, dir_, problem);
            ok = false;
        }
        return ok;
    }

    // "-o -": the one chosen record's WAV file to standard output, the messages to
    // standard error.
    int ExtractToStandardOutput(ToolIo& io) {
        if (packages_.size() != 1 || !positions_ || positions_->Ranges().size() != 1 ||
            positions_->Ranges()[0].first != positions_->Ranges()[0].second || manifest_) {
            io.err << "marrowvale-sounds: -o - writes one WAV file: choose one package and one "
                      "record with --only\n";
            return ExitUsage;
        }
        const std::string& path = packages_[0];
        const int64_t position = positions_->Ranges()[0].first;
        std::string problem = PathProblem(path);
        if (problem.empty())
            problem = LoadPackage(path);
        const std::vector<SampleEntry*> entries = LoadedSamples();
        if (problem.empty() && position >= std::ssize(entries))
            problem = "no record at position " + std::to_string(position) + " (the package has " +
                      Plural(std::ssize(entries), "record") + ")";
        if (!problem.empty()) {
            ReportError(io.err, path, problem);
            return ExitFailure;
        }
        const SampleEntry& entry = *entries[static_cast<size_t>(position)];
        if (entry.Problems != 0)
            ReportWarning(io.err, FromRuntime(entry.Name), RecordState(entry));
        io.out.write(reinterpret_cast<const char*>(entry.WavImage), entry.DataSize + WavHeaderSize);
        io.out.flush();
        return io.out ? ExitSuccess : ExitFailure;
    }

    void WriteManifest(ToolIo& io) {
        manifestRecords_.package = FileName(packages_[0]);
        const std::string text = ManifestText(manifestRecords_);
        const std::string path = JoinPath(dir_, ManifestName);
        const std::string problem =
            WriteWholeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
        if (!problem.empty()) {
            ReportError(io.err, path, problem);
            status_ = ExitFailure;
        }
    }

    static int64_t PackageBytes(const std::string& path) {
        return std::max<int64_t>(FileSize(RuntimeText(path).get()), 0);
    }

    int64_t TotalBytes() const {
        int64_t total = 0;
        for (const std::string& path : packages_)
            total += PackageBytes(path);
        return total;
    }

    // Decodes the package that is argument number on the command line and saves its
    // chosen records as their images are filled; the progress moves from done to done +
    // size of total bytes. The messages come after the whole package, in position order,
    // as from one file after another.
    void ExtractPackage(ToolIo& io, ProgressBar& bar, int number, int64_t done, int64_t size,
                        int64_t total) {
        const std::string& path = packages_[number - 1];
        renamed_ = 0;
        chosen_.clear();
        writes_.clear();
        planned_.clear();
        int64_t count = 0;    // records handed out so far
        int64_t consumed = 0; // package bytes of those records
        const std::string error = LoadPackage(path, [&](SampleEntry* const* entries, size_t n) {
            SaveBatch(entries, n, number, count, [&](int64_t bytes) {
                bar.Update(done + std::min(size, consumed + bytes), total);
            });
            for (size_t k = 0; k < n; k++)
                consumed += RecordBytes(*entries[k]);
        });
        if (!error.empty()) {
            bar.Clear();
            ReportError(io.err, path, error);
            status_ = ExitFailure;
        }
        packagesRead_ += count > 0 ? 1 : 0;
        if (positions_ && !positions_->MissingFrom(count).empty() && error.empty()) {
            bar.Clear();
            ReportError(io.err, path,
                        "no record at position " + positions_->MissingFrom(count) +
                            " (the package has " + Plural(count, "record") + ")");
            status_ = ExitFailure;
        }
        for (size_t k = 0; k < writes_.size(); k++) {
            ReportFile(io, bar, *chosen_[k], writes_[k]);
            if (manifest_ && writes_[k].result == FileWrite::Result::Written)
                manifestRecords_.records.push_back(planned_[k]);
        }
        bar.Update(done + size, total);
        ReportRenames(io, bar, path);
    }

    // Names the chosen entries of a batch (positions from count on, in position order),
    // writes them on all cores, then frees every image of the batch so that the next one
    // reuses the memory. progress(package bytes of the batch written so far).
    void SaveBatch(SampleEntry* const* entries, size_t n, int number, int64_t& count,
                   const std::function<void(int64_t)>& progress) {
        std::vector<FileWrite> batch;
        std::vector<int64_t> reached; // package bytes up to each file of the batch
        int64_t bytes = 0;
        for (size_t k = 0; k < n; k++, count++) {
            bytes += RecordBytes(*entries[k]);
            if (positions_ && !positions_->Contains(count))
                continue;
            chosen_.push_back(entries[k]);
            batch.push_back(PlanFile(*entries[k], count, number));
            reached.push_back(bytes);
            if (manifest_)
                planned_.push_back(Describe(*entries[k], count, batch.back()));
        }
        WriteFiles(batch, inputs_, [&](size_t finished) { progress(reached[finished - 1]); });
        for (FileWrite& file : batch) {
            file.bytes = nullptr; // freed below
            writes_.push_back(std::move(file));
        }
        for (size_t k = 0; k < n; k++) {
            FreeMemory(entries[k]->WavImage);
            entries[k]->WavImage = nullptr;
        }
    }

    // One line per package rather than one per file: a package given twice renames all.
    void ReportRenames(ToolIo& io, ProgressBar& bar, const std::string& path) {
        if (renamed_ == 0)
            return;
        bar.Clear();
        ReportWarning(io.err, path,
                      Plural(renamed_, "sample") + " saved under another name, the name " +
                          "being used already in this run (" + firstRename_ +
                          (renamed_ > 1 ? ", ..." : "") + ")");
    }

    FileWrite PlanFile(const SampleEntry& entry, int64_t position, int number) {
        const std::string entryName = FromRuntime(entry.Name);
        const std::string name = namer_.Claim(entryName, position, number);
        if (name != entryName + ".WAV" && renamed_++ == 0)
            firstRename_ = entryName + " at position " + std::to_string(position) + " as " + name;
        FileWrite file;
        file.path = JoinPath(dir_, name);
        file.bytes = entry.WavImage;
        file.size = entry.DataSize + WavHeaderSize;
        return file;
    }

    static ManifestRecord Describe(const SampleEntry& entry, int64_t position,
                                   const FileWrite& file) {
        return {position,
                FromRuntime(entry.Name),
                FileName(file.path),
                entry.SampleRate,
                entry.DataSize / 2,
                ProblemCodes(entry.Problems),
                Sha256Hex(file.bytes, static_cast<size_t>(file.size))};
    }

    void ReportFile(ToolIo& io, ProgressBar& bar, const SampleEntry& entry, const FileWrite& file) {
        if (entry.Problems != 0) {
            bar.Clear();
            ReportWarning(io.err, FromRuntime(entry.Name), RecordState(entry));
        }
        if (file.result == FileWrite::Result::Written) {
            written_++;
            return;
        }
        bar.Clear();
        if (file.result == FileWrite::Result::NotWritten)
            return; // told once, in the summary
        // A package named like an output file is never replaced: it may not be read yet.
        ReportError(io.err, file.path,
                    file.result == FileWrite::Result::Kept
                        ? "is a package given on the command line; not replaced"
                        : file.reason + (file.reason == NotARegularFile ? "; not replaced" : ""));
        failed_++;
        status_ = ExitFailure;
    }

    void PrintSummary(std::ostream& out) const {
        out << "Wrote " << Plural(written_, "WAV file") << " from "
            << Plural(packagesRead_, "package") << " to "
            << (dir_.empty() ? std::string("the current folder") : Printable(dir_));
        if (failed_ > 0)
            out << "; " << failed_ << " could not be written";
        if (Interrupted())
            out << "; interrupted, the rest was not written";
        out << ".\n";
    }

    std::vector<std::string> packages_;
    std::string dir_;
    CLI::Option* output_ = nullptr;
    std::string only_;
    std::optional<PositionList> positions_;
    OutputNamer namer_;
    std::vector<const SampleEntry*> chosen_; // of the current package, in position order
    std::vector<FileWrite> writes_;          // their files, written
    FileIdentities inputs_;                  // of the packages
    int64_t written_ = 0;
    int64_t failed_ = 0;
    int64_t packagesRead_ = 0;
    int64_t renamed_ = 0; // in the current package
    std::string firstRename_;
    int status_ = ExitSuccess;
    bool manifest_ = false;
    std::vector<ManifestRecord> planned_; // of writes_, when a manifest is asked for
    Manifest manifestRecords_;            // of the files written
};

} // namespace

std::unique_ptr<ToolCommand> MakeExtractCommand() {
    return std::make_unique<ExtractCommand>();
}
