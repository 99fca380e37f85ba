// The CSV file of the storage table: quoting of every kind of field, the
// byte-order mark and line ends, the rows in the order given, and a save that
// fails without harming the file that was there.

#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "operations/CsvExport.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Qt::StringLiterals;

class TestCsvExport : public QObject {
    Q_OBJECT

private slots:
    void field_data();
    void field();
    void storageTableInGivenOrder();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void savesOverLongNamesAndThroughChosenLinks();
};

void TestCsvExport::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("plain") << u"abc"_s << "abc"_ba;
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("Japanese") << u"ストーリー　第１話"_s << u"ストーリー　第１話"_s.toUtf8();
    QTest::newRow("comma") << u"1,234,567"_s << "\"1,234,567\""_ba;
    QTest::newRow("quote") << u"say \"hi\""_s << "\"say \"\"hi\"\"\""_ba;
    QTest::newRow("CR LF") << u"line 1\r\nline 2"_s << "\"line 1\r\nline 2\""_ba;
    QTest::newRow("lone LF") << u"a\nb"_s << "\"a\nb\""_ba;
    QTest::newRow("leading blank") << u" a"_s << "\" a\""_ba;
    QTest::newRow("trailing blank") << u"QVreplay Ver107 "_s << "\"QVreplay Ver107 \""_ba;
    QTest::newRow("trailing full-width blank") << u"草　肉　"_s << (u"\"草　肉　\""_s).toUtf8();
    QTest::newRow("blank inside") << u"a b"_s << "a b"_ba;
    QTest::newRow("formula") << u"=HYPERLINK(\"x\")"_s << "\"'=HYPERLINK(\"\"x\"\")\""_ba;
    QTest::newRow("formula, plus") << u"+1"_s << "'+1"_ba;
    QTest::newRow("formula, minus") << u"-Rei-"_s << "'-Rei-"_ba;
    QTest::newRow("formula, at") << u"@SUM(A1)"_s << "'@SUM(A1)"_ba;
    QTest::newRow("formula, full-width") << u"＝1+1"_s << u"'＝1+1"_s.toUtf8();
    QTest::newRow("equals inside") << u"a=b"_s << "a=b"_ba;
}

void TestCsvExport::field()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, csv);
    QCOMPARE(CsvExport::field(text), csv);
}

void TestCsvExport::storageTableInGivenOrder()
{
    ReplayList list;
    const auto add = [&list](const QString &file, qint32 score, qint32 floor, const QByteArray &comment,
                             qint32 limit0) {
        ReplayHead head{};
        std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
        head.Dungeon = 9;
        head.Floor = floor;
        head.Chara = 2;
        head.Score = score;
        head.PlayDate = 1205064307; // 2008/03/09 21:05:07 in Tokyo
        head.LimitPlay[0] = limit0;
        head.LimitPlay[8] = 1;
        char name[PlayerNameSize] = {'P', 'l', ' ', ' '}; // padded, as the game pads
        char text[CommentSize] = {};
        std::memcpy(text, comment.constData(), size_t(comment.size()));
        QVERIFY(list.AddReplayList(file, head, name, text) > 0);
    };
    add(u"a.dat"_s, 1234567, 41, "one, \"two\"\r\nthree  ", 1);
    add(u"b.dat"_s, -5, 12, "", 0);
    ReplayTableModel table(FolderKind::Storage);
    int replayRow = 1;
    fillStorageTable(table, list, true, replayRow);

    int rows = 0;
    const QByteArray csv = CsvExport::storageTable(table, {2, 1}, list, &rows);
    // Numbers as numbers (no separators; the floor apart from the clear),
    // texts without their padding; the header names every column.
    const QByteArray expected =
        "\xEF\xBB\xBF"
        + u"ファイル名,スコア,ダンジョン名,達成階数,クリア,使用キャラ,プレイヤー名,リプレイ日時,バージョン,限定プレイ,コメント\r\n"
          "b.dat,-5,ザインの洞,12,0,ラドム,Pl,2008/03/09 21:05:07,QVreplay Ver107,スキル,\r\n"
          "a.dat,1234567,ザインの洞,41,1,ラドム,Pl,2008/03/09 21:05:07,QVreplay Ver107,草　スキル,"
          "\"one, \"\"two\"\"\r\nthree\"\r\n"_s.toUtf8();
    QCOMPARE(csv, expected);
    QCOMPARE(rows, 2);

    // An empty folder's table has one empty row: only the header is written.
    ReplayList none;
    fillStorageTable(table, none, true, replayRow);
    QCOMPARE(CsvExport::storageTable(table, {1}, none),
             "\xEF\xBB\xBF" + CsvExport::storageHeader().join(u',').toUtf8() + "\r\n");
}

void TestCsvExport::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("disk full") << true;
    QTest::newRow("path is a folder") << false;
}

void TestCsvExport::failedSaveKeepsOldFile()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file-size limits (setrlimit) stand in for a full disk");
#else
    // A file-size limit stands in for a full disk (it binds root too).
    QFETCH(bool, sizeLimit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(sizeLimit ? u"list.csv"_s : u"folder.csv"_s);
    const QByteArray before = "old contents\r\n";
    if (sizeLimit)
        QVERIFY(writeAll(path, before));
    else
        QVERIFY(QDir().mkpath(path));
    const QByteArray bytes = CsvExport::document({{QString(8000, u'x')}});

    rlimit saved{};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 4096;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (sizeLimit)
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    QString reason;
    const bool saved2 = CsvExport::save(path, bytes, &reason);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved2);
    QVERIFY(!reason.isEmpty());
    if (sizeLimit)
        QCOMPARE(readAll(path), before);
    else
        QVERIFY(QFileInfo(path).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 1);

    // The same save with room succeeds and replaces the file whole.
    if (sizeLimit) {
        QVERIFY(CsvExport::save(path, bytes, &reason));
        QCOMPARE(readAll(path), bytes);
    }
#endif
}

// A name at the file system's limit is replaced (the temporary name is
// short); a link the player chose keeps pointing at the file it names.
void TestCsvExport::savesOverLongNamesAndThroughChosenLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString longName = dir.filePath(QString(251, u'a') + u".csv"_s);
    QVERIFY(writeAll(longName, "old"));

    QString reason;
    QVERIFY2(CsvExport::save(longName, "first", &reason), qPrintable(reason));
    QCOMPARE(readAll(longName), "first");
#ifdef Q_OS_WIN
    QSKIP("POSIX only: symbolic links (QFile::link makes a shortcut under Windows)");
#else
    const QString link = dir.filePath(u"link.csv"_s);
    QVERIFY(QFile::link(longName, link));
    QVERIFY2(CsvExport::save(link, "second", &reason), qPrintable(reason));
    QVERIFY(QFileInfo(link).isSymbolicLink());
    QCOMPARE(readAll(longName), "second");
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).size(), 2);
#endif
}

QTEST_APPLESS_MAIN(TestCsvExport)
#include "tst_CsvExport.moc"
