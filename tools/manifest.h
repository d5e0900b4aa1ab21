// The manifest of an extract: which WAV file holds which record of a package, with its
// SHA-256, so that pack can rebuild the package in the same order from edited files and
// take the records whose files did not change from the original byte for byte.
//   {"format": 1, "package": <file name>, "records": [{"position", "name", "file",
//    "rate", "samples", "problems", "sha256"}, ...]}
// "file" is relative to the manifest's folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr const char* ManifestName = "manifest.json";

struct ManifestRecord {
    int64_t position = 0;
    std::string name; // as the window lists it
    std::string file;
    int64_t rate = 0;    // Hz
    int64_t samples = 0; // in the WAV file
    std::vector<std::string> problems;
    std::string sha256; // of the WAV file, lower-case hex
};

struct Manifest {
    std::string package; // file name
    std::vector<ManifestRecord> records;
};

std::string ManifestText(const Manifest& manifest);
// Reads the manifest at path; its records sorted by position. Empty, or the reason.
std::string ReadManifest(const std::string& path, Manifest& manifest);

// SHA-256 of size bytes at data, lower-case hex.
std::string Sha256Hex(const uint8_t* data, size_t size);
