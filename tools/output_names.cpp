#include "tools/output_names.h"

#include <cctype>

namespace {

const char* const WavExtension = ".WAV";

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The position as the window writes it, at least three digits with "0" on the left, but
// whole.
std::string FullPosition(int64_t position) {
    std::string digits = std::to_string(position);
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

// The package part of an entry name: everything before its last ".".
std::string PackagePart(const std::string& entryName) {
    const size_t dot = entryName.rfind('.');
    return dot == std::string::npos ? entryName : entryName.substr(0, dot);
}

} // namespace

bool OutputNamer::TryClaim(const std::string& name) {
    return used_.insert(Lower(name)).second;
}

std::string OutputNamer::Claim(const std::string& entryName, int64_t position, int packageNumber) {
    std::string name = entryName + WavExtension;
    if (TryClaim(name))
        return name;
    const std::string stem = PackagePart(entryName) + "." + FullPosition(position);
    name = stem + WavExtension;
    if (position >= 1000 && TryClaim(name))
        return name;
    const std::string numbered = stem + "-" + std::to_string(packageNumber);
    name = numbered + WavExtension;
    for (int n = 2; !TryClaim(name); n++)
        name = numbered + "-" + std::to_string(n) + WavExtension;
    return name;
}
