#include "tools/position_list.h"

#include <algorithm>

namespace {

// A position: one or more decimal digits, at most INT64_MAX.
std::optional<int64_t> ParsePosition(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (INT64_MAX - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<PositionList::Range> ParseItem(std::string_view item, std::string& error) {
    if (item.empty()) {
        error = "an empty item (positions are separated by single commas)";
        return std::nullopt;
    }
    const size_t dash = item.find('-');
    const auto first = ParsePosition(item.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : ParsePosition(item.substr(dash + 1));
    if (!first || !last) {
        // Appended rather than concatenated: g++ 12 at -O3 warns of an overlap that cannot be.
        error = std::string("\"").append(item).append("\" is not a position or a range like 10-12");
        return std::nullopt;
    }
    if (*first > *last) {
        error = std::string("the range \"").append(item).append("\" runs backwards");
        return std::nullopt;
    }
    return PositionList::Range{*first, *last};
}

void Merge(std::vector<PositionList::Range>& ranges) {
    std::sort(ranges.begin(), ranges.end());
    std::vector<PositionList::Range> merged;
    for (const auto& range : ranges) {
        if (!merged.empty() && range.first - 1 <= merged.back().second)
            merged.back().second = std::max(merged.back().second, range.second);
        else
            merged.push_back(range);
    }
    ranges = std::move(merged);
}

std::string RangeText(int64_t first, int64_t last) {
    return first == last ? std::to_string(first)
                         : std::to_string(first) + "-" + std::to_string(last);
}

} // namespace

std::optional<PositionList> PositionList::Parse(std::string_view text, std::string* error) {
    PositionList list;
    std::string reason;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const auto range = ParseItem(text.substr(start, comma - start), reason);
        if (!range) {
            if (error)
                *error = reason;
            return std::nullopt;
        }
        list.ranges_.push_back(*range);
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    Merge(list.ranges_);
    return list;
}

bool PositionList::Contains(int64_t position) const {
    auto after = std::upper_bound(ranges_.begin(), ranges_.end(), Range{position, INT64_MAX});
    return after != ranges_.begin() && std::prev(after)->second >= position;
}

std::string PositionList::MissingFrom(int64_t count) const {
    std::string text;
    for (const auto& [first, last] : ranges_) {
        if (last < count)
            continue;
        if (!text.empty())
            text += ", ";
        text += RangeText(std::max(first, count), last);
    }
    return text;
}
