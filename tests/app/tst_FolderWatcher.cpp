// When the folder watcher reports: once per burst of changes, only through
// an open gate, again after an update was held back (at last without the
// right to hold it), and by a sweep for files beyond those it watches or
// whose watch the system refused.

#include "app/FolderWatcher.h"

#include "tests/support/TestFiles.h"

#include <QDir>
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
    watcher.setGate([&open] { return open; });
    QList<bool> reports; // mayHold of each report for folder 1
    bool holdNext = false;
    connect(&watcher, &FolderWatcher::changed, this, [&](int folder, bool mayHold) {
        QCOMPARE(folder, 1);
        reports.append(mayHold);
        if (holdNext && mayHold)
            watcher.holdBack(folder);
    });
    watcher.watch(1, folder, {u"a.dat"_s});
    watcher.setEnabled(true);
    QTRY_COMPARE(reports.size(), 1); // turned on: one look at once
    QVERIFY(watcher.isWatching(1));

    // A burst of changes, one report.
    for (int i = 0; i < 5; ++i)
        QVERIFY(writeAll(folder + u"b%1.dat"_s.arg(i), "b"));
    QVERIFY(writeAll(folder + u"a.dat"_s, "rewritten in place"));
    QTRY_COMPARE(reports.size(), 2);
    QTest::qWait(300);
    QCOMPARE(reports.size(), 2);

    // Through a closed gate nothing is reported, until it opens.
    open = false;
    QVERIFY(QFile::remove(folder + u"b0.dat"_s));
    QTest::qWait(300);
    QCOMPARE(reports.size(), 2);
    open = true;
    QTRY_COMPARE(reports.size(), 3);

    // Held back, the look comes again; after maxHoldMs it may hold no longer.
    holdNext = true;
    QVERIFY(writeAll(folder + u"a.dat"_s, "being written"));
    QTRY_VERIFY(reports.size() > 4);
    QVERIFY(reports.at(3));
    QTRY_VERIFY_WITH_TIMEOUT(!reports.constLast(), 5000);
    const qsizetype held = reports.size();
    QTest::qWait(300);
    QCOMPARE(reports.size(), held); // taken as it was: no more looks

    // Off: nothing is watched or reported.
    watcher.setEnabled(false);
    QVERIFY(!watcher.isWatching(1));
    QVERIFY(writeAll(folder + u"c.dat"_s, "c"));
    QTest::qWait(300);
    QCOMPARE(reports.size(), held);
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
    watcher.watch(1, folder, names.mid(0, FolderWatcher::MaxWatchedFiles));
    watcher.setEnabled(true);
    QTRY_COMPARE(reports, 1); // once at the start
    QTest::qWait(500);
    QCOMPARE(reports, 1); // all of them watched: nothing to sweep

    watcher.watch(1, folder, names);
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
    watcher.watch(0, folder, names);
    watcher.setEnabled(true);
    QTRY_COMPARE(reports, 1);
    QVERIFY(watcher.isWatching(0));
    QVERIFY(watcher.sweeps(0));

    // Asked for again at every look, and not said again.
    QTest::failOnWarning(QRegularExpression(u"cannot be watched"_s));
    const int triedBefore = tries;
    watcher.check(0);
    QTRY_COMPARE(reports, 2);
    QCOMPARE(tries, triedBefore + 2);
    // A slot the game rewrites in place, which no watch reports, is looked
    // at by the sweep.
    QVERIFY(writeAll(folder + names[0], "rewritten"));
    watcher.sweep();
    QTRY_COMPARE(reports, 3);

    watcher.setWatchAdder({});
    watcher.watch(0, folder, names);
    QVERIFY(!watcher.sweeps(0));
}

QTEST_GUILESS_MAIN(TestFolderWatcher)
#include "tst_FolderWatcher.moc"
