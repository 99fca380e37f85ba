#include "operations/TrashFiles.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

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
    void oneResultPerFile();
    void isInTrash_data();
    void isInTrash();
};

void tst_RecycleBin::oneResultPerFile()
{
    const qint64 before = itemsInRecycleBin();
    QVERIFY(before >= 0);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(u"folder.dat"_s));
    // Each name with the reason it is not moved; none: it is moved.
    const QList<std::pair<QString, QString>> files = {{u"replay.dat"_s, {}},
                                                      {u"テスト リプレイ.dat"_s, {}},
                                                      {u"missing.dat"_s, u"ファイルが見つかりません。"_s},
                                                      {u"folder.dat"_s, u"ファイルではありません。"_s}};
    QStringList paths;
    for (const auto &[name, reason] : files) {
        paths << dir.filePath(name);
        if (reason.isEmpty())
            QVERIFY(writeAll(paths.back(), name.toUtf8()));
    }

    const QList<TrashFiles::Result> results = TrashFiles(paths).run();
    QCOMPARE(results.size(), files.size());
    for (qsizetype i = 0; i < files.size(); ++i) {
        QCOMPARE(results[i].path, paths[i]);
        QCOMPARE(results[i].reason, files[i].second);
        QCOMPARE(results[i].moved, files[i].second.isEmpty());
        if (!results[i].moved)
            QVERIFY(results[i].trashPath.isEmpty());
    }
    QVERIFY(!QFileInfo::exists(paths[0]) && !QFileInfo::exists(paths[1]));
    QVERIFY(QFileInfo(paths[3]).isDir());
    // Moved, not deleted.
    QCOMPARE(itemsInRecycleBin(), before + 2);
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
