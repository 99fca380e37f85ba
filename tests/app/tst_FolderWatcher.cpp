// When the folder watcher reports: once per burst of changes, only through
// an open gate, again after an update was held back (at last without the
// right to hold it), and by a sweep for files beyond those it watches or
// whose watch the system refused.

#include "app/FolderWatcher.h"

#include "tests/support/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFolderWatcher : public QObject {
    Q_OBJECT
private slots:
    void reportsWhenItMay();
    void sweepsBeyondTheWatchedFiles();
    void keepsChangingStillShown();
    void sweepsFilesWhoseWatchIsRefused();
};

void TestFolderWatcher::reportsWhenItMay()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u"/"_s;
    QVERIFY(writeAll(folder + u"a.dat"_s, "a"));

    FolderWatcher watcher;
    watcher.setTimings({50, 50, 100, 600, 60000});
    bool open = true;
    int asked = 0; // looks that asked the gate
    watcher.setGate([&] {
        ++asked;
        return open;
    });
    QList<bool> reports; // mayHold of each report for folder 1
    bool holdNext = false;
    connect(&watcher, &FolderWatcher::changed, this, [&](FolderKind folder, bool mayHold) {
        QCOMPARE(folder, FolderKind::Storage);
        reports.append(mayHold);
        if (holdNext && mayHold)
            watcher.holdBack(folder);
    });
    watcher.watch(FolderKind::Storage, folder, {u"a.dat"_s});
    watcher.setEnabled(true);
    QTRY_COMPARE(reports.size(), 1); // turned on: one look at once
    QVERIFY(watcher.isWatching(FolderKind::Storage));

    // A burst of changes, one report.
    for (int i = 0; i < 5; ++i)
        QVERIFY(writeAll(folder + u"b%1.dat"_s.arg(i), "b"));
    QVERIFY(writeAll(folder + u"a.dat"_s, "rewritten in place"));
    QTRY_COMPARE(reports.size(), 2);
    QVERIFY(!watcher.isLookPending(FolderKind::Storage)); // nothing more to come

    // Through a closed gate nothing is reported, until it opens.
    open = false;
    QVERIFY(QFile::remove(folder + u"b0.dat"_s));
    const int before = asked;
    QTRY_VERIFY(asked >= before + 2); // looked twice, held at the gate both times
    QCOMPARE(reports.size(), 2);
    QVERIFY(watcher.isLookPending(FolderKind::Storage));
    open = true;
    QTRY_COMPARE(reports.size(), 3);

    // Held back, the look comes again; after maxHoldMs it may hold no longer.
    holdNext = true;
    QVERIFY(writeAll(folder + u"a.dat"_s, "being written"));
    QTRY_VERIFY(reports.size() > 4);
    QVERIFY(reports.at(3));
    QTRY_VERIFY_WITH_TIMEOUT(!reports.constLast(), 5000);
    QVERIFY(!watcher.isLookPending(FolderKind::Storage)); // taken as it was: no more looks

    // Off: nothing is watched or reported.
    watcher.setEnabled(false);
    QVERIFY(!watcher.isWatching(FolderKind::Storage));
    QVERIFY(writeAll(folder + u"c.dat"_s, "c"));
    QCoreApplication::processEvents();
    QVERIFY(!watcher.isLookPending(FolderKind::Storage));
}

// A folder that keeps changing (a long copy into it) is shown about the
// settle time after its first change, not only once it is quiet.
void TestFolderWatcher::keepsChangingStillShown()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u"/"_s;
    FolderWatcher watcher;
    watcher.setTimings({150, 50, 100, 600, 60000});
    QElapsedTimer sinceFirst;
    QList<qint64> reportedAt;
    connect(&watcher, &FolderWatcher::changed, this, [&] { reportedAt.append(sinceFirst.elapsed()); });
    watcher.watch(FolderKind::Storage, folder, {});
    watcher.setEnabled(true);
    QTRY_COMPARE(reportedAt.size(), 1); // turned on: one look at once
    reportedAt.clear();

    sinceFirst.start();
    for (int i = 0; i < 40 && reportedAt.isEmpty(); ++i) { // a change every 25 ms for a second
        QVERIFY(writeAll(folder + u"part%1.dat"_s.arg(i), "x"));
        QTest::qWait(25);
    }
    QVERIFY(!reportedAt.isEmpty());
    QVERIFY2(reportedAt.first() < 600, qPrintable(QString::number(reportedAt.first())));
}

void TestFolderWatcher::sweepsBeyondTheWatchedFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u"/"_s;
    QStringList names;
    for (int i = 0; i <= FolderWatcher::MaxWatchedFiles; ++i)
        names.append(u"f%1.dat"_s.arg(i));

    FolderWatcher watcher;
    watcher.setTimings({50, 50, 100, 600, 200});
    int reports = 0;
    connect(&watcher, &FolderWatcher::changed, this, [&reports] { ++reports; });
    watcher.watch(FolderKind::Storage, folder, names.mid(0, FolderWatcher::MaxWatchedFiles));
    watcher.setEnabled(true);
    QTRY_COMPARE(reports, 1); // once at the start
    QVERIFY(!watcher.isSweeping(FolderKind::Storage)); // all of them watched: nothing to sweep

    watcher.watch(FolderKind::Storage, folder, names);
    QVERIFY(watcher.isSweeping(FolderKind::Storage));
    QTRY_VERIFY_WITH_TIMEOUT(reports >= 3, 5000);
}

// The system refuses every file's watch, as at its per-user limit: the
// folder is swept instead, the refusal said once, and once the watches can
// be had the sweep stops.
void TestFolderWatcher::sweepsFilesWhoseWatchIsRefused()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + u"/"_s;
    const QStringList names{u"qv_replay1.dat"_s, u"qv_replay2.dat"_s};
    for (const QString &name : names)
        QVERIFY(writeAll(folder + name, "slot"));

    FolderWatcher watcher;
    watcher.setTimings({0, 0, 60000, 600, 60000}); // no sweep but the test's own
    int tries = 0;
    watcher.setWatchAdder([&tries](QFileSystemWatcher &system, const QStringList &paths) {
        QStringList folders;
        QStringList files;
        for (const QString &path : paths)
            (QFileInfo(path).isDir() ? folders : files).append(path);
        tries += int(files.size());
        return (folders.isEmpty() ? QStringList() : system.addPaths(folders)) + files;
    });
    int reports = 0;
    connect(&watcher, &FolderWatcher::changed, this, [&reports] { ++reports; });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"^2 files cannot be watched"_s));
    watcher.watch(FolderKind::Game, folder, names);
    watcher.setEnabled(true);
    QTRY_COMPARE(reports, 1);
    QVERIFY(watcher.isWatching(FolderKind::Game));
    QVERIFY(watcher.isSweeping(FolderKind::Game));

    // Asked for again at every look, and not said again.
    QTest::failOnWarning(QRegularExpression(u"cannot be watched"_s));
    const int triedBefore = tries;
    watcher.check(FolderKind::Game);
    QTRY_COMPARE(reports, 2);
    QCOMPARE(tries, triedBefore + 2);
    // A slot the game rewrites in place, which no watch reports, is looked
    // at by the sweep.
    QVERIFY(writeAll(folder + names[0], "rewritten"));
    watcher.sweep();
    QTRY_COMPARE(reports, 3);

    watcher.setWatchAdder({});
    watcher.watch(FolderKind::Game, folder, names);
    QVERIFY(!watcher.isSweeping(FolderKind::Game));
}

QTEST_GUILESS_MAIN(TestFolderWatcher)
#include "tst_FolderWatcher.moc"
