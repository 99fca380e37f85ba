// The main window driven as a user drives it: real replay folders made by the
// replay maker, clicks on the tables and tabs, every question answered by a
// scripted prompter.

#include "tests/app/MainFormHarness.h"

#include "app/CommandLine.h"
#include "catalogue/ReplayDetailPanel.h"
#include "replay/ContentTables.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QFile>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using namespace MainFormTest;

class TestMainForm : public MainFormHarness {
    Q_OBJECT

private slots:

    void startShowsGameSlotZero();
    void layoutFollowsTheDesign();
    void firstRunAsksForBothFolders();
    void firstRunDeclined_data();
    void firstRunDeclined();
    void closeQuestionSavesSettings_data();
    void closeQuestionSavesSettings();
    void gameRowSelection_data();
    void gameRowSelection();
    void storageRowsAndPageChange();
    void keyboardSelectsRows();
    void sortOrders_data();
    void sortOrders();
    void sortGroups_data();
    void sortGroups();
    void sortKeepsSelectedPosition();
    void sortSurvivesStorageReload();
    void gameReloadKeepsRow();
    void emptyStorageFolder();
    void spriteCycles();
    void versionBoxShowsNameAndVersion();
};

// ---------------------------------------------------------------------------
// start, layout, settings

void TestMainForm::startShowsGameSlotZero()
{
    prepare({{QStringLiteral("a.dat"), 10}, {QStringLiteral("b.dat"), 20}});
    const QByteArray settingsBefore = readAll(m_settings);
    m_form = start();
    QVERIFY(m_form);

    QCOMPARE(m_prompter.calls().size(), size_t(0));
    QCOMPARE(readAll(m_settings), settingsBefore); // nothing written at start
    QCOMPARE(m_form->windowTitle(), Caption);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 0);
    QCOMPARE(m_form->ActiveTab(), 0);
    QCOMPARE(m_form->workspace().TarnelDir(), m_game);
    QCOMPARE(m_form->workspace().StorageDir(), m_storage);
    QCOMPARE(m_form->statusPanelText(0), GameKind);
    QCOMPARE(m_form->statusPanelText(1), m_game);
    QCOMPARE(m_form->statusPanelText(2), QString());
    QCOMPARE(m_form->TarnelRow(), 1);
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(table(0)->currentIndex().row(), 0);
    QCOMPARE(table(1)->currentIndex().row(), 0);

    // The panel shows slot 0.
    QCOMPARE(label("LblReplayScore"), QStringLiteral("1,234,567"));
    QCOMPARE(label("LblReplayVer"), QStringLiteral("QVreplay Ver107 "));
    QCOMPARE(label("LblReplayName"), QStringLiteral("Alice"));
    QCOMPARE(label("LblReplayDungeonName"), DungeonName(0) + QStringLiteral("　クリア"));
    QCOMPARE(label("MemReplayComment"), QStringLiteral("first\nsecond"));

    // Game buttons follow slot 0; the storage page has shown nothing yet.
    QVERIFY(enabled("BtnReplayInfoEdit"));
    QVERIFY(enabled("BtnToReplayCopy"));
    QVERIFY(enabled("BtnReload"));
    QVERIFY(enabled("BtnReload2"));
    QVERIFY(!enabled("BtnToTarnelCopy"));
    QVERIFY(!enabled("BtnFileDelete"));
    QVERIFY(!enabled("BtnReplayInfoEdit2"));

    // The game table: slot names in column 0, absent slot 4 shows nothing else.
    const ReplayTableModel &game = model(0);
    QCOMPARE(game.rowCountWithHeader(), 11);
    QCOMPARE(game.cell(5, 0), QStringLiteral("qv_replay4.dat"));
    for (int c = 1; c < ReplayTableColumns; ++c)
        QCOMPARE(game.cell(5, c), QString());
    QCOMPARE(game.cell(1, 1), QStringLiteral("1,234,567"));
    QCOMPARE(game.cell(1, 3), QStringLiteral("クリア"));
    QCOMPARE(game.cell(4, 2), QStringLiteral("unknown"));
    QCOMPARE(game.cell(4, 4), QStringLiteral("unknown"));
    QCOMPARE(model(1).rowCountWithHeader(), 3);
}

