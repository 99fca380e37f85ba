#pragma once

#include <QString>
#include <QtGlobal>

#include <atomic>
#include <functional>

// Follows file work that can take long (a copy, an import, trashing or
// renaming many files) and stops it. The work calls beginFile() before each
// file and advance() between chunks of a large one, on the thread it runs
// on; it asks isCancelled() at the same points and stops there once cancel()
// was called, from any thread. What is done stays done; a file begun is
// undone (a copy leaves no partial file). A box on the window's thread
// overrides the two calls to hand them over to it, and ask() to put a
// question on that thread.
class FileWorkProgress {
public:
    virtual ~FileWorkProgress() = default;

    // File `index` (from 0) of `count` is begun; name is how the player knows it.
    virtual void beginFile(int index, int count, const QString &name)
    {
        Q_UNUSED(index) Q_UNUSED(count) Q_UNUSED(name)
    }
    // Of the file begun, `done` of `total` bytes are through.
    virtual void advance(qint64 done, qint64 total)
    {
        Q_UNUSED(done) Q_UNUSED(total)
    }

    // Runs question (a prompter call: a dialog) where dialogs are shown, the
    // window's thread, and returns once it is answered. Work on a worker
    // thread asks the player through this; here it runs at once.
    virtual void ask(const std::function<void()> &question) { question(); }

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

    // For work that may be given no progress at all.
    static bool isCancelled(const FileWorkProgress *progress) { return progress && progress->isCancelled(); }
    static void ask(FileWorkProgress *progress, const std::function<void()> &question)
    {
        if (progress)
            progress->ask(question);
        else
            question();
    }

private:
    std::atomic<bool> m_cancelled{false};
};
