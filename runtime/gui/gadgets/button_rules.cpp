// What a button's flags and frame height decide: its bezel, whether it is the default
// button, and how its title is aligned.
#include "runtime/gui/gadgets/gadgets_internal.h"

namespace {

// The only height (in units) at which a button is drawn with the rounded bezel.
constexpr int32_t RoundedBezelHeight = 25;

} // namespace

int32_t BezelForNewButton(int32_t height) {
    return height == RoundedBezelHeight ? ButtonBezel_Rounded : ButtonBezel_Square;
}

int32_t BezelAfterResize(int32_t bezel, int32_t height) {
    if (bezel == ButtonBezel_Rounded && height != RoundedBezelHeight) {
        return ButtonBezel_Square;
    }
    return bezel;
}

bool ButtonIsDefault(int32_t flags, int32_t height) {
    return (flags & ButtonFlag_Default) != 0 && height == RoundedBezelHeight;
}

int32_t ButtonTitleAlignment(int32_t flags) {
    if (flags & ButtonFlag_Left) {
        return TitleAlign_Left;
    }
    if (flags & ButtonFlag_Right) {
        return TitleAlign_Right;
    }
    return TitleAlign_Platform;
}
