// Messages that name many files keep their first line, name ten files and
// hold every one in their details.

#include "operations/ReplayDropImport.h"
#include "operations/TrashCommand.h"

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
    QTest::addColumn<FileListMessage>("message");
    QTest::addColumn<QString>("heading");
    for (const int files : {0, 10, 11, 1000}) {
        QList<FileOutcome> trashed{FileOutcome{u"went.dat"_s, true, {}}};
        QList<QUrl> dropped;
        for (int i = 0; i < files; ++i) {
            trashed.append(FileOutcome{u"file%1.dat"_s.arg(i), false, u"ファイルが見つかりません。"_s});
            dropped.append(QUrl(u"file://elsewhere/replays/file%1.dat"_s.arg(i)));
        }
        QTest::addRow("trash, %d files", files)
            << files << TrashCommand::failureMessage(trashed) << u"次のファイルをごみ箱に移動できませんでした。"_s;
        QTest::addRow("drop, %d files", files) << files << ReplayDropImport(dropped, u"/storage/"_s).message({})
                                               << u"次のファイルは格納フォルダにコピーしませんでした。"_s;
    }
}

void tst_FileListMessage::namesTenAndDetailsAll()
{
    QFETCH(int, files);
    QFETCH(FileListMessage, message);
    QFETCH(QString, heading);
    if (files == 0) { // all went well: no box to show
        QVERIFY(message.isEmpty() && message.details.isEmpty());
        return;
    }
    const QStringList lines = message.text.split(u'\n');
    QCOMPARE(lines.first(), heading); // byte for byte, as it always was
    QCOMPARE(lines.filter(u".dat"_s).size(), qMin(files, 10));
    if (files > 10)
        QCOMPARE(lines.last(), u"…ほか %1 件"_s.arg(files - 10));
    const QStringList all = message.details.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(all.size(), files > 10 ? files : 0);
    QVERIFY(!message.text.contains(u"went.dat"_s) && !message.details.contains(u"went.dat"_s));
}

QTEST_GUILESS_MAIN(tst_FileListMessage)
#include "tst_FileListMessage.moc"
