// The main window's filter box, keys, context menus, drops and remembered
// view, driven as a user drives them.

#include "tests/app/MainFormHarness.h"

#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/ReplayFilterProxy.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QToolButton>

using namespace MainFormTest;
using namespace Qt::StringLiterals;

class TestViewFeatures : public MainFormHarness {
    Q_OBJECT

private slots:

    void filterKeepsSelectionShown();
    void marksUnderFilter();
    void editHidesTheRow();
    void keysFollowTheButtons();
    void contextMenus();
    void dropsAndDrags();
    void rememberedView();
    void grownWindow();
    void headerChoosesTheSort_data();
    void headerChoosesTheSort();
    void emptyTable_data();
    void emptyTable();
    void saysWhatHappened();
    void menusFollowTheConventions();

private:
    // alpha 10 ミルダ, beta 30 ガルト, gamma 20 ガルト, delta 40 ケイナ
    void startWithFour();
    int rowOf(const QString &name) const { return int(storageColumn0().indexOf(name)) + 1; }
    QStringList shown() const;
    QString selectedName() const { return model(1).cell(m_form->ReplayRow(), 0); }
    void key(QWidget *to, int key, Qt::KeyboardModifiers modifiers = {}) const
    {
        QTest::keyClick(to, Qt::Key(key), modifiers);
    }
    QStringList menuTexts(QMenu *menu) const;
};

void TestViewFeatures::startWithFour()
{
    prepare({{u"alpha.dat"_s, 10, 0}, {u"beta.dat"_s, 30, 4}, {u"gamma.dat"_s, 20, 4}, {u"delta.dat"_s, 40, 1}});
    m_form = start();
    QVERIFY(m_form);
    m_form->activateWindow(); // keys reach the window's shortcuts only while it is active
    // Qt's minimal platform (the Windows tests') activates no window itself.
    QApplication::setActiveWindow(m_form.get());
    QTRY_VERIFY(m_form->isActiveWindow());
}

QStringList TestViewFeatures::shown() const
{
    QStringList names;
    const QAbstractItemModel *model = table(1)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString();
    return names;
}

QStringList TestViewFeatures::menuTexts(QMenu *menu) const
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        QString text = action->text();
        if (!action->isEnabled())
            text += u" (off)"_s;
        if (!action->shortcut().isEmpty())
            text += u" "_s + action->shortcut().toString();
        texts << text;
    }
    return texts;
}

void TestViewFeatures::filterKeepsSelectionShown()
{
    startWithFour();
    clickTab(1);
    clickRow(1, rowOf(u"alpha.dat"_s));
    m_form->storagePage().EdtFilter->setText(u"ｶﾞﾙﾄ"_s);

    // The selected replay is filtered away: the first row shown takes its place.
    QCOMPARE(shown().size(), 2);
    QCOMPARE(selectedName(), shown().first());
    QCOMPARE(table(1)->currentIndex().row(), 0);
    QCOMPARE(label("LblReplayName"), QFileInfo(shown().first()).completeBaseName());
    QVERIFY(enabled("BtnReplayInfoEdit2"));
    QCOMPARE(m_form->statusPanelText(2), u"2/4"_s);

    // The sorts work on the whole table; the filter leaves rows out.
    m_form->storagePage().SbtSortScore1->click();
    QCOMPARE(shown(), (QStringList{u"gamma.dat"_s, u"beta.dat"_s}));
    QVERIFY(shown().contains(selectedName()));
    QCOMPARE(label("LblReplayName"), QFileInfo(selectedName()).completeBaseName());

    // Nothing matches: an empty panel, no command to give.
    m_form->storagePage().EdtFilter->setText(u"ｶﾞﾙﾄ zzz"_s);
    QCOMPARE(shown(), QStringList());
    QCOMPARE(label("LblReplayName"), QString());
    QVERIFY(!enabled("BtnReplayInfoEdit2") && !enabled("BtnToTarnelCopy") && !enabled("BtnFileDelete"));
    QVERIFY(!table(1)->selectionModel()->hasSelection());
    QCOMPARE(m_form->statusPanelText(2), u"0/4"_s);
    key(table(1), Qt::Key_F2); // no dialog: the edit button is disabled

    // Esc clears the box; the table and the status bar are as before.
    m_form->storagePage().EdtFilter->setFocus();
    key(m_form->storagePage().EdtFilter, Qt::Key_Escape);
    QCOMPARE(m_form->storagePage().EdtFilter->text(), QString());
    QCOMPARE(shown().size(), 4);
    QCOMPARE(m_form->statusPanelText(2), QString());
    QVERIFY(enabled("BtnReplayInfoEdit2"));
    QCOMPARE(label("LblReplayName"), QFileInfo(selectedName()).completeBaseName());

    // The CSV export takes the rows shown; a replay chosen in the records
    // window that the filter hides empties the box.
    m_form->storagePage().EdtFilter->setText(u"ガルト"_s);
    QCOMPARE(m_form->storagePage().rowsAsShown().size(), 2);
    QVERIFY(m_form->selectReplayFile(FolderKind::Storage, u"delta.dat"_s));
    QCOMPARE(m_form->storagePage().EdtFilter->text(), QString());
    QCOMPARE(label("LblReplayName"), u"delta"_s);
}

