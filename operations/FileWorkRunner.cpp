#include "operations/FileWorkRunner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <thread>

namespace {

// How often the window's thread looks at the work: the box is drawn at most
// this often, however many files or chunks go by.
constexpr int LookIntervalMs = 30;

// The progress the work reports on its thread, for the window's thread to
// look at; and the way back to the window's thread for questions.
class SharedProgress : public FileWorkProgress {
public:
    explicit SharedProgress(QObject *windowSide) : m_windowSide(windowSide) {}

    void beginFile(int index, int count, const QString &name) override
    {
        const QMutexLocker lock(&m_mutex);
        m_index = index;
        m_count = count;
        m_name = name;
        m_done = 0;
        m_total = 0;
        m_changed = true;
    }

    void advance(qint64 done, qint64 total) override
    {
        const QMutexLocker lock(&m_mutex);
        m_done = done;
        m_total = total;
        m_changed = true;
    }

    void ask(const std::function<void()> &question) override
    {
        if (QThread::currentThread() == m_windowSide->thread()) {
            question();
            return;
        }
        QMetaObject::invokeMethod(
            m_windowSide,
            [this, &question] {
                m_asking = true;
                question();
                m_asking = false;
                m_asked = true;
            },
            Qt::BlockingQueuedConnection);
    }

    // On the window's thread: hands what changed since the last look to display.
    void show(FileWorkDisplay &display)
    {
        const QMutexLocker lock(&m_mutex);
        if (!m_changed)
            return;
        m_changed = false;
        display.update(m_index, m_count, m_name, m_done, m_total);
    }

    // On the window's thread: whether a question is open, and whether one
    // was answered since the last call.
    bool isAsking() const { return m_asking; }
    bool takeAsked() { return std::exchange(m_asked, false); }

private:
    QObject *m_windowSide;
    QMutex m_mutex;
    int m_index = 0;
    int m_count = 0;
    QString m_name;
    qint64 m_done = 0;
    qint64 m_total = 0;
    bool m_changed = false;
    bool m_asking = false; // window's thread only
    bool m_asked = false;  // window's thread only
};

} // namespace

FileWorkRunner::FileWorkRunner(FileWorkDisplay *display, int delayMs)
    : m_display(display),
      m_delayMs(delayMs)
{
}

void FileWorkRunner::runOnWorker(const QString &heading, const std::function<void(FileWorkProgress &)> &work)
{
    if (m_current) { // never started twice; should it be, it runs here
        work(*m_current);
        return;
    }
    QEventLoop loop;
    QTimer look;
    look.setInterval(LookIntervalMs);
    SharedProgress progress(&look);
    m_current = &progress;
    std::atomic<bool> done{false};
    bool shown = false;
    QElapsedTimer sinceStart;
    sinceStart.start();

    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done.load()) {
            loop.quit();
            return;
        }
        if (progress.takeAsked())
            sinceStart.start(); // the time spent on a question does not count
        if (!shown && m_display && !progress.isAsking() && sinceStart.elapsed() >= m_delayMs) {
            shown = true;
            m_display->show(heading, [&progress] { progress.cancel(); });
            loop.quit(); // to go on taking input, for the box
        }
        if (shown)
            progress.show(*m_display);
    });
    look.start();

    std::thread worker([&] {
        work(progress);
        done.store(true);
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    // Until the box is up, input waits (it is handled afterwards); then the
    // box takes it, the window being blocked by it.
    while (!done.load())
        loop.exec(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    worker.join();
    look.stop();
    if (shown)
        m_display->hide();
    m_current = nullptr;
}

void FileWorkRunner::cancel()
{
    if (m_current)
        m_current->cancel();
}