void TestMainForm::layoutFollowsTheDesign()
{
    prepare({{QStringLiteral("a.dat"), 1}});
    m_form = start();
    QVERIFY(m_form);

    QCOMPARE(m_form->centralWidget()->size(), QSize(850, 545));
    QCOMPARE(m_form->PcReplayDat->geometry(), QRect(0, 0, 850, 345));
    QCOMPARE(m_form->PnlInfoView->geometry(), QRect(0, 345, 850, 200));
    QCOMPARE(m_form->statusBar()->height(), 19);
    // The designed size is the smallest; the window may grow and be maximised.
    QCOMPARE(m_form->minimumSize(), m_form->size());
    QVERIFY(!m_form->windowIcon().isNull());
    QVERIFY(m_form->windowFlags() & Qt::WindowMaximizeButtonHint);
    QCOMPARE(m_form->PcReplayDat->tabPosition(), QTabWidget::South);
    QCOMPARE(m_form->PcReplayDat->tabText(0), GameKind);
    QCOMPARE(m_form->PcReplayDat->tabText(1), StorageKind);
    QCOMPARE(m_form->gamePage().PnlTarnelCmd->height(), 82);
    QCOMPARE(m_form->storagePage().PnlReplayCmd->height(), 82);

    for (int tag : {0, 1}) {
        QTableView *view = table(tag);
        QCOMPARE(view->property("Tag").toInt(), tag);
        const int widths[] = {150, 80, 150, 80, 100, 250};
        for (int c = 0; c < 6; ++c)
            QCOMPARE(view->columnWidth(c), widths[c]);
        QCOMPARE(view->rowHeight(0), 20);
        QCOMPARE(view->horizontalHeader()->height(), 20);
        QVERIFY(view->verticalHeader()->isHidden());
        // The designed widths are where the columns start; the user may resize them.
        QCOMPARE(view->horizontalHeader()->sectionResizeMode(0), QHeaderView::Interactive);
        QCOMPARE(view->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(view->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    // Buttons: caption, place, Tag.
    const struct {
        const char *name;
        QString caption;
        QRect geometry;
        int tag;
        bool visible;
    } buttons[] = {
        {"BtnReload", QStringLiteral("フォルダ再読込"), {80, 22, 153, 41}, 0, true},
        {"BtnToReplayCopy", QStringLiteral("格納フォルダへコピー"), {320, 22, 153, 41}, 0, true},
        {"BtnReplayInfoEdit", QStringLiteral("名前・コメント編集"), {576, 22, 153, 41}, 0, true},
        {"BtnReload2", QStringLiteral("フォルダ再読込"), {56, 40, 153, 33}, 1, true},
        {"BtnToTarnelCopy", QStringLiteral("リプレイフォルダへコピー"), {248, 40, 153, 33}, 1, true},
        {"BtnFileDelete", QStringLiteral("ファイル削除"), {440, 40, 153, 33}, 1, true},
        {"BtnReplayInfoEdit2", QStringLiteral("名前・コメント編集"), {632, 40, 153, 33}, 1, true},
        {"BtnDeleteCancel", QStringLiteral("削除　取消"), {496, 40, 153, 33}, 0, false},
        {"BtnDeleteExec", QStringLiteral("削除　実行"), {672, 40, 153, 33}, 0, false},
    };
    for (const auto &b : buttons) {
        auto *button = m_form->findChild<QPushButton *>(QLatin1String(b.name));
        QVERIFY2(button, b.name);
        QCOMPARE(button->text(), b.caption);
        QCOMPARE(button->geometry(), b.geometry);
        QCOMPARE(button->property("Tag").toInt(), b.tag);
        QCOMPARE(button->isVisibleTo(m_form->PcReplayDat->widget(b.geometry.top() == 22 ? 0 : 1)), b.visible);
    }
    for (const char *name : {"Label10", "Label11", "LblDelFileCnt"})
        QVERIFY2(!m_form->findChild<QLabel *>(QLatin1String(name))->isVisibleTo(m_form->storagePage().PnlReplayCmd), name);

    const QStringList sortCaptions = {QStringLiteral("な　し"),     QStringLiteral("ファイル順"), QStringLiteral("ファイル逆"),
                                      QStringLiteral("スコア順"),   QStringLiteral("スコア逆"),   QStringLiteral("ダンジョン名"),
                                      QStringLiteral("キャラクター名")};
    const char *sortNames[] = {"SbtSortNone",   "SbtSortFile1",   "SbtSortFile2", "SbtSortScore1",
                               "SbtSortScore2", "SbtSortDungeon", "SbtSortChara"};
    for (int i = 0; i < 7; ++i) {
        auto *button = m_form->findChild<QToolButton *>(QLatin1String(sortNames[i]));
        QVERIFY2(button, sortNames[i]);
        QCOMPARE(button->text(), sortCaptions[i]);
        QCOMPARE(button->geometry(), QRect(128 + 88 * i, 8, 89, 22));
        QCOMPARE(button->property("Tag").toInt(), i);
        QCOMPARE(button->isChecked(), i == 0);
    }

    // Menu items by name, with their captions.
    const struct {
        const char *name;
        QString text;
    } actions[] = {
        {"X1", QStringLiteral("終了(&X)")},
        {"N1", QStringLiteral("Tarnelリプレイフォルダ設定(&D)")},
        {"R1", QStringLiteral("リプレイ格納フォルダ設定(&R)")},
        {"V1", QStringLiteral("バージョン情報(&V)")},
    };
    for (const auto &a : actions) {
        auto *action = m_form->findChild<QAction *>(QLatin1String(a.name));
        QVERIFY2(action, a.name);
        QCOMPARE(action->text(), a.text);
    }
    QCOMPARE(m_form->X1->statusTip(), QStringLiteral("プログラムを終了します。"));
    // The hint is kept but not shown: the status bar keeps its panels.
    QStatusTipEvent tip(m_form->X1->statusTip());
    QApplication::sendEvent(m_form->menuBar(), &tip);
    QCOMPARE(m_form->statusBar()->currentMessage(), QString());
    QCOMPARE(m_form->statusPanelText(0), GameKind);
}

void TestMainForm::firstRunAsksForBothFolders()
{
    prepare({{QStringLiteral("a.dat"), 1}});
    QVERIFY(QFile::remove(m_settings));
    m_prompter.answerFolder(m_game.chopped(1));
    m_prompter.answerFolder(m_storage.chopped(1));
    m_form = start();
    QVERIFY(m_form);

    const auto &calls = m_prompter.calls();
    QCOMPARE(calls.size(), size_t(2));
    QCOMPARE(calls[0].kind, ScriptedPrompter::Kind::ChooseFolder);
    QCOMPARE(calls[0].title, QStringLiteral("Tarnelのリプレイフォルダを指定してください。"));
    QCOMPARE(calls[1].title, QStringLiteral("ダウンロードしたリプレイファイルを格納しているフォルダを指定してください。"));
    QCOMPARE(m_form->workspace().TarnelDir(), m_game);
    QCOMPARE(m_form->workspace().StorageDir(), m_storage);
    QCOMPARE(m_form->statusPanelText(1), m_game);
    QCOMPARE(model(1).cell(1, 0), QStringLiteral("a.dat"));
    // Chosen folders reach the file at the close question, not before.
    QVERIFY(!QFile::exists(m_settings));

    m_prompter.answerQuestion(true);
    QVERIFY(m_form->close());
    const QByteArray written = readAll(m_settings);
    QVERIFY(written.contains("ReplayDir=" + m_game.toUtf8()));
    QVERIFY(written.contains("ReplayDir=" + m_storage.toUtf8()));
}

void TestMainForm::firstRunDeclined_data()
{
    QTest::addColumn<bool>("chooseGame");
    QTest::newRow("game folder declined") << false;
    QTest::newRow("storage folder declined") << true;
}

void TestMainForm::firstRunDeclined()
{
    QFETCH(bool, chooseGame);
    if (chooseGame) {
        m_prompter.answerFolder(m_game.chopped(1));
        m_prompter.answerFolderCancel();
    } else {
        m_prompter.answerFolderCancel();
    }
    TMainForm form(m_prompter, m_settings);
    QVERIFY(!form.startUp());
    QVERIFY(!form.isVisible());
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseFolder), chooseGame ? 2 : 1);
    QCOMPARE(m_prompter.errors(), QStringList{QStringLiteral("フォルダが選択されなかった為終了します。")});
    QVERIFY(!QFile::exists(m_settings));
}

void TestMainForm::closeQuestionSavesSettings_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("fromMenu");
    QTest::newRow("yes, close box") << true << false;
    QTest::newRow("yes, exit menu") << true << true;
    QTest::newRow("no, close box") << false << false;
    QTest::newRow("no, exit menu") << false << true;
}