void TestViewFeatures::marksUnderFilter()
{
    startWithFour();
    clickTab(1);
    clickRow(1, rowOf(u"alpha.dat"_s));
    m_form->storagePage().BtnFileDelete->click();
    clickRow(1, rowOf(u"beta.dat"_s));
    QCOMPARE(m_form->DelFileList(), (QStringList{u"alpha.dat"_s, u"beta.dat"_s}));

    m_form->storagePage().EdtFilter->setText(u"ガルト"_s);
    QCOMPARE(selectedName(), u"beta.dat"_s); // still shown, still selected
    QCOMPARE(label("LblDelFileCnt"), u"2"_s); // the hidden mark counts
    // Delete toggles the selected row's mark, at once and again.
    key(table(1), Qt::Key_Delete);
    QCOMPARE(m_form->DelFileList(), QStringList{u"alpha.dat"_s});
    key(table(1), Qt::Key_Delete);
    QCOMPARE(label("LblDelFileCnt"), u"2"_s);

    // The confirmation names every marked file and how many are hidden.
    m_prompter.answerDelete(false);
    m_form->storagePage().BtnDeleteExec->click();
    const ScriptedPrompter::Call &asked = m_prompter.calls().back();
    QCOMPARE(asked.paths, (QStringList{m_storage + u"alpha.dat"_s, m_storage + u"beta.dat"_s}));
    QCOMPARE(asked.hidden, 1);
    QVERIFY(m_form->DeleteMode());
    QCOMPARE(m_form->DelFileList().size(), 2);
}

void TestViewFeatures::editHidesTheRow()
{
    startWithFour();
    clickTab(1);
    clickRow(1, rowOf(u"beta.dat"_s));
    m_form->storagePage().EdtFilter->setText(u"ガルト comment"_s);
    QCOMPARE(shown().size(), 2);
    const QByteArray gamma = readAll(m_storage + u"gamma.dat"_s);

    // The new comment no longer matches: the row goes, and the file written
    // is still the one edited.
    m_prompter.answerReplayText({"beta", "changed"});
    m_form->storagePage().BtnReplayInfoEdit2->click();
    QCOMPARE(shown(), QStringList{u"gamma.dat"_s});
    QCOMPARE(selectedName(), u"gamma.dat"_s);
    QVERIFY(readAll(m_storage + u"beta.dat"_s).contains("changed"));
    QCOMPARE(readAll(m_storage + u"gamma.dat"_s), gamma);
}

