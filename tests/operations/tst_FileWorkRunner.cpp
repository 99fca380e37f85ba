// Long file work on a worker thread: the window's thread goes on with its
// events, the progress box comes after the delay and its Cancel stops the
// work, and questions are asked on the window's thread.

#include "catalogue/TFileLoadDlg.h"
#include "operations/FileWorkBox.h"
#include "operations/FileWorkRunner.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

// Waits on the work's thread, at most a few seconds, until done() holds.
template <typename Done>
bool waitFor(Done done)
{
    const QDeadlineTimer deadline(5000);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(1);
    }
    return true;
}

// Records what a display is told.
struct SeenDisplay : FileWorkDisplay {
    int shown = 0;
    int hidden = 0;
    void show(const QString &, const std::function<void()> &) override { ++shown; }
    void update(int, int, const QString &, qint64, qint64) override {}
    void hide() override { ++hidden; }
};

} // namespace

class tst_FileWorkRunner : public QObject {
    Q_OBJECT

private slots:
    void windowGoesOnWhileWorkRuns();
    void boxAfterTheDelayAndItsCancel();
    void questionsOnTheWindowThread();
};

// The work runs on another thread; meanwhile the window's timers fire (it
// would draw as well), the runner says it is busy, and short work shows no box.
void tst_FileWorkRunner::windowGoesOnWhileWorkRuns()
{
    SeenDisplay display;
    FileWorkRunner runner(&display, 10'000);
    std::atomic<bool> ticked{false};
    bool busyMeanwhile = false;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, [&] {
        busyMeanwhile = runner.isRunning();
        ticked = true;
    });
    timer.start(20);

    QThread *workThread = nullptr;
    const int result = runner.run(u"heading"_s, [&](FileWorkProgress &) {
        workThread = QThread::currentThread();
        return waitFor([&] { return ticked.load(); }) ? 42 : -1;
    });

    QCOMPARE(result, 42);
    QVERIFY(workThread && workThread != QThread::currentThread());
    QVERIFY(busyMeanwhile);
    QVERIFY(!runner.isRunning());
    QCOMPARE(display.shown, 0);
    QCOMPARE(display.hidden, 0);
    // Without a runner, the same work runs here.
    QCOMPARE(FileWorkRunner::run(nullptr, {}, [](FileWorkProgress &) { return QThread::currentThread(); }),
             QThread::currentThread());
}

// Past the delay the box shows the heading, the file and its count, the
// bytes on the bar; its Cancel stops the work, and the box goes.
void tst_FileWorkRunner::boxAfterTheDelayAndItsCancel()
{
    QWidget main;
    main.resize(400, 300);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    FileWorkBox box(&main);
    FileWorkRunner runner(&box, 50);
    const QString name = u"<b>大きい</b>.dat"_s;

    bool checked = false;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        TFileLoadDlg *dialog = box.dialog();
        if (checked || !dialog || dialog->LblFileCnt->text().isEmpty())
            return;
        checked = true;
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(dialog->Label1->text(), u"コピー中"_s);
        QCOMPARE(dialog->LblFileCnt->text(), u"2 / 3"_s);
        QCOMPARE(dialog->LblLoadFileName->text(), name);
        QCOMPARE(dialog->LblLoadFileName->textFormat(), Qt::PlainText);
        QCOMPARE(dialog->PbrFileLoad->value(), 150); // file 2 of 3, half its bytes
        QCOMPARE(dialog->PbrFileLoad->maximum(), 300);
        QVERIFY(dialog->BtnCancel && dialog->BtnCancel->isEnabled());
        dialog->BtnCancel->click();
    });
    look.start(5);

    const bool stopped = runner.run(u"コピー中"_s, [&](FileWorkProgress &progress) {
        progress.beginFile(1, 3, name);
        progress.advance(50, 100);
        return waitFor([&] { return progress.isCancelled(); });
    });

    QVERIFY(checked);
    QVERIFY(stopped);
    QVERIFY(!box.dialog());
}

// A question the work asks is put on the window's thread, and the work
// waits for its answer.
void tst_FileWorkRunner::questionsOnTheWindowThread()
{
    FileWorkRunner runner;
    QThread *askedOn = nullptr;
    const bool answered = runner.run({}, [&](FileWorkProgress &progress) {
        bool yes = false;
        progress.ask([&] {
            askedOn = QThread::currentThread();
            QTest::qWait(20); // a dialog open for a moment
            yes = true;
        });
        return yes;
    });
    QVERIFY(answered);
    QCOMPARE(askedOn, QThread::currentThread());
}

QTEST_MAIN(tst_FileWorkRunner)
#include "tst_FileWorkRunner.moc"
