#include "app/TMainForm.h"

#include "app/FolderWatcher.h"
#include "app/Seldir.h"
#include "app/SettingsLocation.h"
#include "app/StoredMarks.h"
#include "app/TAboutBox.h"
#include "app/TRecordForm.h"
#include "app/UnreadableFilesCommand.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/ReplayTableSort.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/CommandState.h"
#include "operations/CsvExport.h"
#include "operations/ReplayCopyJob.h"
#include "operations/ReplayDropImport.h"
#include "operations/TrashFiles.h"
#include "platform/Prompter.h"
#include "replay/ShiftJisText.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>


bool TMainForm::startUp()
{
    vSetCmdButton(GameTag, 0);
    vSetCmdButton(StorageTag, 0);

    FolderSettings folders;
    if (!LoadSettings(m_settingFileName, folders, m_prompter, this))
        return false;
    m_workspace->setFolders(folders);
    const ViewSettings view = LoadViewSettings(m_settingFileName);

    vInitReplayTbl(GameTag);
    vInitReplayTbl(StorageTag);
    restoreTables(view); // widths and sort order, before the first fill sorts

    {
        FileLoadProgress progress(this);
        m_workspace->reloadTarnelFolder(&progress);
        m_workspace->reloadStorageFolder(&progress);
    }

    vSetReplayTbl(GameTag, true);
    vSetReplayTbl(StorageTag, true);
    vShowReplayInfo(GameTag, 1);
    setStatusPanels();
    m_marks.clear();
    PnlInfoView->startAnimation();
    restorePageAndPlace(view);
    tableView(m_activeTab)->setFocus(); // the arrow keys move through the table at once
    startLiveFolders(view);
    return true;
}

ReplayTableModel &TMainForm::tableModel(int tag) const
{
    return tag == GameTag ? *m_tarnelModel : *m_replayModel;
}

QTableView *TMainForm::tableView(int tag) const
{
    return tag == GameTag ? StgTarnelTbl : StgReplayTbl;
}

QModelIndex TMainForm::viewIndex(int tag, int gridRow, int column) const
{
    return tag == StorageTag ? m_filter->viewIndex(gridRow, column) : m_tarnelModel->index(gridRow - 1, column);
}

int TMainForm::gridRowOf(int tag, const QModelIndex &viewIndex) const
{
    if (tag == StorageTag)
        return m_filter->gridRow(viewIndex);
    return viewIndex.isValid() ? viewIndex.row() + 1 : 0;
}

QString TMainForm::statusPanelText(int panel) const
{
    if (panel < 0 || panel >= int(StatusPanels.size()))
        return {};
    return StatusPanels[size_t(panel)]->text();
}

void TMainForm::setStatusPanels()
{
    if (m_activeTab == GameTag) {
        StatusPanels[0]->setText(gameFolderKind());
        StatusPanels[1]->setText(m_workspace->TarnelDir());
    } else {
        StatusPanels[0]->setText(storageFolderKind());
        StatusPanels[1]->setText(m_workspace->StorageDir());
    }
    StatusPanels[1]->setToolTip(StatusPanels[1]->text()); // the panel may be too narrow for it
    showUnreadableCount();
    showFilterCount();
}

void TMainForm::showFilterCount()
{
    // How many rows the filter leaves, on the storage page while it is set.
    QLabel *panel = StatusPanels[2];
    const bool filtering = m_activeTab == StorageTag && m_filter->isFiltering();
    const int total = m_workspace->Replays().Count();
    panel->setText(filtering ? QStringLiteral("%1/%2").arg(m_filter->rowCount()).arg(total) : QString());
    panel->setToolTip(filtering ? QStringLiteral("絞り込み：全 %1 件中 %2 件を表示").arg(total).arg(m_filter->rowCount())
                                : QString());
    panel->setFixedWidth(filtering ? std::clamp(panel->sizeHint().width(), 50, 100) : 50);
    fitStatusPanels();
}

void TMainForm::showUnreadableCount()
{
    // The storage folder's files named like replays that are not in the
    // table; counted only on the storage page, whose folder the bar shows.
    const int count = int(m_workspace->leftOutFiles().size());
    ActUnreadable->setEnabled(count > 0);
    const bool shown = count > 0 && m_activeTab == StorageTag;
    SbtUnreadable->setText(QStringLiteral("読み込めないファイル: %1").arg(count));
    SbtUnreadable->setFixedWidth(SbtUnreadable->sizeHint().width());
    SbtUnreadable->setHidden(!shown);
    fitStatusPanels();
}