void TestViewFeatures::keysFollowTheButtons()
{
    startWithFour();
    // Menus shown before (their items name the same keys) take no key away.
    menu(0);
    menu(1);
    // Game page: slot 1 is version 105, its edit button is disabled.
    clickRow(0, 2);
    QVERIFY(!enabled("BtnReplayInfoEdit"));
    key(table(0), Qt::Key_F2);
    key(table(0), Qt::Key_Delete);
    QVERIFY(!m_form->DeleteMode());
    QCOMPARE(m_prompter.calls().size(), size_t(0));
    clickRow(0, 1);
    m_prompter.answerReplayTextCancel();
    key(table(0), Qt::Key_F2);
    QCOMPARE(m_prompter.count(ScriptedPrompter::Kind::EditReplayText), 1);
    QCOMPARE(m_form->gamePage().BtnReload->toolTip(), u"フォルダ再読込 (F5)"_s);

    // Ctrl+F brings the storage page and its filter box.
    key(table(0), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(m_form->ActiveTab(), 1);
    QCOMPARE(QApplication::focusWidget(), m_form->storagePage().EdtFilter);

    // F5 reads the shown folder again; not in deletion mode, where its button is hidden.
    QVERIFY(writeReplay(m_storage + u"epsilon.dat"_s, makeSpec("QVreplay Ver107 ", 1), "epsilon"));
    table(1)->setFocus();
    key(table(1), Qt::Key_Delete);
    QVERIFY(m_form->DeleteMode());
    key(table(1), Qt::Key_F5);
    QCOMPARE(storageColumn0().size(), 4);
    m_form->storagePage().BtnDeleteCancel->click();
    key(table(1), Qt::Key_F5);
    QCOMPARE(storageColumn0().size(), 5);
}

void TestViewFeatures::contextMenus()
{
    startWithFour();
    clickRow(0, 2); // version 105: no editing
    QCOMPARE(menuTexts(menu(0)),
             (QStringList{u"フォルダ再読込 F5"_s, u"格納フォルダへコピー"_s, u"名前・コメント編集 (off) F2"_s, QString(),
                          u"フォルダを開く"_s}));

    clickTab(1);
    m_form->storagePage().BtnFileDelete->click();
    // A right click on another row marks nothing in deletion mode.
    const QRect third = table(1)->visualRect(table(1)->model()->index(2, 1));
    QTest::mouseClick(table(1)->viewport(), Qt::RightButton, {}, third.center());
    QCOMPARE(m_form->DelFileList().size(), 1);
    QCOMPARE(m_form->ReplayRow(), 1);
    QMenu *menu = MainFormHarness::menu(1);
    QCOMPARE(menuTexts(menu), (QStringList{u"削除　取消"_s, u"削除　実行"_s, QString(), u"フォルダを開く"_s}));
    menu->actions().first()->trigger();
    QVERIFY(!m_form->DeleteMode());

    menu = MainFormHarness::menu(1);
    QCOMPARE(menu->actions().size(), 7); // the four commands, the bulk rename, a line, the folder
    QCOMPARE(menu->actions()[4]->objectName(), u"ActBulkRename"_s);
    menu->findChild<QAction *>(u"ActOpenFolder"_s)->trigger();
    QCOMPARE(m_openedUrls, QList<QUrl>{QUrl::fromLocalFile(m_storage)});
    m_openSucceeds = false;
    MainFormHarness::menu(0)->findChild<QAction *>(u"ActOpenFolder"_s)->trigger();
    QCOMPARE(m_prompter.errors(), QStringList{u"フォルダ「%1」を開けませんでした。"_s.arg(QDir::toNativeSeparators(m_game))});
}

void TestViewFeatures::dropsAndDrags()
{
    startWithFour();
    clickTab(1);
    const QString outside = m_dir->filePath(u"downloads/"_s);
    QVERIFY(QDir().mkpath(outside));
    QVERIFY(writeReplay(outside + u"new.dat"_s, makeSpec("QVreplay Ver107 ", 5), "new"));
    QVERIFY(ReplayMaker::writeFile(outside + u"notes.txt"_s, "text"));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(outside + u"new.dat"_s), QUrl::fromLocalFile(outside + u"notes.txt"_s)});

    QWidget *viewport = table(1)->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &drop);
    QVERIFY(drop.isAccepted() && drop.dropAction() == Qt::CopyAction); // a copy, never a move
    QTRY_VERIFY(storageColumn0().contains(u"new.dat"_s));
    QCOMPARE(storageColumn0().size(), 5);
    const QStringList errors = m_prompter.errors();
    QCOMPARE(errors.size(), 1);
    QVERIFY(errors[0].contains(u"notes.txt（リプレイファイルではありません）"_s));

    // Rows go out as their files; none while files are marked for deletion,
    // and then nothing is taken in either.
    const QModelIndex beta = m_form->storagePage().viewIndex(rowOf(u"beta.dat"_s), 2);
    std::unique_ptr<QMimeData> out(table(1)->model()->mimeData({beta}));
    QVERIFY(out);
    QCOMPARE(out->urls(), QList<QUrl>{QUrl::fromLocalFile(m_storage + u"beta.dat"_s)});
    QVERIFY(!table(0)->model()->mimeData({table(0)->model()->index(4, 1)})); // slot 4 is empty
    m_form->storagePage().BtnFileDelete->click();
    QVERIFY(!(table(1)->model()->flags(beta) & Qt::ItemIsDragEnabled));
    QDragEnterEvent refused(at, Qt::CopyAction, &files, Qt::LeftButton, {});
    QApplication::sendEvent(viewport, &refused);
    QVERIFY(!refused.isAccepted());
}

