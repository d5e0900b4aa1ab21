// Linked into every test executable: the tests run headless, without a display for Qt
// and without a sound card for SDL, at discovery time as much as when they run. A value
// the caller has set already (a developer with a display) is kept.
#include <cstdlib>

namespace {

struct HeadlessEnvironment {
    HeadlessEnvironment() {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }
} headless;

} // namespace
