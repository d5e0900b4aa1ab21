// The layout rule on its own: declared widths, which fields have a label, and the window
// width in; label frames out.
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"

#include <gtest/gtest.h>

namespace {

struct Frame {
    int32_t field;
    int32_t x;
    double width;
    bool operator==(const Frame&) const = default;
};

std::vector<Frame> Layout(const std::vector<int32_t>& widths, const std::vector<bool>& labelled,
                          int32_t windowWidth) {
    std::vector<StatusFieldRect> rects;
    int32_t next = StatusBarFirstFieldX;
    for (int32_t w : widths) {
        rects.push_back({next, 0, w, 0});
        next += w == IgnoreValue ? 0 : w;
    }
    std::vector<Frame> frames;
    for (const StatusFieldFrame& f : LayoutStatusBarFields(rects, labelled, windowWidth)) {
        frames.push_back({f.field, f.x, f.width});
    }
    return frames;
}

TEST(StatusBarLayoutTest, FieldsGoEdgeToEdgeAndSharedFieldsSplitTheRest) {
    struct Case {
        const char* name;
        std::vector<int32_t> widths;
        std::vector<bool> labelled;
        int32_t windowWidth;
        std::vector<Frame> frames;
    };
    const Case cases[] = {
        {"fixed, shared, fixed",
         {100, IgnoreValue, 50},
         {true, true, true},
         400,
         {{0, 0, 100}, {1, 100, 250}, {2, 350, 50}}},
        {"two shared halves, offset truncated",
         {IgnoreValue, IgnoreValue},
         {true, true},
         101,
         {{0, 0, 50.5}, {1, 50, 50.5}}},
        {"the program's bar: wider than the window", {500}, {true}, 390, {{0, 0, 500}}},
        {"a field without text takes no room",
         {100, 70, 50},
         {true, false, true},
         400,
         {{0, 0, 100}, {2, 100, 50}}},
        {"an unlabelled shared field does not share",
         {IgnoreValue, IgnoreValue, 100},
         {false, true, true},
         400,
         {{1, 0, 300}, {2, 300, 100}}},
        {"fixed fields wider than the window leave a negative share",
         {300, IgnoreValue, 200},
         {true, true, true},
         400,
         {{0, 0, 300}, {1, 300, -100}, {2, 200, 200}}},
        {"nothing labelled", {100, IgnoreValue}, {false, false}, 400, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Layout(c.widths, c.labelled, c.windowWidth), c.frames) << c.name;
    }
}

} // namespace