void TestViewFeatures::rememberedView()
{
    prepare({{u"alpha.dat"_s, 10}, {u"beta.dat"_s, 30}, {u"gamma.dat"_s, 20}});
    const QByteArray other = "[Other]\r\nKey=Value\r\n";
    QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, m_storage, other)
                                                   + "ActivePage=1\r\nSortMode=4\r\n"
                                                     "ReplayColumns=100,60,150,80,100,300\r\n"));
    m_form = start();
    QVERIFY(m_form);

    // The storage page, as a change of page shows it; sorted by score, highest first.
    QCOMPARE(m_form->PcReplayDat->currentIndex(), 1);
    QCOMPARE(m_form->statusPanelText(0), StorageKind);
    QCOMPARE(m_form->statusPanelText(1), m_storage);
    QVERIFY(m_form->storagePage().SbtSortScore2->isChecked());
    QCOMPARE(storageColumn0(), (QStringList{u"beta.dat"_s, u"gamma.dat"_s, u"alpha.dat"_s}));
    QCOMPARE(label("LblReplayName"), u"beta"_s);
    QCOMPARE(table(1)->columnWidth(5), 300);
    QCOMPARE(table(0)->columnWidth(5), 250);

    table(0)->horizontalHeader()->resizeSection(0, 170);
    clickTab(0);
    m_form->storagePage().SbtSortNone->click();
    m_prompter.answerQuestion(false);
    m_form->close();
    const QByteArray written = readAll(m_settings);
    QVERIFY(written.startsWith(other));
    QVERIFY(written.contains("ActivePage=0\r\nSortMode=0\r\nReplayColumns=100,60,150,80,100,300\r\n"));
    QVERIFY(written.contains("TarnelColumns=170,80,150,80,100,250\r\n"));
    QVERIFY(written.contains("WindowLeft="));
}

// A window left larger starts at that size; the extra room goes to the
// tables and the comment, the labels keep their places; the size is
// written back beside the place.
void TestViewFeatures::grownWindow()
{
#ifdef Q_OS_WIN
    QSKIP("Windows (wine): the menu and status bars' heights follow the Windows style's fonts");
#endif
    prepare({{u"alpha.dat"_s, 10}});
    QVERIFY(ReplayMaker::writeFile(m_settings, settingsText(m_game, m_storage)
                                                   + "WindowWidth=1250\r\nWindowHeight=782\r\n"));
    m_form = start();
    QVERIFY(m_form);
    const QSize extra = m_form->size() - m_form->minimumSize();
    QCOMPARE(extra, QSize(400, 200));
    QCOMPARE(m_form->PcReplayDat->geometry(), QRect(0, 0, 1250, 345 + 150));
    QCOMPARE(m_form->PnlInfoView->geometry(), QRect(0, 495, 1250, 250));
    QCOMPARE(m_form->PnlInfoView->MemReplayComment->size(), QSize(753 + 400, 49 + 50));
    QCOMPARE(m_form->PnlInfoView->LblReplayName->pos(), QPoint(96, 112));
    QVERIFY(table(0)->viewport()->width() > 1200);
    QCOMPARE(m_form->StatusPanels[1]->width(), 600 + 400);
    QCOMPARE(m_form->gamePage().BtnReload->geometry(), QRect(80, 22, 153, 41));
    // The extra width widens the file names and the player names; a column
    // widened by hand keeps the extra on top of its own width, which is what
    // is remembered.
    QCOMPARE(table(1)->columnWidth(0), 150 + 400);
    QCOMPARE(table(0)->columnWidth(5), 250 + 400);
    table(1)->setColumnWidth(0, 150 + 400 + 30);
    m_form->resize(m_form->width() - 100, m_form->height());
    QCOMPARE(table(1)->columnWidth(0), 180 + 300);
    // The filter box beside the tabs, wide enough for twelve full-width characters.
    clickTab(1);
    QLineEdit *filter = m_form->storagePage().EdtFilter;
    QVERIFY(filter->isVisible());
    QVERIFY(filter->width() > filter->fontMetrics().horizontalAdvance(QString(12, QChar(0x3042))));
    QVERIFY(filter->mapTo(m_form.get(), QPoint()).y() > table(1)->mapTo(m_form.get(), QPoint()).y());
    clickTab(0);
    QVERIFY(!filter->isVisible());

    m_prompter.answerQuestion(false);
    m_form->close();
    const QByteArray written = readAll(m_settings);
    for (const char *key : {"WindowWidth=1150\r\n", "WindowHeight=782\r\n", "WindowMaximized=0\r\n",
                            "TarnelColumns=150,80,150,80,100,250\r\n", "ReplayColumns=180,80,150,80,100,250\r\n"})
        QVERIFY2(written.contains(key), key);
}

