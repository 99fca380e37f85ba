#include "platform/GameFolderSearch.h"
#include "tests/support/TestFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The first start's guess at the game's replay folder.
class tst_GameFolderSearch : public QObject {
    Q_OBJECT

private slots:
    void find_data();
    void find();
    void newestOfSeveral();
};

void tst_GameFolderSearch::find_data()
{
    QTest::addColumn<QStringList>("slotFiles"); // relative to the first place
    QTest::addColumn<QString>("found");         // relative to the first place; "-" for none
    QTest::newRow("program folder") << QStringList{u"Tarnel/qv_replay0.dat"_s} << u"Tarnel"_s;
    QTest::newRow("three folders down") << QStringList{u"Maker/Tarnel/replay/qv_replay0.dat"_s}
                                        << u"Maker/Tarnel/replay"_s;
    QTest::newRow("four folders down is too deep") << QStringList{u"a/b/c/d/qv_replay0.dat"_s} << u"-"_s;
    QTest::newRow("other slots only") << QStringList{u"Tarnel/qv_replay1.dat"_s} << u"-"_s;
    QTest::newRow("the place itself") << QStringList{u"qv_replay0.dat"_s} << u"."_s;
    QTest::newRow("a folder of that name") << QStringList{u"Tarnel/qv_replay0.dat/x"_s} << u"-"_s;
}

void tst_GameFolderSearch::find()
{
    QFETCH(QStringList, slotFiles);
    QFETCH(QString, found);
    QTemporaryDir place;
    QTemporaryDir empty;
    QVERIFY(place.isValid() && empty.isValid());
    for (const QString &file : slotFiles) {
        QVERIFY(QDir(place.path()).mkpath(QFileInfo(file).path()));
        QVERIFY(writeAll(place.filePath(file), "replay"));
    }
    const QString expected = found == u"-"_s ? QString() : QDir::cleanPath(place.filePath(found));
    QCOMPARE(GameFolderSearch::find({empty.path(), place.filePath(u"missing"_s), place.path()}), expected);
}

void tst_GameFolderSearch::newestOfSeveral()
{
    QTemporaryDir place;
    QVERIFY(place.isValid());
    for (const QString &folder : {u"old"_s, u"new"_s, u"older"_s}) {
        QVERIFY(QDir(place.path()).mkdir(folder));
        QVERIFY(writeAll(place.filePath(folder + u"/qv_replay0.dat"_s), "replay"));
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto setTime = [&place](const QString &folder, const QDateTime &time) {
        QFile file(place.filePath(folder + u"/qv_replay0.dat"_s));
        return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
    };
    QVERIFY(setTime(u"old"_s, now.addDays(-2)));
    QVERIFY(setTime(u"new"_s, now.addDays(-1)));
    QVERIFY(setTime(u"older"_s, now.addDays(-3)));
    QCOMPARE(GameFolderSearch::find({place.path()}), QDir::cleanPath(place.filePath(u"new"_s)));
}

QTEST_GUILESS_MAIN(tst_GameFolderSearch)
#include "tst_GameFolderSearch.moc"