void TestMainForm::closeQuestionSavesSettings()
{
    QFETCH(bool, yes);
    QFETCH(bool, fromMenu);
    prepare({{QStringLiteral("a.dat"), 1}});
    QVERIFY(ReplayMaker::writeFile(m_settings,
                                   settingsText(m_game, m_storage, "[Other]\r\nKey=Value\r\n")));
    m_form = start();
    QVERIFY(m_form);

    m_prompter.answerQuestion(yes);
    if (fromMenu)
        m_form->X1->trigger();
    else
        m_form->close();

    QCOMPARE(m_prompter.questions(), QStringList{QStringLiteral("終了しますか？")});
    QCOMPARE(m_form->isVisible(), !yes);
    const QByteArray written = readAll(m_settings);
    QVERIFY(written.contains("[Other]\r\nKey=Value"));
    QVERIFY(written.contains("[Application]"));
    QVERIFY(written.contains("Version=" + programVersion().toUtf8()));
    QVERIFY(written.contains("[Tarnel]\r\nReplayDir=" + m_game.toUtf8()));
    QVERIFY(written.contains("[qvReplayInfo]\r\nReplayDir=" + m_storage.toUtf8()));
    // After Yes the catalogue is released.
    QCOMPARE(m_form->workspace().Replays().Count(), yes ? 0 : 1);
}

