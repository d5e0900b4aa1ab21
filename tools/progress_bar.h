// A one-line progress bar on a terminal, for work that takes more than a moment: it
// appears only once the work has run for ShowAfterSeconds, and redraws at most every
// RedrawSeconds.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>

class ProgressBar {
public:
    // Seconds since some fixed start; a steady clock unless a test gives its own.
    using Clock = std::function<double()>;

    static constexpr double ShowAfterSeconds = 0.5;
    static constexpr double RedrawSeconds = 0.1;
    static constexpr int Width = 30; // characters between the brackets

    // enabled: err is a terminal. Nothing is ever drawn when it is false.
    ProgressBar(std::ostream& err, bool enabled, Clock clock = {});
    ~ProgressBar() { Clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // done of total units of work finished.
    void Update(int64_t done, int64_t total);
    // Erases the bar, before a message goes to err and when the work ends.
    void Clear();

private:
    void Draw(int percent, int filled);

    std::ostream& err_;
    bool enabled_;
    Clock clock_;
    double start_;
    double lastDraw_ = 0;
    bool shown_ = false;
    int lastPercent_ = -1;
};
