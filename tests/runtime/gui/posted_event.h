// A runtime event as the toolkit's tests collect and compare them. Free of Qt, so that the
// tests of the portable logic share it with those on Qt.
#pragma once

#include <cstdint>

struct PostedEvent {
    int64_t kind;
    int64_t object;
    int64_t window;
    int64_t type;
    bool operator==(const PostedEvent&) const = default;
};
