// Record positions chosen on the command line: "0,3,10-12" (0-based, ranges inclusive).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class PositionList {
public:
    // Inclusive ranges, sorted, merged where they touch or overlap.
    using Range = std::pair<int64_t, int64_t>;

    // Parses a comma-separated list of positions (decimal digits) and ranges ("a-b" with
    // a <= b). Empty items, signs, blanks, reversed ranges and values beyond 64 bits are
    // refused (nullopt), with the reason in error when one is given.
    static std::optional<PositionList> Parse(std::string_view text, std::string* error = nullptr);

    bool Contains(int64_t position) const;
    const std::vector<Range>& Ranges() const { return ranges_; }
    // The chosen positions at or beyond count, as text ("6, 10-12"), empty when none.
    std::string MissingFrom(int64_t count) const;

private:
    std::vector<Range> ranges_;
};
