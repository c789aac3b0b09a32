#pragma once

#include <QElapsedTimer>

// Spaces out progress updates in long loops: the bar moves and the window
// repaints a few times a tenth of a second, not once per line.
class ProgressPacer {
public:
    static constexpr int IntervalMs = 40;

    ProgressPacer() { timer_.start(); }

    // True when it is time to show progress again.
    bool due()
    {
        if (timer_.elapsed() < IntervalMs)
            return false;
        timer_.restart();
        return true;
    }

private:
    QElapsedTimer timer_;
};
