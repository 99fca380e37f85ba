// Files dropped onto the storage table: replays copied in (an existing name
// only after Yes), everything else refused with its reason.

#include "operations/ReplayDropImport.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray replayBytes(qint32 score)
{
    ReplayMaker::ReplayRecipe recipe;
    recipe.score = score;
    return ReplayMaker::replayFile(recipe, "name", "comment");
}

} // namespace

class TestReplayDropImport : public QObject {
    Q_OBJECT
private slots:
    void mixedDrop_data();
    void mixedDrop();
};

void TestReplayDropImport::mixedDrop_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("existing name replaced after Yes") << true;
    QTest::newRow("existing name kept after No") << false;
}

void TestReplayDropImport::mixedDrop()
{
    QFETCH(bool, replace);
    QTemporaryDir dir;
    const QString from = dir.filePath(u"from/"_s);
    const QString storage = dir.filePath(u"storage/"_s);
    QVERIFY(QDir().mkpath(from + u"folder"_s) && QDir().mkpath(storage));
    QVERIFY(writeAll(from + u"new.dat"_s, replayBytes(1)));
    QVERIFY(writeAll(from + u"old.dat"_s, replayBytes(2)));
    QVERIFY(writeAll(storage + u"old.dat"_s, replayBytes(3)));
    QVERIFY(writeAll(from + u"plain.rep"_s, replayBytes(4))); // a replay under another ending
    QVERIFY(writeAll(from + u"notes.dat"_s, "not a replay"));
    QVERIFY(writeAll(storage + u"here.dat"_s, replayBytes(5)));
    QVERIFY(writeAll(from + u".hidden.dat"_s, replayBytes(6))); // no listing would show it
    QVERIFY(ReplayMaker::writeFile(from + u"badver.dat"_s,
                                   ReplayMaker::replayFile([] {
                                       ReplayMaker::ReplayRecipe r;
                                       r.version = "OtherGame 1     ";
                                       return r;
                                   }())));

    const auto local = [](const QString &path) { return QUrl::fromLocalFile(path); };
    const ReplayDropImport drop({local(from + u"new.dat"_s), local(from + u"notes.dat"_s), local(from + u"folder"_s),
                                 QUrl(u"https://example.org/x.dat"_s), local(from + u"old.dat"_s),
                                 local(from + u"new.dat"_s), local(from + u"plain.rep"_s),
                                 local(from + u"badver.dat"_s), local(storage + u"here.dat"_s),
                                 local(from + u"missing.dat"_s), local(from + u".hidden.dat"_s)},
                                storage);
    QCOMPARE(drop.replays(), (QStringList{from + u"new.dat"_s, from + u"old.dat"_s, from + u"plain.rep"_s}));
    const QStringList refused = drop.refused();
    QCOMPARE(refused.size(), 7);
    QVERIFY(refused[0].startsWith(u"notes.dat（リプレイファイルではありません"_s));
    QVERIFY(refused[1].startsWith(u"folder（フォルダ"_s));
    QVERIFY(refused[2].startsWith(u"https://example.org/x.dat（"_s));
    QVERIFY(refused[3].startsWith(u"badver.dat（リプレイファイルではありません"_s));
    QVERIFY(refused[4].startsWith(u"here.dat（既に格納フォルダにあります"_s));
    QVERIFY(refused[5].startsWith(u"missing.dat（"_s));
    QVERIFY(refused[6].startsWith(u".hidden.dat（「.」で始まる名前"_s));

    ScriptedPrompter prompter;
    prompter.answerReplace(replace);
    const ReplayDropImport::Result result = drop.run(prompter, nullptr);
    QCOMPARE(prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 1);
    QCOMPARE(prompter.calls()[0].text, storage + u"old.dat"_s);
    QCOMPARE(result.copied, replace ? 3 : 2);
    QVERIFY(result.failures.isEmpty());
    QCOMPARE(drop.message(result), u"次のファイルは格納フォルダにコピーしませんでした。\n\n"_s + refused.join(u'\n'));
    QCOMPARE(readAll(storage + u"new.dat"_s), replayBytes(1));
    QCOMPARE(readAll(storage + u"plain.rep.dat"_s), replayBytes(4));
    QCOMPARE(readAll(storage + u"old.dat"_s), replayBytes(replace ? 2 : 3));
    QCOMPARE(QDir(storage).entryList(QDir::Files).size(), 4); // nothing else, no temporary file
    QVERIFY(prompter.unexpected().isEmpty());
}

QTEST_GUILESS_MAIN(TestReplayDropImport)
#include "tst_ReplayDropImport.moc"