// ---------------------------------------------------------------------------
// selection

void TestMainForm::gameRowSelection_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("edit");
    QTest::addColumn<bool>("copy");
    QTest::newRow("absent slot 4") << 5 << QString() << QString() << false << false;
    QTest::newRow("version 105") << 2 << QStringLiteral("999") << QStringLiteral("Bob") << false << true;
    QTest::newRow("version 106, other letter case") << 3 << QStringLiteral("1,000") << QStringLiteral("Carol") << false
                                                    << true;
    QTest::newRow("version 107") << 4 << QStringLiteral("0") << QStringLiteral("Dave") << true << true;
    QTest::newRow("empty slot 9") << 10 << QString() << QString() << false << false;
}

void TestMainForm::gameRowSelection()
{
    QFETCH(int, row);
    QFETCH(QString, score);
    QFETCH(QString, name);
    QFETCH(bool, edit);
    QFETCH(bool, copy);
    prepare({});
    m_form = start();
    QVERIFY(m_form);

    clickRow(0, row);
    QCOMPARE(m_form->TarnelRow(), row);
    QCOMPARE(table(0)->currentIndex().row(), row - 1);
    QCOMPARE(label("LblReplayScore"), score);
    QCOMPARE(label("LblReplayName"), name);
    QCOMPARE(enabled("BtnReplayInfoEdit"), edit);
    QCOMPARE(enabled("BtnToReplayCopy"), copy);
    if (name.isEmpty()) {
        for (const char *value : {"LblReplayDate", "LblReplayVer", "LblReplayChara", "LblReplayDungeonName",
                                  "LblReplayLimitPlay", "MemReplayComment"})
            QVERIFY2(label(value).isEmpty(), value);
        QCOMPARE(m_form->PnlInfoView->CharaDotNo(), 0);
    }
    // The storage page is not touched by the game table.
    QVERIFY(!enabled("BtnFileDelete"));
}

