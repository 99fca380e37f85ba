// The records window and the CSV export as the user reaches them from the
// File menu: opening, following the folders while open, a double click that
// selects the file in the main window, and the export of the table as shown.

#include "tests/app/MainFormHarness.h"

#include "app/TRecordForm.h"
#include "operations/CsvExport.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QToolButton>

using namespace MainFormTest;
using namespace Qt::StringLiterals;

class TestRecordForm : public MainFormHarness {
    Q_OBJECT

private slots:

    void opensFromFileMenu();
    void followsTheFolders();
    void doubleClickSelectsTheFile_data();
    void doubleClickSelectsTheFile();
    void csvOfTheTableAsShown();
    void csvSaveFailure();

private:
    TRecordForm *openRecords();
    // Best-table row whose best run is this file, or -1.
    int bestRowOf(const QString &fileName) const;
    QString bestCell(int row, int column) const;

    TRecordForm *m_records = nullptr;
};

TRecordForm *TestRecordForm::openRecords()
{
    m_form->ActRecords->trigger();
    auto *records = m_form->findChild<TRecordForm *>(u"TRecordForm"_s);
    if (records && !QTest::qWaitForWindowExposed(records))
        return nullptr;
    m_records = records;
    return records;
}

int TestRecordForm::bestRowOf(const QString &fileName) const
{
    const QAbstractItemModel *model = m_records->StgBestTbl->model();
    for (int r = 0; r < model->rowCount(); ++r) {
        if (model->index(r, 0).data(TRecordForm::FileNameRole).toString() == fileName)
            return r;
    }
    return -1;
}

QString TestRecordForm::bestCell(int row, int column) const
{
    return m_records->StgBestTbl->model()->index(row, column).data().toString();
}

void TestRecordForm::opensFromFileMenu()
{
    prepare({{u"a.dat"_s, 10, 0, 7}, {u"b.dat"_s, 50, 0, 7}, {u"c.dat"_s, 3, 1, 7}});
    m_form = start();
    QVERIFY(m_form);

    // The File menu: the new items, a separator, then Exit as before.
    const QList<QAction *> items = m_form->F1->actions();
    QStringList names;
    for (QAction *item : items)
        names.append(item->isSeparator() ? u"-"_s : item->objectName());
    QCOMPARE(names, QStringList({u"ActRecords"_s, u"ActCsvExport"_s, u"ActFindDuplicates"_s, u"ActUnreadable"_s,
                                 u"-"_s, u"X1"_s}));

    TRecordForm *records = openRecords();
    QVERIFY(records);
    QCOMPARE(records->windowTitle(), u"記録"_s);
    QVERIFY(records->isWindow());
    QVERIFY(!records->isModal());
    QVERIFY(m_form->isEnabled());

    // Five game slots and three storage files, every pair once but the two
    // runs of dungeon 7 with character 0.
    QCOMPARE(records->StgBestTbl->model()->rowCount(), 7);
    const int row = bestRowOf(u"b.dat"_s);
    QVERIFY(row >= 0);
    QCOMPARE(bestCell(row, 0), u"灰の塔"_s);
    QCOMPARE(bestCell(row, 2), u"50"_s);
    QCOMPARE(bestCell(row, 6), u"2"_s);
    QVERIFY(records->StgBestTbl->model()->index(row, 3).data(Qt::ToolTipRole).toString().contains(u"b.dat"_s));
    // Slot 3 holds dungeon 20 and character 9: the unknown group, last.
    const int last = records->StgBestTbl->model()->rowCount() - 1;
    QCOMPARE(bestCell(last, 0), u"unknown"_s);
    QCOMPARE(bestCell(last, 1), u"unknown"_s);
    QCOMPARE(records->StgBestTbl->model()->index(last, 0).data(TRecordForm::FileNameRole).toString(),
             u"qv_replay3.dat"_s);
    QCOMPARE(records->LblRecordCount->text(), u"リプレイ 8 件"_s);
    QCOMPARE(records->chartDungeon(), 7); // the dungeon with the most runs

    // The menu item again brings up the same window.
    m_form->ActRecords->trigger();
    QCOMPARE(m_form->findChildren<TRecordForm *>().size(), 1);
}

void TestRecordForm::followsTheFolders()
{
    prepare({{u"a.dat"_s, 10, 0, 7}});
    m_form = start();
    QVERIFY(m_form);
    QVERIFY(openRecords());

    // A new file and a reload of the storage folder.
    QVERIFY(writeReplay(m_storage + u"d.dat"_s, makeSpec("QVreplay Ver107 ", 999, 0, 7), "d"));
    m_form->storagePage().BtnReload2->click();
    QTRY_VERIFY(bestRowOf(u"d.dat"_s) >= 0);
    QCOMPARE(bestRowOf(u"a.dat"_s), -1);

    // An edit of a game slot's name.
    const int slot0 = bestRowOf(u"qv_replay0.dat"_s);
    QVERIFY(slot0 >= 0);
    QCOMPARE(bestCell(slot0, 5), u"Alice"_s);
    m_prompter.answerReplayText({"Alicia", "c"});
    m_form->gamePage().BtnReplayInfoEdit->click();
    QTRY_COMPARE(bestCell(bestRowOf(u"qv_replay0.dat"_s), 5), u"Alicia"_s);

    // Closed, it catches up when shown again; a copy of a slot into the
    // storage counts once.
    m_records->close();
    m_prompter.answerCopyTarget(u"kept.dat"_s);
    m_form->gamePage().BtnToReplayCopy->click(); // slot 0
    QVERIFY(QFile::exists(m_storage + u"kept.dat"_s));
    QVERIFY(openRecords());
    QCOMPARE(bestRowOf(u"qv_replay0.dat"_s), -1);
    QVERIFY(bestRowOf(u"kept.dat"_s) >= 0);
    QCOMPARE(m_records->LblRecordCount->text(),
             u"リプレイ 7 件（ファイル 8 件：同じリプレイのファイルは1件と数えます）"_s);
}

