#include "tools/manifest.h"

#include "tools/tool_files.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace {

constexpr int ManifestFormat = 1;
// A manifest lists records, not sounds: a few MiB at the most.
constexpr int64_t ManifestLimit = 64 << 20;

} // namespace

std::string ManifestText(const Manifest& manifest) {
    nlohmann::ordered_json records = nlohmann::ordered_json::array();
    for (const ManifestRecord& r : manifest.records)
        records.push_back({{"position", r.position},
                           {"name", r.name},
                           {"file", r.file},
                           {"rate", r.rate},
                           {"samples", r.samples},
                           {"problems", r.problems},
                           {"sha256", r.sha256}});
    const nlohmann::ordered_json json = {
        {"format", ManifestFormat}, {"package", manifest.package}, {"records", records}};
    return json.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string ReadManifest(const std::string& path, Manifest& manifest) {
    std::vector<uint8_t> bytes;
    std::string problem = ReadFileBytes(path, bytes, ManifestLimit + 1);
    if (!problem.empty())
        return problem;
    if (static_cast<int64_t>(bytes.size()) > ManifestLimit)
        return "is larger than 64 MiB, too large for a manifest";
    const auto json = nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (json.is_discarded() || !json.is_object())
        return "is not JSON";
    try {
        if (json.at("format").get<int>() != ManifestFormat)
            return "has an unknown format (" + json.at("format").dump() + ")";
        manifest.package = json.value("package", "");
        for (const auto& r : json.at("records"))
            manifest.records.push_back({r.at("position").get<int64_t>(),
                                        r.value("name", ""),
                                        r.at("file").get<std::string>(),
                                        r.value("rate", 0),
                                        r.value("samples", 0),
                                        {},
                                        r.value("sha256", "")});
    } catch (const nlohmann::json::exception& error) {
        return std::string("is not a manifest: ") + error.what();
    }
    std::stable_sort(manifest.records.begin(), manifest.records.end(),
                     [](const auto& a, const auto& b) { return a.position < b.position; });
    return {};
}
