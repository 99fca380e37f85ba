#include "operations/TrashFiles.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <qt_windows.h>
#include <shellapi.h>

using namespace Qt::StringLiterals;

namespace {

// How many items the Recycle Bins of all drives hold.
qint64 itemsInRecycleBin()
{
    SHQUERYRBINFO info {};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info)) ? info.i64NumItems : -1;
}

} // namespace

// Deleting under Windows: the files go to the Recycle Bin (from where the user
// can put them back), one result per file, with the reason when not.
class tst_RecycleBin : public QObject {
    Q_OBJECT

private slots:
    void movesFilesIntoTheBin();
    void refusesWhatItCannotMove();
    void isInTrash_data();
    void isInTrash();
};

void tst_RecycleBin::movesFilesIntoTheBin()
{
    const qint64 before = itemsInRecycleBin();
    QVERIFY(before >= 0);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList paths = {dir.filePath(u"replay.dat"_s), dir.filePath(u"テスト リプレイ.dat"_s)};
    QVERIFY(writeAll(paths[0], "first"));
    QVERIFY(writeAll(paths[1], "second"));

    const QList<TrashFiles::Result> results = TrashFiles(paths).run();
    QCOMPARE(results.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(results[i].path, paths[i]);
        QVERIFY2(results[i].moved, qPrintable(results[i].reason));
        QVERIFY(results[i].reason.isEmpty());
        QVERIFY(!QFileInfo::exists(paths[i]));
    }
    // Moved, not deleted.
    QCOMPARE(itemsInRecycleBin(), before + 2);
}

void tst_RecycleBin::refusesWhatItCannotMove()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"folder.dat"_s));
    const QString kept = dir.filePath(u"kept.dat"_s);
    QVERIFY(writeAll(kept, "kept"));
    const QList<TrashFiles::Result> results =
        TrashFiles({dir.filePath(u"missing.dat"_s), dir.filePath(u"folder.dat"_s), kept}).run();
    QCOMPARE(results.size(), 3);
    QCOMPARE(results[0].reason, u"ファイルが見つかりません。"_s);
    QCOMPARE(results[1].reason, u"ファイルではありません。"_s);
    QVERIFY(!results[0].moved && !results[1].moved && results[2].moved);
    QVERIFY(results[0].trashPath.isEmpty() && results[1].trashPath.isEmpty());
    QVERIFY(QFileInfo(dir.filePath(u"folder.dat"_s)).isDir());
}

void tst_RecycleBin::isInTrash_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("inside");
    QTest::newRow("in a drive's bin") << u"C:/$Recycle.Bin/S-1-5-21-1/$RABC123.dat"_s << true;
    QTest::newRow("letter case") << u"D:\\$RECYCLE.BIN\\S-1-5-21-1\\$RABC123.dat"_s << true;
    QTest::newRow("the bin itself") << u"C:/$Recycle.Bin"_s << false;
    QTest::newRow("a game folder") << u"C:/Games/Tarnel/qv_replay0.dat"_s << false;
}

void tst_RecycleBin::isInTrash()
{
    QFETCH(QString, path);
    QFETCH(bool, inside);
    QCOMPARE(TrashFiles::isInTrash(path, {}), inside);
}

QTEST_GUILESS_MAIN(tst_RecycleBin)
#include "tst_RecycleBin.moc"
