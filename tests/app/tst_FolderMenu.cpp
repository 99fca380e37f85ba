// The two folder commands of the Settings menu, on both pages: chooser,
// re-read, table, panel and status bar; the settings file only learns the
// new folder at the close question.

#include "tests/app/MainFormHarness.h"

#include <QAction>
#include <QDir>
#include <QApplication>
#include <QToolButton>

using namespace MainFormTest;

namespace {

// Where the folder chooser starts: the root; under Windows the home folder.
#ifdef Q_OS_WIN
const QString ChooserRoot = QDir::homePath();
#else
const QString ChooserRoot = QStringLiteral("/");
#endif

} // namespace

class TestFolderMenu : public MainFormHarness {
    Q_OBJECT

private slots:

    void gameFolder_data();
    void gameFolder();
    void storageFolder_data();
    void storageFolder();
    void declinedChangesNothing();
    void deletionModeLeavesOnlyTheGameFolder();

private:
    // A second game folder (slot 3 only, "Zed") and storage folder (two
    // files), next to the default ones.
    void prepareOtherFolders();

    QString m_game2;    // with trailing "/"
    QString m_storage2; // with trailing "/"
};

void TestFolderMenu::prepareOtherFolders()
{
    m_game2 = m_dir->filePath(QStringLiteral("game2")) + QLatin1Char('/');
    m_storage2 = m_dir->filePath(QStringLiteral("storage2")) + QLatin1Char('/');
    QVERIFY(QDir().mkpath(m_game2));
    QVERIFY(QDir().mkpath(m_storage2));
    QVERIFY(writeReplay(m_game2 + QStringLiteral("qv_replay3.dat"), makeSpec("QVreplay Ver107 ", 77), "Zed"));
    QVERIFY(writeReplay(m_storage2 + QStringLiteral("x.dat"), makeSpec("QVreplay Ver107 ", 5), "x"));
    QVERIFY(writeReplay(m_storage2 + QStringLiteral("y.dat"), makeSpec("QVreplay Ver107 ", 6), "y"));
}

void TestFolderMenu::gameFolder_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("sameFolder");
    QTest::newRow("game page, new folder") << 0 << false;
    QTest::newRow("storage page, new folder") << 1 << false;
    QTest::newRow("game page, same folder again") << 0 << true;
}

void TestFolderMenu::gameFolder()
{
    QFETCH(int, page);
    QFETCH(bool, sameFolder);
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}});
    prepareOtherFolders();
    const QByteArray settingsBefore = readAll(m_settings);
    m_form = start();
    QVERIFY(m_form);
    clickRow(0, 4); // slot 3: Dave here, Zed in the other folder
    if (page == 1) {
        clickTab(1);
        clickRow(1, 2);
    }
    const QString storageShown = label("LblReplayName");
    const QString chosen = sameFolder ? m_game : m_game2;
    // A slot that appears on disk shows after the re-read, also in the same folder.
    QVERIFY(writeReplay(m_game + QStringLiteral("qv_replay4.dat"), makeSpec("QVreplay Ver107 ", 4), "Fay"));

    m_prompter.answerFolder(chosen.chopped(1));
    m_form->N1->trigger();

    const ScriptedPrompter::Call &call = m_prompter.calls().back();
    QCOMPARE(call.kind, ScriptedPrompter::Kind::ChooseFolder);
    QCOMPARE(call.title, QStringLiteral("Tarnelのリプレイフォルダを指定してください。"));
    QCOMPARE(call.root, ChooserRoot);
    QCOMPARE(call.preselect, m_game);
    QCOMPARE(call.owner, m_form.get());
    QCOMPARE(m_form->workspace().TarnelDir(), chosen);

    const ReplayTableModel &game = model(0);
    QCOMPARE(game.cell(4, 5), sameFolder ? QStringLiteral("Dave") : QStringLiteral("Zed"));
    QCOMPARE(game.cell(5, 5), sameFolder ? QStringLiteral("Fay") : QString());
    QCOMPARE(game.cell(1, 5), sameFolder ? QStringLiteral("Alice") : QString());
    QCOMPARE(m_form->TarnelRow(), 4);
    QCOMPARE(table(0)->currentIndex().row(), 3);
    if (page == 0) {
        QCOMPARE(label("LblReplayName"), game.cell(4, 5));
        QCOMPARE(m_form->statusPanelText(0), GameKind);
        QCOMPARE(m_form->statusPanelText(1), chosen);
    } else {
        QCOMPARE(label("LblReplayName"), storageShown);
        QCOMPARE(m_form->statusPanelText(0), StorageKind);
        QCOMPARE(m_form->statusPanelText(1), m_storage);
        QCOMPARE(m_form->ReplayRow(), 2);
    }
    QCOMPARE(readAll(m_settings), settingsBefore);
    QCOMPARE(m_prompter.errors(), QStringList{});
}

