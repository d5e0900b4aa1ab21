// The layout rule on its own: declared widths, which fields have a label, and the window
// width in; label frames out.
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"

#include <gtest/gtest.h>

namespace {

using Frame = std::tuple<int32_t, int32_t, double>; // field, x, width

// Lays out fields of the given widths; labelled holds one '+' or '-' per field.
std::vector<Frame> Layout(const std::vector<int32_t>& widths, const char* labelled,
                          int32_t windowWidth) {
    std::vector<StatusFieldRect> rects;
    std::vector<bool> labels;
    int32_t next = StatusBarFirstFieldX;
    for (int32_t w : widths) {
        rects.push_back({next, 0, w, 0});
        next += w == IgnoreValue ? 0 : w;
        labels.push_back(labelled[labels.size()] == '+');
    }
    std::vector<Frame> frames;
    for (const StatusFieldFrame& f : LayoutStatusBarFields(rects, labels, windowWidth))
        frames.emplace_back(f.field, f.x, f.width);
    return frames;
}

TEST(StatusBarLayoutTest, FieldsGoEdgeToEdgeAndSharedFieldsSplitTheRest) {
    constexpr int32_t Shared = IgnoreValue;
    const std::tuple<std::vector<int32_t>, const char*, int32_t, std::vector<Frame>> cases[] = {
        {{100, Shared, 50}, "+++", 400, {{0, 0, 100}, {1, 100, 250}, {2, 350, 50}}},
        {{Shared, Shared}, "++", 101, {{0, 0, 50.5}, {1, 50, 50.5}}}, // the offset truncated
        {{500}, "+", 390, {{0, 0, 500}}},                             // the program's bar
        {{100, 70, 50}, "+-+", 400, {{0, 0, 100}, {2, 100, 50}}},     // no text: no room
        {{Shared, Shared, 100}, "-++", 400, {{1, 0, 300}, {2, 300, 100}}},
        {{300, Shared, 200}, "+++", 400, {{0, 0, 300}, {1, 300, -100}, {2, 200, 200}}},
        {{100, Shared}, "--", 400, {}},
    };
    for (const auto& [widths, labelled, windowWidth, frames] : cases)
        EXPECT_EQ(Layout(widths, labelled, windowWidth), frames) << labelled << windowWidth;
}

} // namespace
