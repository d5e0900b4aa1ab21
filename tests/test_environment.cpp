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

// The system font library keeps caches that it fills when Qt first lays out text and
// never releases before the process ends. The leak checker of sanitized builds reads this
// hook at exit and passes over those blocks, and only those.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
