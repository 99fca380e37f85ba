// The window's file commands without a window: each takes values, asks
// through the prompter and gives back a result.

#include "app/CopyCommand.h"
#include "app/EditCommand.h"
#include "app/FolderChangeCommand.h"
#include "app/ReplayWorkspace.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestCommands : public QObject {
    Q_OBJECT

private slots:
    void init();
    void copyIntoASlot();
    void copyCancelledOrFailed();
    void editShowsBeforeItWrites();
    void folderChangeCancelled();

private:
    QByteArray replay(qint32 score, const QByteArray &name) const
    {
        ReplayMaker::ReplayRecipe recipe;
        recipe.score = score;
        return ReplayMaker::replayFile(recipe, name, "comment");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ReplayWorkspace> m_workspace;
    QString m_game;
    QString m_storage;
};

void TestCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    // A replaced file goes to a trash of the test's own.
    qputenv("HOME", QFile::encodeName(m_dir->filePath(u"home"_s)));
    qunsetenv("XDG_DATA_HOME");
    m_game = m_dir->filePath(u"game/"_s);
    m_storage = m_dir->filePath(u"storage/"_s);
    QVERIFY(QDir().mkpath(m_game) && QDir().mkpath(m_storage));
    QVERIFY(ReplayMaker::writeFile(m_game + u"qv_replay2.dat"_s, replay(77, "slot")));
    QVERIFY(ReplayMaker::writeFile(m_storage + u"a.dat"_s, replay(1234, "Alice")));
    m_workspace = std::make_unique<ReplayWorkspace>();
    m_workspace->setFolders(FolderSettings{m_game, m_storage});
    m_workspace->reloadTarnelFolder(nullptr);
    m_workspace->reloadStorageFolder(nullptr);
}

// A storage file into a slot: the dialog sees what every slot holds, the
// question names what the slot to be replaced holds, the copy is whole.
void TestCommands::copyIntoASlot()
{
    ScriptedPrompter prompter;
    prompter.answerCopyTarget(u"qv_replay2.dat"_s);
    prompter.answerReplace(true);
    const CommandResult result = CopyCommand(*m_workspace, prompter, nullptr).run(FolderKind::Storage, u"a.dat"_s);

    const CopyTargetRequest &asked = prompter.calls().front().copyTarget;
    QVERIFY(asked.slotMode);
    QCOMPARE(asked.sourcePath, m_storage + u"a.dat"_s);
    QCOMPARE(asked.destinationDir, m_game);
    QCOMPARE(asked.slotTexts[2].score, u"77"_s);
    QCOMPARE(asked.slotTexts[2].player, u"slot"_s);
    QVERIFY(asked.slotTexts[0].score.isEmpty());
    QVERIFY(prompter.calls().back().holds.contains(u"slot"_s));
    QVERIFY(!result.cancelled);
    QCOMPARE(result.files.size(), 1);
    QCOMPARE(result.files[0].name, u"qv_replay2.dat"_s);
    QVERIFY(result.files[0].done);
    QVERIFY(result.message.isEmpty());
    QCOMPARE(readAll(m_game + u"qv_replay2.dat"_s), readAll(m_storage + u"a.dat"_s));
    // What the slot held is in the trash, for undo.
    QCOMPARE(result.trashed.size(), 1);
#ifndef Q_OS_WIN // the Recycle Bin's shell call does not tell where a file went
    QCOMPARE(readAll(QFile::decodeName(result.trashed[0].trashPath)), replay(77, "slot"));
#endif
    QVERIFY(prompter.unexpected().isEmpty());
}

// Cancelled in the dialog or at the question: nothing is written. A copy
// that fails names source, target and reason, and leaves the target whole.
void TestCommands::copyCancelledOrFailed()
{
    ScriptedPrompter prompter;
    prompter.answerCopyTargetCancel();
    QVERIFY(CopyCommand(*m_workspace, prompter, nullptr).run(FolderKind::Game, u"qv_replay2.dat"_s).cancelled);
    prompter.answerCopyTarget(u"a.dat"_s);
    prompter.answerReplace(false);
    prompter.answerCopyTargetCancel(); // No goes back to the dialog
    QVERIFY(CopyCommand(*m_workspace, prompter, nullptr).run(FolderKind::Game, u"qv_replay2.dat"_s).cancelled);
    const QByteArray before = readAll(m_storage + u"a.dat"_s);

    QVERIFY(QFile::remove(m_game + u"qv_replay2.dat"_s)); // the source is gone by now
    prompter.answerCopyTarget(u"a.dat"_s);
    const CommandResult failed =
        CopyCommand(*m_workspace, prompter, nullptr).run(FolderKind::Game, u"qv_replay2.dat"_s, {u"a.dat"_s});
    QVERIFY(!failed.cancelled);
    QCOMPARE(failed.failedNames(), QStringList{u"a.dat"_s});
    QVERIFY(failed.message.startsWith(u"「qv_replay2.dat」を「a.dat」にコピーできませんでした。\n"_s));
    QCOMPARE(readAll(m_storage + u"a.dat"_s), before);
    QCOMPARE(prompter.calls().back().copyTarget.storedNames, QStringList{u"a.dat"_s});
}

// The texts are in memory (and shown) before the file is written; a write
// that fails keeps them and says so.
void TestCommands::editShowsBeforeItWrites()
{
    ScriptedPrompter prompter;
    prompter.answerReplayText({"Bob", "new"});
    bool shown = false;
    const CommandResult result =
        EditCommand(*m_workspace, prompter, nullptr).run(FolderKind::Storage, u"a.dat"_s, [&] {
            shown = true;
            QCOMPARE(m_workspace->Replays().itemByName(u"a.dat"_s)->PlayerName, QByteArray("Bob"));
            QVERIFY(!readAll(m_storage + u"a.dat"_s).contains("Bob"));
        });
    QVERIFY(shown);
    QVERIFY(result.message.isEmpty());
    QVERIFY(readAll(m_storage + u"a.dat"_s).contains("Bob"));
    QCOMPARE(prompter.calls().front().replayText.playerName, QByteArray("Alice"));

    QVERIFY(QFile::remove(m_game + u"qv_replay2.dat"_s)); // the slot's file cannot be rewritten now
    prompter.answerReplayText({"Eve", ""});
    const CommandResult failed =
        EditCommand(*m_workspace, prompter, nullptr).run(FolderKind::Game, u"qv_replay2.dat"_s, [] {});
    QCOMPARE(failed.message, u"リプレイファイルの書き込みに失敗しました。\nファイルまたはフォルダが見つかりません。"_s);
    QCOMPARE(QByteArray(m_workspace->Slots()[2].PlayerName), QByteArray("Eve"));
    // No replay, no question.
    QVERIFY(EditCommand(*m_workspace, prompter, nullptr).run(FolderKind::Game, u"qv_replay0.dat"_s, [] {}).cancelled);
    QVERIFY(prompter.unexpected().isEmpty());
}

void TestCommands::folderChangeCancelled()
{
    ScriptedPrompter prompter;
    prompter.answerFolderCancel();
    QVERIFY(!FolderChangeCommand(*m_workspace, prompter, nullptr).run(FolderKind::Storage, nullptr));
    QCOMPARE(m_workspace->StorageDir(), m_storage);
    QCOMPARE(prompter.calls().front().preselect, m_storage);
}

QTEST_MAIN(TestCommands)
#include "tst_Commands.moc"
