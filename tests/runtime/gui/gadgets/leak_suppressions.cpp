// The system font library keeps caches that it fills when Qt first lays out text and
// never releases before the process ends. The leak checker of sanitized builds reads this
// hook at exit and passes over those blocks, and only those.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