void TestFolderMenu::storageFolder_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("storage page") << 1;
    QTest::newRow("game page") << 0;
}

void TestFolderMenu::storageFolder()
{
    QFETCH(int, page);
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}, {QStringLiteral("c.dat"), 3}});
    prepareOtherFolders();
    const QByteArray settingsBefore = readAll(m_settings);
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QTest::mouseClick(m_form->storagePage().SbtSortFile2, Qt::LeftButton); // the order outlives the change
    clickRow(1, 3);
    if (page == 0) {
        clickTab(0);
        clickRow(0, 2);
    }

    m_prompter.answerFolder(m_storage2.chopped(1));
    m_form->R1->trigger();

    const ScriptedPrompter::Call &call = m_prompter.calls().back();
    QCOMPARE(call.title, QStringLiteral("ダウンロードしたリプレイファイルを格納しているフォルダを指定してください。"));
    QCOMPARE(call.root, ChooserRoot);
    QCOMPARE(call.preselect, m_storage);
    QCOMPARE(m_form->workspace().StorageDir(), m_storage2);
    QCOMPARE(storageColumn0(), (QStringList{QStringLiteral("y.dat"), QStringLiteral("x.dat")}));
    QCOMPARE(m_form->workspace().Replays().Count(), 2);
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(table(1)->currentIndex().row(), 0);
    if (page == 1) {
        QCOMPARE(label("LblReplayName"), QStringLiteral("y"));
        QCOMPARE(m_form->statusPanelText(0), StorageKind);
        QCOMPARE(m_form->statusPanelText(1), m_storage2);
    } else {
        QCOMPARE(label("LblReplayName"), QStringLiteral("Bob"));
        QCOMPARE(m_form->statusPanelText(0), GameKind);
        QCOMPARE(m_form->statusPanelText(1), m_game);
    }
    QCOMPARE(readAll(m_settings), settingsBefore);

    // The close question writes the new folder, also when answered No.
    m_prompter.answerQuestion(false);
    m_form->close();
    QVERIFY(m_form->isVisible());
    QVERIFY(readAll(m_settings).contains("[qvReplayInfo]\r\nReplayDir=" + m_storage2.toUtf8() + "\r\n"));
}

void TestFolderMenu::declinedChangesNothing()
{
    prepare({{QStringLiteral("a.dat"), 1}});
    m_form = start();
    QVERIFY(m_form);
    clickRow(0, 3);
    // A stored folder that has gone is not preselected.
    QVERIFY(QDir(m_storage).removeRecursively());

    m_prompter.answerFolderCancel();
    m_form->N1->trigger();
    m_prompter.answerFolderCancel();
    m_form->R1->trigger();

    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseFolder), 2);
    QCOMPARE(m_prompter.calls()[0].preselect, m_game);
#ifndef Q_OS_WIN // a watched folder that is deleted lingers until the watch lets go
    QCOMPARE(m_prompter.calls()[1].preselect, QString());
#endif
    QCOMPARE(m_prompter.errors(), QStringList{});
    QCOMPARE(m_form->workspace().TarnelDir(), m_game);
    QCOMPARE(m_form->workspace().StorageDir(), m_storage);
    QCOMPARE(storageColumn0(), QStringList{QStringLiteral("a.dat")}); // not read again
    QCOMPARE(label("LblReplayName"), QStringLiteral("Carol"));
    QCOMPARE(m_form->statusPanelText(1), m_game);
}

void TestFolderMenu::deletionModeLeavesOnlyTheGameFolder()
{
    prepare({{QStringLiteral("a.dat"), 1}, {QStringLiteral("b.dat"), 2}});
    prepareOtherFolders();
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(1, 2);
    QTest::mouseClick(m_form->storagePage().BtnFileDelete, Qt::LeftButton);
    const QStringList marked = m_form->DelFileList();
    QCOMPARE(marked.size(), 1);

    // The storage folder cannot be changed now (no chooser is queued: asking
    // would fail the test), the game folder can.
    QVERIFY(!m_form->R1->isEnabled());
    m_form->R1->trigger();
    m_form->R1Click();
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseFolder), 0);

    m_prompter.answerFolder(m_game2.chopped(1));
    m_form->N1->trigger();
    QCOMPARE(m_form->workspace().TarnelDir(), m_game2);
    QCOMPARE(model(0).cell(4, 5), QStringLiteral("Zed"));
    QCOMPARE(m_form->DelFileList(), marked);
    QVERIFY(m_form->DeleteMode());
    QCOMPARE(label("LblReplayName"), QFileInfo(marked[0]).completeBaseName());
}

QTEST_MAIN(TestFolderMenu)
#include "tst_FolderMenu.moc"