void TMainForm::vSetCmdButton(int tab, int state)
{
    if (tab == GameTag) {
        BtnReplayInfoEdit->setEnabled(state & CmdEdit);
        BtnToReplayCopy->setEnabled(state & CmdCopy);
    } else {
        BtnFileDelete->setEnabled(state & CmdDelete);
        BtnReplayInfoEdit2->setEnabled(state & CmdEdit);
        BtnToTarnelCopy->setEnabled(state & CmdCopy);
    }
}

void TMainForm::selectViewRow(int tag, int row)
{
    QTableView *view = tableView(tag);
    const int rows = tableModel(tag).rowCount();
    if (rows < 1)
        return;
    int column = view->currentIndex().isValid() ? view->currentIndex().column() : -1;
    if (column < 0)
        column = tag == GameTag ? 1 : 0; // the game table's file names are a fixed column
    const QModelIndex index = viewIndex(tag, std::clamp(row, 1, rows), column);
    QScopedValueRollback<bool> quiet(m_settingSelection, true);
    if (!index.isValid()) { // hidden by the filter: nothing is selected
        view->selectionModel()->clear();
        return;
    }
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

void TMainForm::vSetReplayTbl(int tag, bool rebuild)
{
    // A fill may remove the view's current row; that is no selection by the user.
    QScopedValueRollback<bool> quiet(m_settingSelection, true);
    if (tag == GameTag) {
        fillGameTable(*m_tarnelModel, m_workspace->Slots());
        selectViewRow(GameTag, m_tarnelRow);
    } else {
        fillStorageTable(*m_replayModel, m_workspace->Replays(), rebuild, m_replayRow);
        ReplayTableSort(*m_replayModel, m_workspace->Replays()).vSortReplayTbl(m_sortMode);
        followFilter();
    }
}

void TMainForm::followFilter()
{
    // With a filter set, the selected storage row must be one the table
    // shows: a hidden one gives way to the first row shown. When none is, the
    // panel stays empty (vShowReplayInfo shows no hidden row).
    if (!m_filter->isShown(m_replayRow) && m_filter->firstShownRow() > 0)
        m_replayRow = m_filter->firstShownRow();
    selectViewRow(StorageTag, m_replayRow);
    showFilterCount();
}

void TMainForm::vShowReplayInfo(int tag, int row)
{
    ReplayInfo info{};
    bool found = false;
    if (tag == GameTag) {
        const ReplaySlots &gameSlots = m_workspace->Slots();
        if (row >= 1 && row <= ReplaySlotCount && gameSlots[size_t(row - 1)].PlayDate != 0) {
            info = gameSlots[size_t(row - 1)];
            found = true;
        }
    } else {
        const QString &name = m_replayModel->cell(row, 0);
        found = !name.isEmpty() && m_filter->isShown(row) && m_workspace->Replays().FindReplayListByName(name, &info);
    }
    const ReplayInfo *replay = found ? &info : nullptr;
    PnlInfoView->showReplay(replay);
    if (tag == GameTag && replay)
        PnlInfoView->showStoredNames(m_storedMarks->namesOfSlot(row - 1));
    vSetCmdButton(tag, commandState(replay));
}

void TMainForm::vReplaySelectCell(int tag, int row)
{
    if (tag == GameTag) {
        m_tarnelRow = row;
        vShowReplayInfo(GameTag, row);
        return;
    }
    m_replayRow = row;
    vShowReplayInfo(StorageTag, row);
    if (!m_deleteMode)
        return;

    if (m_marks.select(row, m_replayModel->cell(row, 0))) {
        tmFileSelect->stop();
        tmFileSelect->start();
    }
    showDeleteCount();
    updateDeleteMarks();
}

void TMainForm::showDeleteCount()
{
    LblDelFileCnt->setText(QString::number(m_marks.count()));
}

void TMainForm::updateDeleteMarks()
{
    m_replayModel->setDeleteMarks(m_deleteMode, m_marks.names());
    StgReplayTbl->viewport()->update();
}

void TMainForm::vSetDeleteMode(bool on)
{
    m_deleteMode = on;
    m_marks.clear();
    for (QWidget *normal : std::initializer_list<QWidget *>{BtnReload2, BtnToTarnelCopy, BtnFileDelete,
                                                             BtnReplayInfoEdit2})
        normal->setVisible(!on);
    for (QWidget *deleting :
         std::initializer_list<QWidget *>{BtnDeleteCancel, BtnDeleteExec, Label10, Label11, LblDelFileCnt})
        deleting->setVisible(on);
    R1->setEnabled(!on);
    if (on) {
        // The row selected when the mode starts is marked at once.
        m_marks.mark(m_replayModel->cell(m_replayRow, 0));
    } else {
        m_marks.clearGuard();
        tmFileSelect->stop();
    }
    showDeleteCount();
    updateDeleteMarks();
}

void TMainForm::BtnFileDeleteClick()
{
    // Only when at least one replay has been read since the last clear.
    if (m_workspace->Replays().LastId() != 0)
        vSetDeleteMode(true);
}

void TMainForm::BtnDeleteCancelClick()
{
    vSetDeleteMode(false);
}

void TMainForm::BtnDeleteExecClick()
{
    if (m_marks.isEmpty()) {
        m_prompter.error(this, QStringLiteral("ファイルが選択されていません。"));
        return;
    }
    const QStringList names = m_marks.names();
    QStringList paths;
    paths.reserve(names.size());
    for (const QString &name : names)
        paths.append(m_workspace->storagePath(name));
    const auto hidden = std::count_if(names.begin(), names.end(),
                                      [this](const QString &name) { return !m_filter->acceptsFileName(name); });
    if (!m_prompter.confirmDelete(this, paths, int(hidden)))
        return; // declined: mode and marks stay

    const QList<TrashFiles::Result> results = TrashFiles(paths).run();
    QStringList failed;
    QStringList lines;
    for (qsizetype i = 0; i < results.size(); ++i) {
        if (results[i].moved)
            continue;
        failed.append(names[i]);
        lines.append(QStringLiteral("%1：%2").arg(names[i], results[i].reason));
    }

    // Whatever went, the folder is read again so that no file that is gone
    // stays listed.
    BtnReload2Click();
    if (failed.isEmpty()) {
        vSetDeleteMode(false);
        return;
    }

    // Deletion mode stays on with the files that are still there marked.
    QStringList stillListed;
    for (const QString &name : std::as_const(failed)) {
        if (m_workspace->Replays().itemByName(name))
            stillListed.append(name);
    }
    m_marks.keepOnly(stillListed);
    m_marks.clearGuard(); // the rows have moved
    tmFileSelect->stop();
    showDeleteCount();
    updateDeleteMarks();
    m_prompter.error(this, QStringLiteral("次のファイルをごみ箱に移動できませんでした。\n\n%1")
                               .arg(lines.join(QLatin1Char('\n'))));
}

void TMainForm::N1Click()
{
    QString dir = m_workspace->TarnelDir();
    if (!SelDirectory(m_prompter, this, TarnelFolderTitle(), FolderChooserRoot(), dir))
        return;
    m_workspace->setTarnelDir(dir + QLatin1Char('/'));
    {
        FileLoadProgress progress(this);
        m_workspace->reloadTarnelFolder(&progress);
    }
    vSetReplayTbl(GameTag, true);
    if (m_activeTab == GameTag) {
        vShowReplayInfo(GameTag, m_tarnelRow);
        StatusPanels[1]->setText(m_workspace->TarnelDir());
    } else {
        vShowReplayInfo(StorageTag, m_replayRow);
    }
    // The settings file learns the folder at the close question.
}

void TMainForm::R1Click()
{
    if (m_deleteMode) // the menu item is disabled then
        return;
    QString dir = m_workspace->StorageDir();
    if (!SelDirectory(m_prompter, this, StorageFolderTitle(), FolderChooserRoot(), dir))
        return;
    m_workspace->setStorageDir(dir + QLatin1Char('/'));
    {
        FileLoadProgress progress(this);
        m_workspace->reloadStorageFolder(&progress);
    }
    vSetReplayTbl(StorageTag, true); // back to row 1
    if (m_activeTab == StorageTag) {
        vShowReplayInfo(StorageTag, m_replayRow);
        StatusPanels[1]->setText(m_workspace->StorageDir());
    } else {
        vShowReplayInfo(GameTag, m_tarnelRow);
    }
}

void TMainForm::tmFileSelectTimer()
{
    m_marks.clearGuard();
    tmFileSelect->stop();
}

void TMainForm::PcReplayDatChanging(bool &allowChange)
{
    if (m_deleteMode)
        allowChange = false;
}

void TMainForm::PcReplayDatChange()
{
    const int index = PcReplayDat->currentIndex();
    if (index == m_activeTab && m_settingSelection)
        return;
    if (index != m_activeTab) {
        // Backstop for a page change that came past the tab bar's filter.
        bool allow = true;
        PcReplayDatChanging(allow);
        if (!allow) {
            QScopedValueRollback<bool> quiet(m_settingSelection, true);
            PcReplayDat->setCurrentIndex(m_activeTab);
            return;
        }
    }
    m_activeTab = index;
    if (m_activeTab == GameTag)
        vShowReplayInfo(GameTag, m_tarnelRow);
    else
        vShowReplayInfo(StorageTag, m_replayRow);
    setStatusPanels();
}

void TMainForm::ReplayTblSortClick(int tag)
{
    m_sortMode = tag;
    vSetReplayTbl(StorageTag, false);
    vShowReplayInfo(StorageTag, m_replayRow);
}

void TMainForm::BtnReloadClick()
{
    {
        FileLoadProgress progress(this);
        m_workspace->reloadTarnelFolder(&progress);
    }
    vSetReplayTbl(GameTag, true);
    vShowReplayInfo(GameTag, m_tarnelRow);
}

void TMainForm::BtnReload2Click()
{
    {
        FileLoadProgress progress(this);
        m_workspace->reloadStorageFolder(&progress);
    }
    vSetReplayTbl(StorageTag, true);
    vShowReplayInfo(StorageTag, m_replayRow);
}

void TMainForm::X1Click()
{
    close();
}

void TMainForm::V1Click()
{
    TAboutBox box(windowTitle(), m_versionText, this);
    box.exec();
}

void TMainForm::FormCloseQuery(bool &canClose)
{
    if (!m_prompter.question(this, QStringLiteral("終了しますか？")))
        canClose = false;
    // Every answer saves the folders; a failed write has shown its message
    // and does not keep the window open. The settings folder of an installed
    // copy is made on this first write.
    prepareSettingsFolder(m_settingFileName);
    if (SaveSettings(m_settingFileName, windowTitle(), m_versionText, m_workspace->folders(), m_prompter, this)
        && !SaveViewSettings(m_settingFileName, viewSettings()))
        m_prompter.error(this, QStringLiteral("設定ファイルの書込に失敗しました。"));
}

void TMainForm::FormClose()
{
    if (m_recordForm)
        m_recordForm->close();
    m_watcher->setEnabled(false);
    m_workspace->clearStorage();
    m_marks.clear();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMainForm::event(QEvent *event)
{
    // Hint texts are kept but nothing in the window shows them: the status
    // bar keeps its three panels.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        for (QTableView *view : {StgTarnelTbl, StgReplayTbl}) {
            if (watched == view->viewport()) {
                // In deletion mode a right click only opens the context
                // menu: selecting the row would toggle its mark.
                if (m_deleteMode && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                    return true;
                if (event->type() == QEvent::MouseButtonDblClick)
                    return false;
                const QModelIndex current = view->currentIndex();
                m_rowBeforePress = current.isValid() ? current.row() : -1;
                return false;
            }
        }
    }

    bool pageChange = false;
    if (watched == PcReplayDat->tabBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            pageChange = true;
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            pageChange = key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down
                         || key == Qt::Key_Home || key == Qt::Key_End;
            break;
        }
        default:
            break;
        }
    } else if (watched == PcReplayDat && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        pageChange = (key->modifiers() & Qt::ControlModifier)
                     && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_PageUp
                         || key->key() == Qt::Key_PageDown);
    }
    if (pageChange) {
        bool allow = true;
        PcReplayDatChanging(allow);
        if (!allow)
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// copy and edit: the dialogs are reached through the prompter, the files are
// changed by the copy job and the workspace.

void TMainForm::connectFileCommands()
{
    for (QPushButton *button : {BtnToReplayCopy, BtnToTarnelCopy})
        connect(button, &QPushButton::clicked, this,
                [this, button] { BtnToReplayCopyClick(button->property("Tag").toInt()); });
    for (QPushButton *button : {BtnReplayInfoEdit, BtnReplayInfoEdit2})
        connect(button, &QPushButton::clicked, this,
                [this, button] { BtnReplayInfoEditClick(button->property("Tag").toInt()); });
}

void TMainForm::BtnToReplayCopyClick(int tag)
{
    CopyTargetRequest request;
    QString sourcePath;
    ReplayIdentity shown; // the replay the dialog shows: the copy must still find it
    if (tag == GameTag) {
        if (m_tarnelRow < 1 || m_tarnelRow > ReplaySlotCount)
            return;
        request.sourceName = slotFileName(m_tarnelRow - 1);
        sourcePath = m_workspace->slotPath(m_tarnelRow - 1);
        shown = m_workspace->slotIdentities()[size_t(m_tarnelRow - 1)];
        request.destinationDir = m_workspace->StorageDir();
        request.storedNames = m_storedMarks->namesOfSlot(m_tarnelRow - 1);
    } else {
        request.sourceName = m_replayModel->cell(m_replayRow, 0);
        if (request.sourceName.isEmpty())
            return;
        sourcePath = m_workspace->storagePath(request.sourceName);
        if (const ReplayListItem *item = m_workspace->Replays().itemByName(request.sourceName))
            shown = item->Identity;
        request.destinationDir = m_workspace->TarnelDir();
        request.slotMode = true;
        // What the game table shows now: what each slot's copy would replace.
        for (int slot = 0; slot < ReplaySlotCount; ++slot) {
            const int row = slot + 1;
            request.slotTexts[size_t(slot)] =
                SlotSummary{m_tarnelModel->cell(row, 2), m_tarnelModel->cell(row, 3), m_tarnelModel->cell(row, 4),
                            m_tarnelModel->cell(row, 1), m_tarnelModel->cell(row, 5)};
        }
    }
    request.sourcePath = sourcePath;

    const std::optional<QString> target = m_prompter.chooseCopyTarget(this, request);
    if (!target)
        return;
    ReplayCopyJob job(sourcePath, request.destinationDir + *target);
    job.expectReplay(shown);
    for (int slot = 0; request.slotMode && slot < ReplaySlotCount; ++slot) {
        if (*target == slotFileName(slot))
            job.setDestinationHolds(ReplayCopyJob::holdsText(request.slotTexts[size_t(slot)]));
    }
    const CopyResult result = job.run(m_prompter, this);
    if (result.outcome == CopyResult::Outcome::Failed) {
        m_prompter.error(this, QStringLiteral("「%1」を「%2」にコピーできませんでした。\n%3")
                                   .arg(request.sourceName, *target, result.reason));
        return;
    }
    if (result.outcome != CopyResult::Outcome::Copied)
        return;
    // The folder copied into is read again; the panel then shows the page
    // the user is looking at.
    m_workspace->noteCopiedInto(request.destinationDir, *target);
    if (tag == GameTag) {
        BtnReload2Click();
        vShowReplayInfo(GameTag, m_tarnelRow);
    } else {
        BtnReloadClick();
        vShowReplayInfo(StorageTag, m_replayRow);
    }
}

void TMainForm::BtnReplayInfoEditClick(int tag)
{
    ReplayTextRequest request;
    const ReplayInfo *info = nullptr;
    if (tag == GameTag) {
        if (m_tarnelRow < 1 || m_tarnelRow > ReplaySlotCount)
            return;
        request.fileName = slotFileName(m_tarnelRow - 1);
        info = &m_workspace->Slots()[size_t(m_tarnelRow - 1)];
    } else {
        request.fileName = m_replayModel->cell(m_replayRow, 0);
        if (request.fileName.isEmpty())
            return;
        const ReplayListItem *item = m_workspace->Replays().itemByName(request.fileName);
        if (!item)
            return;
        info = &item->Info;
    }
    request.playerName = fieldBytes(info->PlayerName, PlayerNameSize);
    request.comment = fieldBytes(info->Comment, CommentSize);

    const std::optional<ReplayTextAnswer> answer = m_prompter.editReplayText(this, request);
    if (!answer)
        return;
    char name[PlayerNameSize];
    char comment[CommentSize];
    ShiftJisText::storeField(answer->playerName, name, PlayerNameSize);
    ShiftJisText::storeField(answer->comment, comment, CommentSize);

    // Memory, then table and panel, then the file: the writer takes the
    // texts from memory, and the window shows them before the write.
    int row = 0;
    if (tag == GameTag) {
        m_workspace->setSlotText(m_tarnelRow - 1, name, comment);
        vSetReplayTbl(GameTag, true);
        vShowReplayInfo(GameTag, m_tarnelRow);
        row = m_tarnelRow;
    } else {
        // Names and comments are no sort key, so the file keeps its row; a
        // filter may hide it now and select another row.
        row = m_replayRow;
        if (!m_workspace->setStorageText(m_replayModel->cell(row, 0), name, comment))
            return;
        vSetReplayTbl(StorageTag, false);
        vShowReplayInfo(StorageTag, m_replayRow);
    }
    // After a failure the new texts stay in memory and on screen; OK pressed
    // again writes them again.
    if (!WriteReplayText(tag == StorageTag, row))
        m_prompter.error(this, QStringLiteral("リプレイファイルの書き込みに失敗しました。"));
}

bool TMainForm::WriteReplayText(bool fromStorage, int row)
{
    if (!fromStorage)
        return m_workspace->writeSlotText(row - 1);
    const QString fileName = m_replayModel->cell(row, 0);
    return !fileName.isEmpty() && m_workspace->writeStorageText(fileName);
}

// ---------------------------------------------------------------------------
// filter box, keys, context menus and drops: each reaches a command only
// through its button, so what the button allows decides every path.

void TMainForm::EdtFilterChange()
{
    {
        // Rows leaving the view are no selection by the user.
        QScopedValueRollback<bool> quiet(m_settingSelection, true);
        m_filter->setFilterText(EdtFilter->text());
    }
    followFilter();
    if (m_activeTab == StorageTag)
        vShowReplayInfo(StorageTag, m_replayRow);
}

void TMainForm::ActReloadExecute()
{
    PageCommands::press(m_activeTab == GameTag ? BtnReload : BtnReload2);
}

void TMainForm::ActEditExecute()
{
    PageCommands::press(m_activeTab == GameTag ? BtnReplayInfoEdit : BtnReplayInfoEdit2);
}

void TMainForm::ActDeleteExecute()
{
    if (m_activeTab != StorageTag)
        return;
    if (!m_deleteMode) {
        PageCommands::press(BtnFileDelete);
        return;
    }
    // In deletion mode the key marks or unmarks the selected row.
    if (m_filter->isShown(m_replayRow) && m_marks.toggle(m_replayModel->cell(m_replayRow, 0))) {
        showDeleteCount();
        updateDeleteMarks();
    }
}

void TMainForm::ActFilterExecute()
{
    PcReplayDat->setCurrentIndex(StorageTag);
    if (m_activeTab != StorageTag)
        return;
    EdtFilter->setFocus(Qt::ShortcutFocusReason);
    EdtFilter->selectAll();
}

QMenu *TMainForm::tableMenu(int tag)
{
    QMenu *&menu = m_tableMenus[size_t(tag)];
    if (!menu)
        menu = new QMenu(this);
    menu->clear();
    m_commands[size_t(tag)].addTo(menu);
    menu->addSeparator();
    QAction *open = menu->addAction(QStringLiteral("フォルダを開く"));
    open->setObjectName(QStringLiteral("ActOpenFolder"));
    connect(open, &QAction::triggered, this, [this, tag] { OpenFolderClick(tag); });
    return menu;
}

void TMainForm::OpenFolderClick(int tag)
{
    const QString &dir = tag == GameTag ? m_workspace->TarnelDir() : m_workspace->StorageDir();
    if (!DirectoryExists(dir) || !m_openUrl(QUrl::fromLocalFile(dir)))
        m_prompter.error(this, QStringLiteral("フォルダ「%1」を開けませんでした。").arg(QDir::toNativeSeparators(dir)));
}

void TMainForm::StgReplayTblDrop(const QList<QUrl> &urls)
{
    if (m_deleteMode) // the mode may have started since the drop
        return;
    const ReplayDropImport drop(urls, m_workspace->StorageDir());
    const ReplayDropImport::Result result = drop.run(m_prompter, this);
    if (result.copied > 0)
        BtnReload2Click();
    const QStringList notCopied = drop.refused() + result.failures;
    if (!notCopied.isEmpty())
        m_prompter.error(this, QStringLiteral("次のファイルは格納フォルダにコピーしませんでした。\n\n%1")
                                   .arg(notCopied.join(QLatin1Char('\n'))));
}

// ---------------------------------------------------------------------------
// records window and CSV export: both only read the working data.

void TMainForm::ActRecordsClick()
{
    if (!m_recordForm) {
        m_recordForm = new TRecordForm(*m_workspace, this);
        connect(m_recordForm, &TRecordForm::replayChosen, this, &TMainForm::selectReplayFile);
    }
    m_recordForm->show();
    m_recordForm->raise();
    m_recordForm->activateWindow();
}

QList<int> TMainForm::storageRowsAsShown() const
{
    QList<int> rows;
    for (int r = 0; r < m_filter->rowCount(); ++r)
        rows.append(m_filter->gridRow(m_filter->index(r, 0)));
    return rows;
}

bool TMainForm::selectReplayFile(int tag, const QString &fileName)
{
    // A file the filter hides is found too; the filter is then cleared.
    QList<int> rows;
    for (int r = 1; r < tableModel(tag).rowCountWithHeader(); ++r)
        rows.append(r);
    const auto found = std::find_if(rows.begin(), rows.end(),
                                    [&](int r) { return tableModel(tag).cell(r, 0) == fileName; });
    if (found == rows.end())
        return false;
    const int row = *found;
    if (tag != m_activeTab && m_deleteMode) { // only the storage page can be shown then
        m_prompter.error(this, QStringLiteral("削除モード中は%1のページに切り替えられません。").arg(gameFolderKind()));
        return false;
    }
    if (tag == StorageTag && !m_filter->isShown(row))
        EdtFilter->clear();
    (tag == GameTag ? m_tarnelRow : m_replayRow) = row;
    selectViewRow(tag, row);
    if (tag != m_activeTab)
        PcReplayDat->setCurrentIndex(tag); // shows the row and the folder in the status bar
    else
        vShowReplayInfo(tag, row);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return true;
}

void TMainForm::ActCsvExportClick()
{
    const std::optional<QString> path =
        m_prompter.chooseSaveFile(this, QStringLiteral("一覧をCSVで保存"),
                                  m_csvPath.isEmpty() ? CsvExport::suggestedPath() : m_csvPath,
                                  QStringLiteral("CSVファイル (*.csv)"));
    if (!path)
        return;
    const QByteArray csv = CsvExport::storageTable(*m_replayModel, storageRowsAsShown(), m_workspace->Replays());
    QString reason;
    if (!CsvExport::save(*path, csv, &reason)) {
        m_prompter.error(this, QStringLiteral("「%1」を保存できませんでした。\n%2").arg(*path, reason));
        return;
    }
    m_csvPath = *path;
}

// ---------------------------------------------------------------------------
// the storage folder's unreadable files: the list, trash and renames are the
// command's; the window refreshes its table after each new read.

void TMainForm::ActUnreadableClick()
{
    FileLoadProgress progress(this);
    UnreadableFilesCommand command(*m_workspace, m_prompter, this);
    command.setProgress(&progress);
    // Marks would be read again under the user's hands.
    command.setCanChange(!m_deleteMode);
    command.setRefresh([this] { refreshStorageKeepingRow(); });
    command.run();
}

void TMainForm::refreshStorageKeepingRow()
{
    // The files that changed were not in the table: the selected replay
    // stays selected.
    const QString current = m_replayModel->cell(m_replayRow, 0);
    vSetReplayTbl(StorageTag, true);
    for (int r = 1; !current.isEmpty() && r < m_replayModel->rowCountWithHeader(); ++r) {
        if (m_replayModel->cell(r, 0) == current && m_filter->isShown(r)) {
            m_replayRow = r;
            selectViewRow(StorageTag, r);
            break;
        }
    }
    if (m_activeTab == StorageTag)
        vShowReplayInfo(StorageTag, m_replayRow);
    else
        vShowReplayInfo(GameTag, m_tarnelRow);
}
