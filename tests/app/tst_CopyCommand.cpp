// Copying between the folders from the main window: the copy dialog and the
// replace question are answered through the prompter; the files, the reloads
// and the panel are checked.

#include "MainFormHarness.h"

#include <QApplication>

using namespace MainFormTest;

class TestCopyCommand : public MainFormHarness {
    Q_OBJECT

private slots:

    void gameToStorage();
    void storageToSlot();
    void replace_data();
    void replace();
    void failureReloadsNothing();
    void cancelledDialog();
    void stoppedCopyLeavesNothing();
};

// The storage folder is read again and its first row selected; the game page
// stays on screen with its own row in the panel.
void TestCopyCommand::gameToStorage()
{
    prepare({{QStringLiteral("b.dat"), 300}, {QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(FolderKind::Storage, 2);
    clickTab(0);
    clickRow(FolderKind::Game, 3); // slot 2, Carol

    m_prompter.answerCopyTarget(QStringLiteral("記録.dat"));
    m_form->gamePage().BtnToReplayCopy->click();

    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseCopyTarget), 1);
    const CopyTargetRequest &asked = m_prompter.calls().back().copyTarget;
    QVERIFY(!asked.slotMode);
    QCOMPARE(asked.sourceName, QStringLiteral("qv_replay2.dat"));
    QCOMPARE(asked.sourcePath, m_game + QStringLiteral("qv_replay2.dat"));
    QCOMPARE(asked.destinationDir, m_storage);

    QCOMPARE(readAll(m_storage + QStringLiteral("記録.dat")), readAll(m_game + QStringLiteral("qv_replay2.dat")));
    QVERIFY(storageColumn0().contains(QStringLiteral("記録.dat")));
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(m_form->ActiveTab(), 0);
    QCOMPARE(m_form->TarnelRow(), 3);
    QCOMPARE(label("LblReplayName"), QStringLiteral("Carol"));
    QCOMPARE(m_prompter.calls().size(), size_t(1)); // no replace question, no message
}

// The dialog gets what every slot holds now; the game table shows the new
// replay in its slot while the storage page keeps its selected row.
void TestCopyCommand::storageToSlot()
{
    prepare({{QStringLiteral("a.dat"), 100}, {QStringLiteral("b.dat"), 200}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(FolderKind::Storage, 2);
    const QString source = storageColumn0().at(1);

    m_prompter.answerCopyTarget(QStringLiteral("qv_replay4.dat")); // the empty slot
    m_form->storagePage().BtnToTarnelCopy->click();

    const CopyTargetRequest &asked = m_prompter.calls().back().copyTarget;
    QVERIFY(asked.slotMode);
    QCOMPARE(asked.sourceName, source);
    QCOMPARE(asked.destinationDir, m_game);
    const ReplayTableModel &game = model(FolderKind::Game);
    QCOMPARE(asked.slotTexts[0].player, QStringLiteral("Alice"));
    QCOMPARE(asked.slotTexts[0].score, game.cell(1, 1));
    QCOMPARE(asked.slotTexts[0].dungeon, game.cell(1, 2));
    QCOMPARE(asked.slotTexts[0].floors, game.cell(1, 3));
    QCOMPARE(asked.slotTexts[0].chara, game.cell(1, 4));
    QCOMPARE(asked.slotTexts[4].player, QString());

    QCOMPARE(readAll(m_game + QStringLiteral("qv_replay4.dat")), readAll(m_storage + source));
    QCOMPARE(game.cell(5, 5), QFileInfo(source).completeBaseName());
    QCOMPARE(m_form->ReplayRow(), 2);
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(label("LblReplayName"), QFileInfo(source).completeBaseName());
    QCOMPARE(m_prompter.calls().size(), size_t(1));
}

void TestCopyCommand::replace_data()
{
    QTest::addColumn<bool>("toSlot");
    QTest::addColumn<bool>("yes");
    QTest::newRow("slot, declined: back to the slot choice") << true << false;
    QTest::newRow("slot, confirmed") << true << true;
    QTest::newRow("storage file, declined: back to the name typed") << false << false;
    QTest::newRow("storage file, confirmed") << false << true;
}

// Only Yes replaces; the question names the file and what it holds. No goes
// back to the dialog with the slot or the name as typed, to choose another.
void TestCopyCommand::replace()
{
    QFETCH(bool, toSlot);
    QFETCH(bool, yes);
    prepare({{QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    const QString target = toSlot ? m_game + QStringLiteral("qv_replay3.dat") : m_storage + QStringLiteral("a.dat");
    const QString source = toSlot ? m_storage + QStringLiteral("a.dat") : m_game + QStringLiteral("qv_replay0.dat");
    const QByteArray before = readAll(target);

    m_prompter.answerCopyTarget(QFileInfo(target).fileName(), QStringLiteral("a"));
    m_prompter.answerReplace(yes);
    if (!yes)
        m_prompter.answerCopyTargetCancel();
    if (toSlot) {
        clickTab(1);
        m_form->storagePage().BtnToTarnelCopy->click();
    } else {
        m_form->gamePage().BtnToReplayCopy->click();
    }

    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 1);
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseCopyTarget), yes ? 1 : 2);
    const ScriptedPrompter::Call &asked = m_prompter.calls()[1];
    QCOMPARE(asked.text, target);
    // What the file holds now: the slot's texts, or the stored replay's.
    const QString player = toSlot ? QStringLiteral("Dave") : QStringLiteral("a");
    QVERIFY2(asked.holds.contains(QStringLiteral("プレイヤー名：") + player), qPrintable(asked.holds));
    QVERIFY(asked.holds.contains(QStringLiteral("スコア：") + (toSlot ? QStringLiteral("0") : QStringLiteral("100"))));
    if (!yes) {
        const CopyTargetRequest &again = m_prompter.calls()[2].copyTarget;
        QCOMPARE(again.typedName, toSlot ? QString() : QStringLiteral("a"));
        QCOMPARE(again.slot, toSlot ? 3 : 0);
    }
    QCOMPARE(readAll(target), yes ? readAll(source) : before);
    QVERIFY(m_prompter.errors().isEmpty());
}

// A failed copy shows one message naming the file and the reason, and reads
// no folder again (a file added behind the window's back stays unseen).
void TestCopyCommand::failureReloadsNothing()
{
    prepare({{QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    const QString locked = m_storage + QStringLiteral("locked.dat");
    QVERIFY(writeReplay(locked, makeSpec("QVreplay Ver107 ", 1), "locked"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
    QVERIFY(writeReplay(m_storage + QStringLiteral("new.dat"), makeSpec("QVreplay Ver107 ", 2), "new"));
    const QByteArray before = readAll(locked);

    m_prompter.answerCopyTarget(QStringLiteral("locked.dat"));
    m_form->gamePage().BtnToReplayCopy->click();

    QCOMPARE(m_prompter.errors().size(), 1);
    const QString message = m_prompter.errors().constFirst();
    QVERIFY2(message.contains(QStringLiteral("locked.dat")) && message.contains(QStringLiteral("読み取り専用")),
             qPrintable(message));
    QCOMPARE(readAll(locked), before);
    QCOMPARE(storageColumn0(), QStringList{QStringLiteral("a.dat")});
}

void TestCopyCommand::cancelledDialog()
{
    prepare({{QStringLiteral("a.dat"), 100}});
    m_form = start();
    QVERIFY(m_form);
    QVERIFY(writeReplay(m_storage + QStringLiteral("new.dat"), makeSpec("QVreplay Ver107 ", 2), "new"));
    m_prompter.answerCopyTargetCancel();
    m_form->gamePage().BtnToReplayCopy->click();
    QCOMPARE(m_prompter.calls().size(), size_t(1));
    QCOMPARE(storageColumn0(), QStringList{QStringLiteral("a.dat")});
    QCOMPARE(QDir(m_storage).count(), uint(4)); // ".", "..", a.dat, new.dat
}

// The Cancel of the progress box: the slot keeps its replay, no file is left
// behind, nothing is said and the window is as it was.
void TestCopyCommand::stoppedCopyLeavesNothing()
{
    prepare({{QStringLiteral("a.dat"), 100}, {QStringLiteral("b.dat"), 200}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(FolderKind::Storage, 2);
    const QByteArray before = readAll(m_game + QStringLiteral("qv_replay0.dat"));
    const QStringList gameFiles = QDir(m_game).entryList(QDir::Files | QDir::Hidden);
    const QString shownSlot = model(FolderKind::Game).cell(1, 5);

    m_prompter.answerCopyTarget(QStringLiteral("qv_replay0.dat"));
    m_prompter.answerReplace(true);
    // The copy dialog first, then the replace question, while which the
    // player presses Cancel.
    m_prompter.whileAsking([this] { m_prompter.whileAsking([this] { m_form->fileWork().cancel(); }); });
    m_form->storagePage().BtnToTarnelCopy->click();

    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ConfirmReplace), 1);
    QCOMPARE(readAll(m_game + QStringLiteral("qv_replay0.dat")), before);
    QCOMPARE(QDir(m_game).entryList(QDir::Files | QDir::Hidden), gameFiles);
    QVERIFY(m_prompter.errors().isEmpty());
    QCOMPARE(model(FolderKind::Game).cell(1, 5), shownSlot);
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(m_form->ReplayRow(), 2);
    QVERIFY(!m_form->fileWork().isRunning());
}

QTEST_MAIN(TestCopyCommand)
#include "tst_CopyCommand.moc"