void TestMainForm::storageRowsAndPageChange()
{
    prepare({{QStringLiteral("one.dat"), 10}, {QStringLiteral("two.dat"), 20}, {QStringLiteral("three.dat"), 30},
             {QStringLiteral("four.dat"), 40}});
    m_form = start();
    QVERIFY(m_form);

    clickRow(0, 3); // slot 2, Carol
    clickTab(1);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 1);
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(m_form->statusPanelText(0), StorageKind);
    QCOMPARE(m_form->statusPanelText(1), m_storage);
    QCOMPARE(m_form->statusPanelText(2), QString());
    // Row 1 of the storage table is shown and its buttons enabled.
    const QStringList names = storageColumn0();
    QCOMPARE(names.size(), 4);
    QCOMPARE(label("LblReplayName"), QFileInfo(names[0]).completeBaseName());
    QVERIFY(enabled("BtnFileDelete"));
    QVERIFY(enabled("BtnToTarnelCopy"));
    QVERIFY(enabled("BtnReplayInfoEdit2"));

    clickRow(1, 3);
    QCOMPARE(m_form->ReplayRow(), 3);
    QCOMPARE(label("LblReplayName"), QFileInfo(names[2]).completeBaseName());

    // Each table remembers its row.
    clickTab(0);
    QCOMPARE(m_form->ActiveTab(), 0);
    QCOMPARE(m_form->statusPanelText(0), GameKind);
    QCOMPARE(m_form->statusPanelText(1), m_game);
    QCOMPARE(label("LblReplayName"), QStringLiteral("Carol"));
    QVERIFY(!enabled("BtnReplayInfoEdit"));
    clickTab(1);
    QCOMPARE(m_form->ReplayRow(), 3);
    QCOMPARE(table(1)->currentIndex().row(), 2);
    QCOMPARE(label("LblReplayName"), QFileInfo(names[2]).completeBaseName());
}

void TestMainForm::keyboardSelectsRows()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    table(0)->setFocus();
    QTest::keyClick(table(0), Qt::Key_Down);
    QCOMPARE(m_form->TarnelRow(), 2);
    QCOMPARE(label("LblReplayName"), QStringLiteral("Bob"));
    QTest::keyClick(table(0), Qt::Key_Down);
    QTest::keyClick(table(0), Qt::Key_Down);
    QTest::keyClick(table(0), Qt::Key_Down);
    QCOMPARE(m_form->TarnelRow(), 5);
    QCOMPARE(label("LblReplayName"), QString());
}

// ---------------------------------------------------------------------------
// sorting