void TestViewFeatures::headerChoosesTheSort_data()
{
    QTest::addColumn<QList<int>>("clicks"); // header sections clicked in turn
    QTest::addColumn<int>("sortMode");
    QTest::addColumn<int>("arrowColumn"); // -1: no arrow
    QTest::addColumn<int>("arrowOrder");
    QTest::newRow("file name") << QList<int>{0} << 1 << 0 << int(Qt::AscendingOrder);
    QTest::newRow("file name twice: reversed") << QList<int>{0, 0} << 2 << 0 << int(Qt::DescendingOrder);
    QTest::newRow("file name three times") << QList<int>{0, 0, 0} << 1 << 0 << int(Qt::AscendingOrder);
    QTest::newRow("score") << QList<int>{1} << 3 << 1 << int(Qt::AscendingOrder);
    QTest::newRow("score twice: reversed") << QList<int>{1, 1} << 4 << 1 << int(Qt::DescendingOrder);
    QTest::newRow("dungeon") << QList<int>{2} << 5 << 2 << int(Qt::AscendingOrder);
    QTest::newRow("dungeon twice: no other direction") << QList<int>{2, 2} << 5 << 2 << int(Qt::AscendingOrder);
    QTest::newRow("character") << QList<int>{4} << 6 << 4 << int(Qt::AscendingOrder);
    QTest::newRow("floors: no sort") << QList<int>{1, 3} << 3 << 1 << int(Qt::AscendingOrder);
    QTest::newRow("player name: no sort") << QList<int>{5} << 0 << -1 << int(Qt::AscendingOrder);
}

// A header click chooses the sort its button chooses; buttons, arrow and
// rows stay in step.
void TestViewFeatures::headerChoosesTheSort()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, sortMode);
    QFETCH(int, arrowColumn);
    QFETCH(int, arrowOrder);
    startWithFour();
    clickTab(1);
    QHeaderView *header = table(1)->horizontalHeader();
    for (int section : clicks) {
        const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, middle);
    }
    QCOMPARE(m_form->SortMode(), sortMode);
    QVERIFY(m_form->storagePage().SortButtons->button(sortMode)->isChecked());
    QCOMPARE(header->sortIndicatorSection(), arrowColumn < 0 ? header->sortIndicatorSection() : arrowColumn);
    if (arrowColumn >= 0)
        QCOMPARE(int(header->sortIndicatorOrder()), arrowOrder);
    else
        QVERIFY(header->sortIndicatorSection() < 0 || header->sortIndicatorSection() >= header->count());
    if (sortMode == 2)
        QCOMPARE(storageColumn0(), (QStringList{u"gamma.dat"_s, u"delta.dat"_s, u"beta.dat"_s, u"alpha.dat"_s}));

    // A button moves the arrow with it.
    m_form->storagePage().SbtSortScore2->click();
    QCOMPARE(header->sortIndicatorSection(), 1);
    QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

void TestViewFeatures::emptyTable_data()
{
    QTest::addColumn<QString>("why");
    QTest::newRow("a filter that matches nothing") << u"filter"_s;
    QTest::newRow("an empty folder") << u"empty"_s;
    QTest::newRow("a missing folder") << u"missing"_s;
}

