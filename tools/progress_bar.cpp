#include "tools/progress_bar.h"

#include <algorithm>
#include <chrono>
#include <ostream>
#include <string>

namespace {

double SteadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

ProgressBar::ProgressBar(std::ostream& err, bool enabled, Clock clock)
    : err_(err), enabled_(enabled), clock_(clock ? std::move(clock) : SteadySeconds),
      start_(clock_()) {}

void ProgressBar::Update(int64_t done, int64_t total) {
    if (!enabled_ || total <= 0)
        return;
    const double now = clock_();
    if (now - start_ < ShowAfterSeconds)
        return;
    done = std::clamp<int64_t>(done, 0, total);
    // In double: done x 100 could overflow 64 bits for absurd totals.
    const double fraction = static_cast<double>(done) / static_cast<double>(total);
    const int percent = static_cast<int>(fraction * 100);
    if (shown_ && (percent == lastPercent_ || now - lastDraw_ < RedrawSeconds))
        return;
    Draw(percent, static_cast<int>(fraction * Width));
    lastDraw_ = now;
    lastPercent_ = percent;
}

void ProgressBar::Draw(int percent, int filled) {
    err_ << '\r' << '[' << std::string(filled, '#') << std::string(Width - filled, '.') << "] "
         << percent << '%' << std::flush;
    shown_ = true;
}

void ProgressBar::Clear() {
    if (!shown_)
        return;
    // "[" + bar + "] " + "100%" is the widest line drawn.
    err_ << '\r' << std::string(Width + 8, ' ') << '\r' << std::flush;
    shown_ = false;
    lastPercent_ = -1;
}