void TestMainForm::sortOrders_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<StorageFile>>("files");
    // Either the expected names (distinct keys) or, for equal keys, the
    // catalogue positions the rows come from.
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<int>>("positions");

    const QList<StorageFile> mixedCase = {{QStringLiteral("b.dat"), 1}, {QStringLiteral("A.dat"), 2},
                                          {QStringLiteral("c.dat"), 3}};
    const QList<StorageFile> equal3 = {{QStringLiteral("A.dat"), 1}, {QStringLiteral("B.dat"), 1},
                                       {QStringLiteral("C.dat"), 1}};
    const QList<StorageFile> equal4 = {{QStringLiteral("A.dat"), 5}, {QStringLiteral("B.dat"), 5},
                                       {QStringLiteral("C.dat"), 5}, {QStringLiteral("D.dat"), 5}};
    const QList<StorageFile> scores = {{QStringLiteral("p.dat"), 300}, {QStringLiteral("q.dat"), -5},
                                       {QStringLiteral("r.dat"), 20}, {QStringLiteral("s.dat"), 1000000}};

    QTest::newRow("file names ascending") << 1 << mixedCase
                                          << QStringList{QStringLiteral("A.dat"), QStringLiteral("b.dat"), QStringLiteral("c.dat")}
                                          << QList<int>{};
    QTest::newRow("file names descending") << 2 << mixedCase
                                           << QStringList{QStringLiteral("c.dat"), QStringLiteral("b.dat"), QStringLiteral("A.dat")}
                                           << QList<int>{};
    QTest::newRow("three equal scores, ascending") << 3 << equal3 << QStringList{} << QList<int>{1, 0, 2};
    QTest::newRow("three equal scores, descending") << 4 << equal3 << QStringList{} << QList<int>{1, 0, 2};
    QTest::newRow("four equal scores, ascending") << 3 << equal4 << QStringList{} << QList<int>{1, 2, 0, 3};
    QTest::newRow("scores ascending") << 3 << scores
                                      << QStringList{QStringLiteral("q.dat"), QStringLiteral("r.dat"),
                                                     QStringLiteral("p.dat"), QStringLiteral("s.dat")}
                                      << QList<int>{};
    QTest::newRow("scores descending") << 4 << scores
                                       << QStringList{QStringLiteral("s.dat"), QStringLiteral("p.dat"),
                                                      QStringLiteral("r.dat"), QStringLiteral("q.dat")}
                                       << QList<int>{};
    QTest::newRow("none: catalogue order") << 0 << scores << QStringList{} << QList<int>{0, 1, 2, 3};
}

void TestMainForm::sortOrders()
{
    QFETCH(int, mode);
    QFETCH(QList<StorageFile>, files);
    QFETCH(QStringList, names);
    QFETCH(QList<int>, positions);
    prepare(files);
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);

    // The folder's listing order is the catalogue order (no sort at start).
    const QStringList catalogue = storageColumn0();
    QCOMPARE(catalogue.size(), files.size());
    if (names.isEmpty()) {
        for (int p : positions)
            names.append(catalogue[p]);
    }

    // Another order first, so that the mode is seen to start from the catalogue.
    QTest::mouseClick(m_form->storagePage().SbtSortFile2, Qt::LeftButton);
    auto *button = qobject_cast<QToolButton *>(m_form->storagePage().SortButtons->button(mode));
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_form->SortMode(), mode);
    QVERIFY(button->isChecked());
    QCOMPARE(storageColumn0(), names);
    // The same button again gives the same rows.
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(button->isChecked());
    QCOMPARE(storageColumn0(), names);
}

void TestMainForm::sortGroups_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<StorageFile>>("files");
    // file name, score, character, dungeon
    QTest::newRow("dungeon groups") << 5
                                    << QList<StorageFile>{{QStringLiteral("e4a.dat"), 1, 0, 3},
                                                          {QStringLiteral("e1.dat"), 2, 0, 0},
                                                          {QStringLiteral("e4b.dat"), 3, 0, 3},
                                                          {QStringLiteral("x.dat"), 4, 0, 20},
                                                          {QStringLiteral("e4c.dat"), 5, 0, 3}};
    QTest::newRow("character groups") << 6
                                      << QList<StorageFile>{{QStringLiteral("c2.dat"), 1, 2, 0},
                                                            {QStringLiteral("c0a.dat"), 2, 0, 0},
                                                            {QStringLiteral("c5.dat"), 3, 5, 0},
                                                            {QStringLiteral("c0b.dat"), 4, 0, 0},
                                                            {QStringLiteral("c1.dat"), 5, 1, 0}};
}