void TestRecordForm::doubleClickSelectsTheFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("deleting");
    QTest::addColumn<int>("page");     // the page shown afterwards
    QTest::addColumn<int>("row");      // the row selected on it
    QTest::addColumn<int>("messages"); // error boxes
    QTest::addColumn<QString>("player"); // shown in the detail panel afterwards
    // Sorted by score, descending: b (50), a (10), c (3).
    QTest::newRow("storage file") << u"a.dat"_s << false << 1 << 2 << 0 << u"a"_s;
    QTest::newRow("game slot") << u"qv_replay2.dat"_s << false << 0 << 3 << 0 << u"Carol"_s;
    QTest::newRow("storage file, deletion mode") << u"c.dat"_s << true << 1 << 3 << 0 << u"c"_s;
    QTest::newRow("game slot, deletion mode") << u"qv_replay2.dat"_s << true << 1 << 1 << 1 << u"b"_s;
}

void TestRecordForm::doubleClickSelectsTheFile()
{
    QFETCH(QString, file);
    QFETCH(bool, deleting);
    QFETCH(int, page);
    QFETCH(int, row);
    QFETCH(int, messages);
    QFETCH(QString, player);
    prepare({{u"a.dat"_s, 10, 0, 7}, {u"b.dat"_s, 50, 2, 7}, {u"c.dat"_s, 3, 1, 7}});
    m_form = start();
    QVERIFY(m_form);
    clickTab(folderIndex(FolderKind::Storage));
    m_form->storagePage().SbtSortScore2->click();
    if (deleting) {
        m_form->storagePage().BtnFileDelete->click();
        QVERIFY(m_form->DeleteMode());
    } else {
        clickTab(folderIndex(FolderKind::Game));
    }
    const QStringList marks = m_form->DelFileList();
    QVERIFY(openRecords());

    const int bestRow = bestRowOf(file);
    QVERIFY(bestRow >= 0);
    QTableView *view = m_records->StgBestTbl;
    const QModelIndex index = view->model()->index(bestRow, 1);
    view->scrollTo(index);
    // A double click as the window system delivers it: a click, then the
    // double-click event.
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);

    QCOMPARE(m_prompter.errors().size(), messages);
    QCOMPARE(m_form->ActiveTab(), page);
    QCOMPARE(m_form->PcReplayDat->currentIndex(), page);
    QCOMPARE(page == folderIndex(FolderKind::Storage) ? m_form->ReplayRow() : m_form->TarnelRow(), row);
    QCOMPARE(table(page)->currentIndex().row(), row - 1);
    QCOMPARE(m_form->statusPanelText(0), page == folderIndex(FolderKind::Storage) ? StorageKind : GameKind);
    QCOMPARE(label("LblReplayName"), player);
    QCOMPARE(m_form->DelFileList(), marks); // no mark is toggled by the records window
}

void TestRecordForm::csvOfTheTableAsShown()
{
    prepare({{u"a.dat"_s, 10, 0, 7}, {u"b.dat"_s, 1500, 2, 7}, {u"c.dat"_s, 3, 1, 7}});
    m_form = start();
    QVERIFY(m_form);
    m_form->storagePage().SbtSortScore1->click();

    const QString path = m_dir->filePath(u"list.csv"_s);
    m_prompter.answerSaveFile(path);
    m_form->ActCsvExport->trigger();
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::ChooseSaveFile), 1);
    const ScriptedPrompter::Call &call = m_prompter.calls().back();
    QCOMPARE(call.preselect, CsvExport::suggestedPath());
    QVERIFY(call.root.contains(u"*.csv"_s));
    QVERIFY(m_prompter.errors().isEmpty());

    const QByteArray csv = readAll(path);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    const QList<QByteArray> lines = csv.mid(3).split('\n');
    QCOMPARE(lines.size(), 5); // header, three rows, nothing after the last CR LF
    QVERIFY(lines[0].startsWith(u"ファイル名,スコア,"_s.toUtf8()));
    QVERIFY(lines[1].startsWith("c.dat,3,"));
    QVERIFY(lines[2].startsWith("a.dat,10,"));
    QVERIFY(lines[3].startsWith("b.dat,1500,"));
    QVERIFY(lines[3].endsWith(",comment\r"));
    QVERIFY(lines[4].isEmpty());
    QCOMPARE(m_form->statusBar()->currentMessage(), u"3 件の一覧を list.csv に保存しました"_s);

    // The next export starts at the file written; a cancel writes nothing.
    m_prompter.answerSaveFileCancel();
    m_form->ActCsvExport->trigger();
    QCOMPARE(m_prompter.calls().back().preselect, path);
    QCOMPARE(readAll(path), csv);
}

void TestRecordForm::csvSaveFailure()
{
    prepare({{u"a.dat"_s, 10, 0, 7}});
    m_form = start();
    QVERIFY(m_form);
    const QString folder = m_dir->filePath(u"taken.csv"_s);
    QVERIFY(QDir().mkpath(folder));
    m_prompter.answerSaveFile(folder);
    m_form->ActCsvExport->trigger();
    QCOMPARE(m_prompter.errors().size(), 1);
    QVERIFY(m_prompter.errors().front().startsWith(u"「%1」を保存できませんでした。\n"_s.arg(folder)));
    QVERIFY(QFileInfo(folder).isDir());
}

QTEST_MAIN(TestRecordForm)
#include "tst_RecordForm.moc"
