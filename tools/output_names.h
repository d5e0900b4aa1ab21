// File names of extracted samples. A sample is saved as "<entry name>.WAV", the name the
// window shows it under. Entry names repeat (from position 1000 on a package's names
// repeat those of positions 100 to 999, and two packages with the same file name give the
// same names), so a name already handed out in this run is never handed out again.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>

class OutputNamer {
public:
    // The file name for the sample entryName (package file name + "." + three digits) at
    // position of the package that is argument packageNumber (from 1) on the command
    // line. Tried in turn until one is free:
    //   "<entry name>.WAV"
    //   "<package>.<full position>.WAV"       (positions from 1000 on)
    //   "<package>.<position>-<packageNumber>.WAV"
    //   "<package>.<position>-<packageNumber>-<n>.WAV"   (n = 2, 3, ...)
    // Names are compared without regard to ASCII case, for file systems that ignore it.
    std::string Claim(const std::string& entryName, int64_t position, int packageNumber);

private:
    bool TryClaim(const std::string& name);

    std::unordered_set<std::string> used_; // lower-case
};
