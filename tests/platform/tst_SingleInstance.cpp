#include "platform/RunningCopyChannel.h"
#include "platform/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <future>
#include <sys/types.h>

using namespace Qt::StringLiterals;

namespace {

const QString LockName = u"qvReplayInfo"_s;
const QString HoldArgument = u"--hold-lock"_s;

// Child mode: take the lock, say so, then hold it until stdin closes.
int holdLock()
{
    SingleInstance instance(LockName);
    if (!instance.tryLock()) {
        std::puts("busy");
        std::fflush(stdout);
        return 1;
    }
    std::puts("locked");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}

// A process id that is not in use: that of a child that has ended.
qint64 unusedPid()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {u"--no-such-test-function"_s});
    if (!child.waitForStarted(10000))
        return -1;
    const qint64 pid = child.processId();
    return child.waitForFinished(10000) ? pid : -1;
}

} // namespace

class tst_SingleInstance : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void lockLivesInRuntimeFolder();
    void secondCopyFailsWhileFirstRuns();
    void lockOfKilledCopyIsTakenOver();
    void staleLockIsTakenOver_data();
    void staleLockIsTakenOver();
    void secondHolderInSameProcessFails();
    void secondStartShowsTheRunningCopy();

private:
    bool startHolder(QProcess &child);
    QTemporaryDir m_runtime;
};

void tst_SingleInstance::initTestCase()
{
    QVERIFY(m_runtime.isValid());
    // The runtime folder: XDG_RUNTIME_DIR, under Windows the temporary folder.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    qputenv("TMP", QFile::encodeName(QDir::toNativeSeparators(m_runtime.path())));
}

bool tst_SingleInstance::startHolder(QProcess &child)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {HoldArgument});
    if (!child.waitForStarted(10000) || !child.waitForReadyRead(10000))
        return false;
    return child.readLine().trimmed() == "locked";
}

void tst_SingleInstance::lockLivesInRuntimeFolder()
{
    SingleInstance instance(LockName);
    QCOMPARE(instance.lockFilePath(), QDir(m_runtime.path()).filePath(u"qvReplayInfo.lock"_s));
}

void tst_SingleInstance::secondCopyFailsWhileFirstRuns()
{
    QProcess first;
    QVERIFY(startHolder(first));
    {
        SingleInstance second(LockName);
        QVERIFY(!second.tryLock());
    }
    // The refused copy has not disturbed the first one's lock.
    QVERIFY(QFile::exists(QDir(m_runtime.path()).filePath(u"qvReplayInfo.lock"_s)));

    first.closeWriteChannel();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);

    SingleInstance later(LockName);
    QVERIFY(later.tryLock());
}

void tst_SingleInstance::lockOfKilledCopyIsTakenOver()
{
    QProcess crashed;
    QVERIFY(startHolder(crashed));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(10000));
    QVERIFY(QFile::exists(QDir(m_runtime.path()).filePath(u"qvReplayInfo.lock"_s)));

    SingleInstance next(LockName);
    QVERIFY(next.tryLock());
}

void tst_SingleInstance::staleLockIsTakenOver_data()
{
    QTest::addColumn<bool>("ownId");
    QTest::newRow("its process has vanished") << false;
    // Left by an ended copy that had the id this process has now.
    QTest::newRow("it names this process") << true;
}

void tst_SingleInstance::staleLockIsTakenOver()
{
    QFETCH(bool, ownId);
    const qint64 pid = ownId ? QCoreApplication::applicationPid() : unusedPid();
    QVERIFY(pid > 0);
    SingleInstance next(LockName);
    QFile file(next.lockFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly));
#ifdef Q_OS_WIN
    const QString host = qEnvironmentVariable("COMPUTERNAME"); // what QLockFile records there
#else
    const QString host = QSysInfo::machineHostName();
#endif
    // The ended copy of this process's id wrote no host name.
    const QByteArray content = QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
        + (ownId ? QByteArray() : host.toUtf8()) + '\n';
    QCOMPARE(file.write(content), content.size());
    file.close();

    QVERIFY(next.tryLock());
}

void tst_SingleInstance::secondHolderInSameProcessFails()
{
    SingleInstance first(LockName);
    QVERIFY(first.tryLock());
    QVERIFY(first.tryLock()); // asking again keeps the lock
    SingleInstance second(LockName);
    QVERIFY(!second.tryLock());
}

// A later start asks the running copy to show its window and hears that it
// did; with no copy listening, or after it stopped, nobody answers. A socket
// left by a copy that crashed is taken over.
void tst_SingleInstance::secondStartShowsTheRunningCopy()
{
#ifdef Q_OS_WIN
    QSKIP("the Windows build's Qt has no Network module: a later start cannot reach the running copy");
#endif
    const auto ask = [] {
        // The later start is another process: here it waits on a thread of
        // its own while this one's event loop answers.
        auto asked = std::async(std::launch::async, [] { return makeRunningCopyChannel(LockName)->askToShow(); });
        while (asked.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
            QCoreApplication::processEvents();
        return asked.get();
    };
    QVERIFY(!ask());

    QFile stale(QDir(m_runtime.path()).filePath(u"qvReplayInfo.socket"_s));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    int shown = 0;
    {
        const std::unique_ptr<RunningCopyChannel> running = makeRunningCopyChannel(LockName);
        QVERIFY(running->listen([&shown] { ++shown; }));
        QVERIFY(ask());
        QCOMPARE(shown, 1);
        QVERIFY(ask());
        QCOMPARE(shown, 2);
    }
    QVERIFY(!ask());
    QCOMPARE(shown, 2);
}

int main(int argc, char **argv)
{
    if (argc > 1 && QString::fromLocal8Bit(argv[1]) == HoldArgument) {
        QCoreApplication app(argc, argv);
        return holdLock();
    }
    QCoreApplication app(argc, argv);
    tst_SingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SingleInstance.moc"
