// Files dropped onto the storage table: replays copied in (an existing name
// only after Yes), everything else refused with its reason; a file that
// inflates without end read in pieces that a cancel stops; a file changed
// after it was read not copied.

#include "operations/FileWorkProgress.h"
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
    void initTestCase()
    {
        // A replaced file goes to a trash of the test's own.
        QVERIFY(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        qunsetenv("XDG_DATA_HOME");
    }
    void mixedDrop_data();
    void mixedDrop();
    void endlessStreamIsCancelled();
    void fileChangedAfterReadingIsNotCopied();

private:
    QTemporaryDir m_home;
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
                                 local(from + u"missing.dat"_s), local(from + u".hidden.dat"_s),
                                 QUrl(u"file://otherhost/x.dat"_s)},
                                storage);
    QCOMPARE(drop.replays(), (QStringList{from + u"new.dat"_s, from + u"old.dat"_s, from + u"plain.rep"_s}));
    const QStringList refused = drop.refused();
    QCOMPARE(refused.size(), 8);
    QVERIFY(refused[0].startsWith(u"notes.dat（リプレイファイルではありません"_s));
    QVERIFY(refused[1].startsWith(u"folder（フォルダ"_s));
    QVERIFY(refused[2].startsWith(u"https://example.org/x.dat（"_s));
    QVERIFY(refused[3].startsWith(u"badver.dat（リプレイファイルではありません"_s));
    QVERIFY(refused[4].startsWith(u"here.dat（既に格納フォルダにあります"_s));
    QVERIFY(refused[5].startsWith(u"missing.dat（"_s));
    QVERIFY(refused[6].startsWith(u".hidden.dat（「.」で始まる名前"_s));
    QCOMPARE(refused[7], u"file://otherhost/x.dat（ローカルのファイルではありません）"_s);

    ScriptedPrompter prompter;
    prompter.answerReplace(replace);
    const ReplayDropImport::Result result = drop.run(prompter, nullptr);
    QCOMPARE(prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 1);
    QCOMPARE(prompter.calls()[0].text, storage + u"old.dat"_s);
    QCOMPARE(result.copied, replace ? 3 : 2);
    QVERIFY(result.failures.isEmpty());
    QCOMPARE(drop.message(result).text, u"次のファイルは格納フォルダにコピーしませんでした。\n\n"_s + refused.join(u'\n'));
    QCOMPARE(readAll(storage + u"new.dat"_s), replayBytes(1));
    QCOMPARE(readAll(storage + u"plain.rep.dat"_s), replayBytes(4));
    QCOMPARE(readAll(storage + u"old.dat"_s), replayBytes(replace ? 2 : 3));
    QCOMPARE(result.trashed.size(), replace ? 1 : 0); // the replaced file is kept
    QCOMPARE(QDir(storage).entryList(QDir::Files).size(), 4); // nothing else, no temporary file
    QVERIFY(prompter.unexpected().isEmpty());
}

// A small file whose stream inflates to 128 MiB: read in pieces, so the
// first report of progress can stop it, and nothing is taken.
void TestReplayDropImport::endlessStreamIsCancelled()
{
    QTemporaryDir dir;
    const QString bomb = dir.filePath(u"bomb.dat"_s);
    QVERIFY(ReplayMaker::writeFile(bomb, ReplayMaker::compressedStreamWithZeros({}, 128 * 1024 * 1024)));
    const qint64 size = QFileInfo(bomb).size();

    struct StopAtOnce : FileWorkProgress {
        qint64 furthest = 0;
        void advance(qint64 done, qint64) override
        {
            furthest = qMax(furthest, done);
            cancel();
        }
    } progress;
    const ReplayDropImport drop({QUrl::fromLocalFile(bomb)}, dir.filePath(u"storage/"_s), &progress);
    QVERIFY(drop.wasCancelled());
    QVERIFY(drop.replays().isEmpty());
    QVERIFY(progress.furthest > 0 && progress.furthest < size);
}

// The copy checks what it copies against what the drop read.
void TestReplayDropImport::fileChangedAfterReadingIsNotCopied()
{
    QTemporaryDir dir;
    const QString storage = dir.filePath(u"storage/"_s);
    QVERIFY(QDir().mkpath(storage));
    const QString dropped = dir.filePath(u"a.dat"_s);
    QVERIFY(writeAll(dropped, replayBytes(1)));
    const ReplayDropImport drop({QUrl::fromLocalFile(dropped)}, storage);
    QCOMPARE(drop.replays().size(), 1);
    QVERIFY(writeAll(dropped, replayBytes(2)));

    ScriptedPrompter prompter;
    const ReplayDropImport::Result result = drop.run(prompter, nullptr);
    QCOMPARE(result.copied, 0);
    QCOMPARE(result.failures.size(), 1);
    QVERIFY(QDir(storage).isEmpty());
}

QTEST_GUILESS_MAIN(TestReplayDropImport)
#include "tst_ReplayDropImport.moc"
