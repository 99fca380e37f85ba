// Messages that name many files keep their first line, name about ten files
// and hold every one in their details.

#include "operations/ReplayDropImport.h"
#include "operations/TrashCommand.h"
#include "platform/FileListMessage.h"

#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

class tst_FileListMessage : public QObject {
    Q_OBJECT
private slots:
    void namesTenAndDetailsAll_data();
    void namesTenAndDetailsAll();
};

void tst_FileListMessage::namesTenAndDetailsAll_data()
{
    QTest::addColumn<int>("files");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("details");
    QTest::addColumn<QString>("heading");

    const auto name = [](int i) { return u"file%1.dat"_s.arg(i, 4, 10, QLatin1Char('0')); };
    for (const int files : {3, 10, 11, 1000}) {
        QList<FileOutcome> trashed{FileOutcome{u"went.dat"_s, true, {}}};
        QList<QUrl> dropped;
        for (int i = 0; i < files; ++i) {
            trashed.append(FileOutcome{name(i), false, u"ファイルが見つかりません。"_s});
            dropped.append(QUrl(u"file://elsewhere/replays/"_s + name(i)));
        }
        const FileListMessage trash = TrashCommand::failureMessage(trashed);
        QTest::addRow("trash, %d files", files)
            << files << trash.text << trash.details << u"次のファイルをごみ箱に移動できませんでした。"_s;
        const ReplayDropImport drop(dropped, u"/storage/"_s);
        const FileListMessage refused = drop.message({});
        QTest::addRow("drop, %d files", files)
            << files << refused.text << refused.details << u"次のファイルは格納フォルダにコピーしませんでした。"_s;
    }
}

void tst_FileListMessage::namesTenAndDetailsAll()
{
    QFETCH(int, files);
    QFETCH(QString, text);
    QFETCH(QString, details);
    QFETCH(QString, heading);

    const QStringList lines = text.split(u'\n');
    QCOMPARE(lines.first(), heading); // byte for byte, as it always was
    const qsizetype named = lines.filter(u".dat"_s).size();
    QCOMPARE(named, qMin(files, 10));
    if (files <= 10) {
        QVERIFY(details.isEmpty());
        QVERIFY(!text.contains(u"ほか"_s));
    } else {
        QCOMPARE(lines.last(), u"…ほか %1 件"_s.arg(files - 10));
        const QStringList all = details.split(u'\n');
        QCOMPARE(all.size(), files);
        QCOMPARE(all.filter(u".dat"_s).size(), files);
    }
    QVERIFY(!text.contains(u"went.dat"_s) && !details.contains(u"went.dat"_s));
}

QTEST_GUILESS_MAIN(tst_FileListMessage)
#include "tst_FileListMessage.moc"