void TestMainForm::sortGroups()
{
    QFETCH(int, mode);
    QFETCH(QList<StorageFile>, files);
    prepare(files);
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    const QStringList catalogue = storageColumn0();

    // Expected: group by table index, catalogue order inside a group; the
    // unknown dungeon/character after all groups.
    auto key = [&](const QString &name) {
        const auto file = std::find_if(files.begin(), files.end(), [&](const StorageFile &f) { return f.name == name; });
        return mode == 5 ? dungeonIndex(file->dungeon) : charaIndex(file->chara);
    };
    QStringList expected = catalogue;
    std::stable_sort(expected.begin(), expected.end(),
                     [&](const QString &a, const QString &b) { return key(a) < key(b); });

    QTest::mouseClick(m_form->storagePage().SortButtons->button(mode), Qt::LeftButton);
    QCOMPARE(storageColumn0(), expected);
    // Back to none: catalogue order again.
    QTest::mouseClick(m_form->storagePage().SbtSortNone, Qt::LeftButton);
    QCOMPARE(storageColumn0(), catalogue);
}

void TestMainForm::sortKeepsSelectedPosition()
{
    prepare({{QStringLiteral("a.dat"), 30}, {QStringLiteral("b.dat"), 10}, {QStringLiteral("c.dat"), 40},
             {QStringLiteral("d.dat"), 20}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    clickRow(1, 3);
    QTest::mouseClick(m_form->storagePage().SbtSortScore2, Qt::LeftButton);
    QCOMPARE(storageColumn0(), (QStringList{QStringLiteral("c.dat"), QStringLiteral("a.dat"), QStringLiteral("d.dat"),
                                            QStringLiteral("b.dat")}));
    QCOMPARE(m_form->ReplayRow(), 3);
    QCOMPARE(table(1)->currentIndex().row(), 2);
    QCOMPARE(label("LblReplayName"), QStringLiteral("d"));
    QCOMPARE(label("LblReplayScore"), QStringLiteral("20"));
}

void TestMainForm::sortSurvivesStorageReload()
{
    prepare({{QStringLiteral("b.dat"), 1}, {QStringLiteral("a.dat"), 2}, {QStringLiteral("c.dat"), 3}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QTest::mouseClick(m_form->storagePage().SbtSortFile2, Qt::LeftButton);
    clickRow(1, 3);
    QCOMPARE(label("LblReplayName"), QStringLiteral("a"));

    // A new file appears; the reload keeps the order and goes back to row 1.
    QVERIFY(writeReplay(m_storage + QStringLiteral("d.dat"), makeSpec("QVreplay Ver105 ", 4), "d"));
    QTest::mouseClick(m_form->storagePage().BtnReload2, Qt::LeftButton);
    QCOMPARE(storageColumn0(), (QStringList{QStringLiteral("d.dat"), QStringLiteral("c.dat"), QStringLiteral("b.dat"),
                                            QStringLiteral("a.dat")}));
    QCOMPARE(m_form->ReplayRow(), 1);
    QCOMPARE(table(1)->currentIndex().row(), 0);
    QCOMPARE(label("LblReplayName"), QStringLiteral("d"));
    QVERIFY(!enabled("BtnReplayInfoEdit2")); // version 105
    QVERIFY(enabled("BtnFileDelete"));
    QCOMPARE(m_form->statusPanelText(1), m_storage);
}

void TestMainForm::gameReloadKeepsRow()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    clickRow(0, 4);
    QTest::mouseClick(m_form->gamePage().BtnReload, Qt::LeftButton);
    QCOMPARE(m_form->TarnelRow(), 4);
    QCOMPARE(table(0)->currentIndex().row(), 3);
    QCOMPARE(label("LblReplayName"), QStringLiteral("Dave"));

    // A slot removed on disk disappears on reload; the row stays selected.
    QVERIFY(QFile::remove(m_game + QStringLiteral("qv_replay3.dat")));
    QTest::mouseClick(m_form->gamePage().BtnReload, Qt::LeftButton);
    QCOMPARE(m_form->TarnelRow(), 4);
    QCOMPARE(label("LblReplayName"), QString());
    QVERIFY(!enabled("BtnToReplayCopy"));
    QCOMPARE(model(0).cell(4, 1), QString());
}

void TestMainForm::emptyStorageFolder()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    const ReplayTableModel &model = MainFormHarness::model(1);
    QCOMPARE(model.rowCountWithHeader(), 2);
    for (int c = 0; c < ReplayTableColumns; ++c)
        QCOMPARE(model.cell(1, c), QString());
    clickTab(1);
    clickRow(1, 1);
    QCOMPARE(label("LblReplayName"), QString());
    QVERIFY(!enabled("BtnFileDelete"));
    QVERIFY(!enabled("BtnToTarnelCopy"));
    QVERIFY(!enabled("BtnReplayInfoEdit2"));
    QVERIFY(enabled("BtnReload2"));
    QTest::mouseClick(m_form->storagePage().SbtSortScore1, Qt::LeftButton); // nothing to sort, nothing breaks
    QCOMPARE(model.rowCountWithHeader(), 2);
}

// ---------------------------------------------------------------------------
// sprite and version box

void TestMainForm::spriteCycles()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    ReplayDetailPanel *panel = m_form->PnlInfoView;
    QCOMPARE(panel->CharaDotNo(), 2); // slot 0 plays character 1
    QVERIFY(panel->tmAnime->isActive());
    QCOMPARE(panel->tmAnime->interval(), 300);
    // The running timer steps the animation.
    QTRY_VERIFY_WITH_TIMEOUT(panel->AnimeCount() != 0, 2000);

    clickRow(0, 2); // character 2
    QCOMPARE(panel->CharaDotNo(), 3);
    QCOMPARE(panel->AnimeCount(), 0);
    panel->tmAnime->stop();
    for (int expected : {1, 2, 3, 0, 1})
    {
        panel->tmAnimeTimer();
        QCOMPARE(panel->AnimeCount(), expected);
    }
    clickRow(0, 5); // absent slot
    QCOMPARE(panel->CharaDotNo(), 0);
    clickRow(0, 4); // character 9: unknown, no sprite but a number
    QCOMPARE(panel->CharaDotNo(), 7);
    QCOMPARE(label("LblReplayChara"), QStringLiteral("unknown"));
}

void TestMainForm::versionBoxShowsNameAndVersion()
{
    prepare({});
    m_form = start();
    QVERIFY(m_form);
    for (int opening = 0; opening < 2; ++opening) {
        QString product;
        QString version;
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            QWidget *box = QApplication::activeModalWidget();
            if (!box)
                return;
            seen = true;
            if (auto *l = box->findChild<QLabel *>(QStringLiteral("ProductName")))
                product = l->text();
            if (auto *l = box->findChild<QLabel *>(QStringLiteral("Version")))
                version = l->text();
            if (auto *ok = box->findChild<QPushButton *>(QStringLiteral("OKButton")))
                QTest::mouseClick(ok, Qt::LeftButton);
        });
        // A box left open would block here: close it as a backstop.
        QTimer backstop;
        backstop.setSingleShot(true);
        connect(&backstop, &QTimer::timeout, this, [] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->close();
        });
        backstop.start(5000);
        m_form->V1->trigger();
        QVERIFY(seen);
        QCOMPARE(product, Caption);
        QCOMPARE(version, QStringLiteral("Version ") + programVersion());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }
}

QTEST_MAIN(TestMainForm)
#include "tst_MainForm.moc"
