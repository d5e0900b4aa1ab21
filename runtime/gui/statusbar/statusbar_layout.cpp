// Where the labelled fields of a status bar go, and the field bookkeeping of the records.
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"

#include <cstddef>

std::vector<StatusFieldFrame> LayoutStatusBarFields(const std::vector<StatusFieldRect>& fields,
                                                    const std::vector<bool>& labelled,
                                                    int32_t windowWidth) {
    int32_t shared = 0; // fields that share the rest
    int32_t fixed = 0;  // sum of the declared widths of the others
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i >= labelled.size() || !labelled[i]) {
            continue;
        }
        if (fields[i].width == IgnoreValue) {
            ++shared;
        } else {
            fixed += fields[i].width;
        }
    }
    std::vector<StatusFieldFrame> frames;
    int32_t x = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i >= labelled.size() || !labelled[i]) {
            continue;
        }
        const double width = fields[i].width == IgnoreValue
                                 ? static_cast<double>(windowWidth - fixed) / shared
                                 : static_cast<double>(fields[i].width);
        frames.push_back({static_cast<int32_t>(i), x, width});
        x = static_cast<int32_t>(x + width); // truncated toward zero
    }
    return frames;
}
