#pragma once

#include <QString>

#include <functional>
#include <memory>

// How a second start reaches the copy of the program that runs: it asks it
// to bring its window to the front, and ends. The copy that holds the
// single-instance lock listens; each platform has its own way between the
// two processes (makeRunningCopyChannel picks it).
class RunningCopyChannel {
public:
    virtual ~RunningCopyChannel() = default;

    // The running copy: show is called on the window's thread whenever a
    // later start asks. False when the channel cannot be opened; the
    // program runs all the same, only later starts cannot reach it.
    virtual bool listen(std::function<void()> show) = 0;

    // A later start: asks the running copy to show its window and waits a
    // moment for its answer. False when no copy answered.
    virtual bool askToShow() = 0;
};

// The channel of this platform for a program name (the name of its
// single-instance lock), per user.
std::unique_ptr<RunningCopyChannel> makeRunningCopyChannel(const QString &name);
