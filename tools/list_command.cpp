// marrowvale-sounds list: one line per record of each package, or one JSON document.
#include "tools/package_load.h"
#include "tools/tool_command.h"
#include "tools/tool_files.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <ostream>

namespace {

constexpr size_t ColumnCount = 7;
using Row = std::array<std::string, ColumnCount>;

const Row Header = {"POSITION", "NAME", "RATE", "SECONDS", "PACKED", "DATA", "STATE"};
// Numbers line up on the right, texts on the left.
const std::array<bool, ColumnCount> RightAligned = {true, false, true, true, true, true, false};

std::string SecondsText(int64_t milliseconds) {
    if (milliseconds < 0)
        return "-";
    std::string fraction = std::to_string(milliseconds % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(milliseconds / 1000) + "." + fraction;
}

// The name's control characters are escaped as in messages: a package named with an
// escape sequence must not recolour the terminal.
Row TextRow(int64_t position, const SampleEntry& entry) {
    return {std::to_string(position),
            Printable(FromRuntime(entry.Name)),
            std::to_string(entry.SampleRate),
            SecondsText(DurationMilliseconds(entry)),
            std::to_string(entry.PackedSize),
            std::to_string(entry.DataSize),
            RecordState(entry)};
}

// JSON escapes control characters in strings itself (\u001b).
nlohmann::ordered_json JsonRecord(int64_t position, int64_t offset, const SampleEntry& entry) {
    nlohmann::ordered_json record = {
        {"position", position},
        {"offset", offset},
        {"name", FromRuntime(entry.Name)},
        {"sampleRate", entry.SampleRate},
        {"durationSeconds", nullptr},
        {"packedBytes", entry.PackedSize},
        {"dataBytes", entry.DataSize},
        {"samples", entry.DataSize / 2},
        {"decodedBytes", entry.DecodedBytes},
        {"missingBytes", entry.MissingBytes},
        {"state", RecordState(entry)},
        {"problems", ProblemCodes(entry.Problems)},
    };
    if (entry.SampleRate > 0)
        record["durationSeconds"] = entry.DataSize / 2.0 / entry.SampleRate;
    return record;
}

// Characters of a UTF-8 text: every byte but the continuation bytes 10xxxxxx.
size_t DisplayWidth(const std::string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

void PrintTable(std::ostream& out, const std::vector<Row>& rows) {
    std::array<size_t, ColumnCount> widths{};
    for (const Row& row : rows) {
        for (size_t c = 0; c < ColumnCount; c++)
            widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
    for (const Row& row : rows) {
        for (size_t c = 0; c < ColumnCount; c++) {
            // The last column is not padded: no blanks at the end of a line.
            const size_t pad = c + 1 == ColumnCount ? 0 : widths[c] - DisplayWidth(row[c]);
            out << (c > 0 ? "  " : "");
            out << (RightAligned[c] ? std::string(pad, ' ') + row[c]
                                    : row[c] + std::string(pad, ' '));
        }
        out << '\n';
    }
}

class ListCommand : public ToolCommand {
public:
    CLI::App* Configure(CLI::App& tool) override {
        CLI::App* command = tool.add_subcommand("list", "List the records of sample packages.");
        command->add_option("PACKAGE", packages_, "Sample package (*.mus, *.svl, *.sel)")
            ->type_name("")
            ->required();
        command->add_flag("--json", json_, "Print one JSON document instead of a table");
        command->footer(
            "One line per record: its position in the package (from 0), its name, sample rate "
            "(Hz), duration (seconds), packed and data bytes, and a state: ok, or what was "
            "wrong with the record and what the reader did about it. --json gives the same, "
            "with each record's byte offset in the file and its sample count (the README "
            "describes the document).\n"
            "Exit status: 0 when every package was read, 1 when one could not be read, 2 for "
            "a wrong command line.");
        return command;
    }

    int Run(ToolIo& io) override {
        int status = ExitSuccess;
        std::vector<Row> rows = {Header};
        nlohmann::ordered_json packages = nlohmann::ordered_json::array();
        for (const std::string& path : packages_) {
            nlohmann::ordered_json package = {{"path", path}, {"error", nullptr}};
            std::string error = PathProblem(path);
            const bool loaded = error.empty();
            if (loaded)
                error = LoadPackage(path);
            if (!error.empty()) {
                ReportError(io.err, path, error);
                package["error"] = error;
                status = ExitFailure;
            }
            package["records"] = loaded ? Records(rows) : nlohmann::ordered_json::array();
            packages.push_back(std::move(package));
        }
        if (json_)
            io.out << nlohmann::ordered_json{{"format", 1}, {"packages", packages}}.dump(
                          2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
                   << '\n';
        else if (rows.size() > 1)
            PrintTable(io.out, rows);
        return status;
    }

private:
    // The loaded records as JSON, and as table rows appended to rows.
    static nlohmann::ordered_json Records(std::vector<Row>& rows) {
        nlohmann::ordered_json records = nlohmann::ordered_json::array();
        int64_t position = 0, offset = 0;
        for (const SampleEntry* entry : LoadedSamples()) {
            rows.push_back(TextRow(position, *entry));
            records.push_back(JsonRecord(position, offset, *entry));
            offset += RecordBytes(*entry);
            position++;
        }
        return records;
    }

    std::vector<std::string> packages_;
    bool json_ = false;
};

} // namespace

std::unique_ptr<ToolCommand> MakeListCommand() {
    return std::make_unique<ListCommand>();
}
