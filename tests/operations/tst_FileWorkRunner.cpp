// Long file work on a worker thread: the window's thread goes on with its
// events and asks the questions, the progress box comes after the delay and
// its Cancel stops the work.

#include "catalogue/TFileLoadDlg.h"
#include "operations/FileWorkBox.h"
#include "operations/FileWorkRunner.h"

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
    while (!done() && !deadline.hasExpired())
        QThread::msleep(1);
    return done();
}

} // namespace

class tst_FileWorkRunner : public QObject {
    Q_OBJECT
private slots:
    void windowGoesOnAndAsks();
    void boxAfterTheDelayAndItsCancel();
};

// The work runs on another thread; meanwhile the window's timers fire, the
// runner says it is busy, a question runs on the window's thread, and short
// work shows no box.
void tst_FileWorkRunner::windowGoesOnAndAsks()
{
    QWidget main;
    FileWorkBox box(&main);
    FileWorkRunner runner(&box, 10'000);
    std::atomic<bool> ticked{false};
    bool busyMeanwhile = false;
    QTimer::singleShot(20, this, [&] {
        busyMeanwhile = runner.isRunning();
        ticked = true;
    });
    QThread *workThread = nullptr;
    QThread *askedOn = nullptr;
    const int result = runner.run(u"heading"_s, [&](FileWorkProgress &progress) {
        workThread = QThread::currentThread();
        progress.ask([&] { askedOn = QThread::currentThread(); });
        return waitFor([&] { return ticked.load(); }) ? 42 : -1;
    });

    QCOMPARE(result, 42);
    QVERIFY(workThread != QThread::currentThread());
    QCOMPARE(askedOn, QThread::currentThread());
    QVERIFY(busyMeanwhile && !runner.isRunning());
    QVERIFY(!main.findChild<TFileLoadDlg *>());
}

// Past the delay the box shows the heading, the file and its count, the
// bytes on the bar; its Cancel stops the work, and the box goes.
void tst_FileWorkRunner::boxAfterTheDelayAndItsCancel()
{
    QWidget main;
    FileWorkBox box(&main);
    FileWorkRunner runner(&box, 50);
    const QString name = u"<b>大きい.dat"_s;
    bool checked = false;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        TFileLoadDlg *dialog = box.dialog();
        if (checked || !dialog || dialog->LblFileCnt->text().isEmpty())
            return;
        checked = true;
        QCOMPARE(dialog->windowModality(), Qt::ApplicationModal);
        QCOMPARE(dialog->Label1->text(), u"コピー中"_s);
        QCOMPARE(dialog->LblFileCnt->text(), u"2 / 3"_s);
        QCOMPARE(dialog->LblLoadFileName->text(), name);
        QCOMPARE(dialog->LblLoadFileName->textFormat(), Qt::PlainText);
        QCOMPARE(dialog->PbrFileLoad->value() * 2, dialog->PbrFileLoad->maximum()); // file 2 of 3, half its bytes
        dialog->BtnCancel->click();
    });
    look.start(5);

    const bool stopped = runner.run(u"コピー中"_s, [&](FileWorkProgress &progress) {
        progress.beginFile(1, 3, name);
        progress.advance(50, 100);
        return waitFor([&] { return progress.isCancelled(); });
    });
    QVERIFY(checked && stopped);
    QVERIFY(!box.dialog());
}

QTEST_MAIN(tst_FileWorkRunner)
#include "tst_FileWorkRunner.moc"
