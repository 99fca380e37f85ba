#pragma once

#include "operations/FileWorkProgress.h"

#include <QString>

#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

// What shows file work to the player while it runs: the progress box.
class FileWorkDisplay {
public:
    virtual ~FileWorkDisplay() = default;
    // The work has run longer than the delay: the box appears. cancel is
    // what its Cancel button does.
    virtual void show(const QString &heading, const std::function<void()> &cancel) = 0;
    // File index (from 0) of count, named name, is being worked on; of it,
    // done of total bytes are through (total 0: not told).
    virtual void update(int index, int count, const QString &name, qint64 done, qint64 total) = 0;
    virtual void hide() = 0;
};

// Runs file work that can take long (a copy, an import, trashing or
// renaming many files) on a worker thread, while the window's thread goes on
// with its events: the window keeps drawing and its timers fire, but user
// input waits. Once the work has run for delayMs, the display shows it with
// its Cancel, which alone takes input then. A question the work must ask
// goes to the window's thread through FileWorkProgress::ask().
//
// Whoever owns the window asks isRunning() before changing it on its own
// (the folder watcher's updates wait), and starts no other work meanwhile.
class FileWorkRunner {
public:
    // The delay of the scans' progress box, so that short work shows nothing.
    static constexpr int DefaultDelayMs = 500;

    explicit FileWorkRunner(FileWorkDisplay *display = nullptr, int delayMs = DefaultDelayMs);
    FileWorkRunner(const FileWorkRunner &) = delete;
    FileWorkRunner &operator=(const FileWorkRunner &) = delete;

    bool isRunning() const { return m_current != nullptr; }
    // Stops the work running now, as the box's Cancel does.
    void cancel();
    void setDelay(int delayMs) { m_delayMs = delayMs; }

    // Runs work(progress) on a worker thread and returns what it returns,
    // once it is done. Called on the window's thread; work must use no
    // widget (it asks through progress.ask()).
    template <typename Work>
    auto run(const QString &heading, Work &&work) -> std::invoke_result_t<Work &, FileWorkProgress &>
    {
        using Result = std::invoke_result_t<Work &, FileWorkProgress &>;
        if constexpr (std::is_void_v<Result>) {
            runOnWorker(heading, work);
        } else {
            std::optional<Result> result;
            runOnWorker(heading, [&](FileWorkProgress &progress) { result.emplace(work(progress)); });
            return std::move(*result);
        }
    }

    // runner->run(), or, with no runner, the work here and now with a
    // progress that nobody cancels (commands used without a window).
    template <typename Work>
    static auto run(FileWorkRunner *runner, const QString &heading, Work &&work)
        -> std::invoke_result_t<Work &, FileWorkProgress &>
    {
        if (runner)
            return runner->run(heading, std::forward<Work>(work));
        FileWorkProgress inPlace;
        return work(inPlace);
    }

private:
    void runOnWorker(const QString &heading, const std::function<void(FileWorkProgress &)> &work);

    FileWorkDisplay *m_display;
    int m_delayMs;
    FileWorkProgress *m_current = nullptr; // of the work running
};
