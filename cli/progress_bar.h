// The one-line progress bar of the long-running commands.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace vantor::cli {

// A one-line progress bar on a terminal, shown once a run takes over a second.
class ProgressBar {
    using Clock = std::chrono::steady_clock;

public:
    explicit ProgressBar(bool enabled) : enabled_(enabled), start_(Clock::now()), last_(start_) {}
    void update(double fraction) {
        if (!enabled_) return;
        Clock::time_point now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        if (fraction < 0) fraction = 0;
        if (fraction > 1) fraction = 1;
        const int width = 40, filled = static_cast<int>(fraction * width);
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(filled, '#').c_str(),
                     std::string(width - filled, ' ').c_str(), static_cast<int>(fraction * 100));
        std::fflush(stderr);
    }
    ~ProgressBar() {
        if (shown_) std::fprintf(stderr, "\r\033[K");
    }

private:
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_, last_;
};

}  // namespace vantor::cli