// A table that lists no replay says so over itself; nothing is selected and
// the panel shows nothing, not even the sprite's box.
void TestViewFeatures::emptyTable()
{
    QFETCH(QString, why);
    prepare(why == u"filter"_s ? QList<StorageFile>{{u"alpha.dat"_s, 10}} : QList<StorageFile>{});
    if (why == u"missing"_s)
        QVERIFY(QDir(m_storage).removeRecursively());
    m_form = start();
    QVERIFY(m_form);
    clickTab(1);
    QLabel *note = m_form->storagePage().emptyNote();
    if (why == u"filter"_s) {
        QVERIFY(!note->isVisible());
        QVERIFY(m_form->PnlInfoView->ImgCharDot->isVisible());
        QTest::keyClicks(m_form->storagePage().EdtFilter, u"nothing like it"_s);
    } else {
        clickRow(1, 1); // the empty row
    }
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), u"一致するリプレイはありません"_s);
    QVERIFY(table(1)->selectionModel()->selectedRows().isEmpty());
    QVERIFY(!m_form->PnlInfoView->ImgCharDot->isVisible());
    QCOMPARE(label("LblReplayName"), QString());
    QVERIFY(!enabled("BtnToTarnelCopy"));

    // The game page shows its slots as ever.
    clickTab(0);
    QVERIFY(m_form->PnlInfoView->ImgCharDot->isVisible());
    if (why != u"filter"_s)
        return;
    clickTab(1);
    m_form->storagePage().EdtFilter->clear();
    QVERIFY(!note->isVisible());
    QVERIFY(m_form->PnlInfoView->ImgCharDot->isVisible());
    QCOMPARE(label("LblReplayName"), u"alpha"_s);
}

// The status bar says for a few seconds what a command did; a greyed edit
// button and F2 say why the replay cannot be edited.
void TestViewFeatures::saysWhatHappened()
{
#ifdef Q_OS_WIN
    QSKIP("Windows (wine): the minimal platform activates no window");
#endif
    startWithFour();
    const auto said = [this] { return m_form->statusBar()->currentMessage(); };
    QTest::keyClick(table(0), Qt::Key_F5);
    QCOMPARE(said(), u"Tarnelリプレイフォルダを再読み込みしました（5 件）"_s);

    m_prompter.answerCopyTarget(u"copied.dat"_s);
    m_form->gamePage().BtnToReplayCopy->click();
    QCOMPARE(said(), u"copied.dat にコピーしました"_s);

    m_prompter.answerReplayText({"New", "comment"});
    m_form->gamePage().BtnReplayInfoEdit->click();
    QCOMPARE(said(), u"qv_replay0.dat の名前とコメントを書き込みました"_s);

    clickRow(0, 2); // version 105
    const QString why = u"このリプレイのバージョン（QVreplay Ver105）では名前とコメントを編集できません"_s;
    QCOMPARE(m_form->gamePage().BtnReplayInfoEdit->toolTip(), why);
    m_form->statusBar()->clearMessage();
    m_form->activateWindow(); // the progress box of the reloads had the focus
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::keyClick(table(0), Qt::Key_F2);
    QCOMPARE(said(), why);
    clickRow(0, 1);
    QVERIFY(m_form->gamePage().BtnReplayInfoEdit->toolTip().startsWith(u"名前・コメント編集"_s));
}

// Items that open a window end in "…", every item has an access key, and
// Ctrl+Q asks the close question as the close box does.
void TestViewFeatures::menusFollowTheConventions()
{
    startWithFour();
    for (QMenu *menu : {m_form->F1, m_form->S1, m_form->H1}) {
        for (const QAction *item : menu->actions()) {
            if (!item->isSeparator())
                QVERIFY2(item->text().contains(u'&'), qPrintable(item->text()));
        }
    }
    for (const QAction *opens : {m_form->ActRecords, m_form->ActCsvExport, m_form->ActFindDuplicates,
                                 m_form->ActUnreadable})
        QVERIFY2(opens->text().endsWith(u'…'), qPrintable(opens->text()));
    QCOMPARE(m_form->X1->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_prompter.answerQuestion(false);
    QTest::keyClick(table(0), Qt::Key_Q, Qt::ControlModifier);
    QCOMPARE(m_prompter.questions(), QStringList{u"終了しますか？"_s});
    QVERIFY(m_form->isVisible());
}

QTEST_MAIN(TestViewFeatures)
#include "tst_ViewFeatures.moc"
