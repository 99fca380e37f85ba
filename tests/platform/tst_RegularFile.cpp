// Opening a file that must be a regular one never blocks, even when the file
// is swapped for a named pipe between the look at it and its opening.

#include "platform/RegularFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Another program replaces the file with a named pipe that nobody writes.
void swapForPipe(const QByteArray &path)
{
    ::unlink(path.constData());
    ::mkfifo(path.constData(), 0600);
}

} // namespace

class TestRegularFile : public QObject {
    Q_OBJECT

private slots:
    void pipeSwappedInDoesNotBlock();
};

void TestRegularFile::pipeSwappedInDoesNotBlock()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("a.dat")));
    QFile plain(QFile::decodeName(path));
    QVERIFY(plain.open(QIODevice::WriteOnly) && plain.write("replay") == 6);
    plain.close();

    RegularFile::setBetweenLookAndOpen(swapForPipe);
    auto opening = std::async(std::launch::async, [&path] {
        QFile file;
        return RegularFile::open(file, path);
    });
    const bool done = opening.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    RegularFile::setBetweenLookAndOpen(nullptr);
    if (!done) { // a blocked open ends once a writer comes
        const int writer = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        opening.wait();
        ::close(writer);
        QFAIL("the open blocked on the pipe");
    }
    const RegularFile::Result result = opening.get();
    QCOMPARE(result.refusal, RegularFile::Refusal::NotRegular);
    QCOMPARE(result.kind, RegularFile::Kind::Pipe);
}

QTEST_GUILESS_MAIN(TestRegularFile)
#include "tst_RegularFile.moc"
