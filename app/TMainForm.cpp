#include "app/TMainForm.h"

#include "app/CopyCommand.h"
#include "app/DuplicateMarkCommand.h"
#include "app/EditCommand.h"
#include "app/FolderChangeCommand.h"
#include "app/FolderNotice.h"
#include "app/FolderWatcher.h"
#include "app/GamePage.h"
#include "app/Seldir.h"
#include "app/SettingsLocation.h"
#include "app/StatusLine.h"
#include "app/StorageKeeping.h"
#include "app/StoragePage.h"
#include "app/TAboutBox.h"
#include "app/TRecordForm.h"
#include "app/UnreadableFilesCommand.h"
#include "app/WindowPlace.h"
#include "catalogue/DelayedProgress.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/TFileLoadDlg.h"
#include "operations/CommandState.h"
#include "operations/DeletionSession.h"
#include "operations/FileWorkRunner.h"
#include "operations/ReplayDropImport.h"
#include "operations/TrashCommand.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTabWidget>

#include <algorithm>

namespace {

// An update that reads more than a few files shows the progress box once it
// has taken this long.
constexpr int LiveProgressDelayMs = 500;

} // namespace

bool TMainForm::startUp()
{
    for (ReplayPage *page : m_pages)
        page->vSetCmdButton(0);
    FolderSettings folders;
    if (!LoadSettings(m_settingFileName, folders, m_prompter, this))
        return false;
    m_workspace->setFolders(folders);
    const ViewSettings view = LoadViewSettings(m_settingFileName);
    for (ReplayPage *page : m_pages)
        page->vInitReplayTbl();
    // Widths and sort order, before the first fill sorts.
    m_game->setColumnWidths(view.tarnelColumns);
    m_storage->setColumnWidths(view.replayColumns);
    m_storage->setSortMode(view.sortMode);
    {
        FileLoadProgress progress(this);
        m_workspace->reloadTarnelFolder(&progress);
        m_workspace->reloadStorageFolder(&progress);
    }
    for (ReplayPage *page : m_pages)
        page->vSetReplayTbl(true);
    m_game->selectRow(1);
    vShowReplayInfo(FolderKind::Game, 1);
    showStatus();
    PnlInfoView->startAnimation();
    // The page left open is shown as a change of page shows it: its own
    // selected row in the panel, its folder in the status bar.
    if (view.activePage == folderIndex(FolderKind::Storage))
        PcReplayDat->setCurrentIndex(view.activePage);
    restoreWindowPlace(this, view);
    activePage().view()->setFocus(); // the arrow keys move through the table at once
    ActAutoReload->setChecked(view.autoReload);
    m_watcher->setEnabled(ActAutoReload->isChecked());
    m_keeping->start(view);
    return true;
}

FolderKind TMainForm::activeFolder() const
{
    return PcReplayDat->currentIndex() == folderIndex(FolderKind::Storage) ? FolderKind::Storage : FolderKind::Game;
}

int TMainForm::TarnelRow() const { return m_game->selectedRow(); }
int TMainForm::ReplayRow() const { return m_storage->selectedRow(); }
int TMainForm::SortMode() const { return m_storage->SortMode(); }
bool TMainForm::DeleteMode() const { return m_session->isOn(); }
const QStringList &TMainForm::DelFileList() const { return m_session->names(); }
int TMainForm::FileSelectRow() const { return m_session->guardRow(); }

QString TMainForm::statusPanelText(int panel) const
{
    return panel >= 0 && panel < int(StatusPanels.size()) ? StatusPanels[size_t(panel)]->text() : QString();
}

void TMainForm::updateActions()
{
    WindowState state;
    state.page = ActiveTab();
    state.deleteMode = m_session->isOn();
    ReplayInfo info{};
    state.selected = activePage().replayAt(activePage().selectedRow(), info);
    state.unreadableFiles = int(m_workspace->leftOutFiles().size());
    state.undoable = m_keeping && !m_keeping->undo().isEmpty();
    state.storageRows = m_workspace->Replays().Count() > 0 && m_storage->proxy().rowCount() > 0;
    const EnabledState enabled = enabledState(state);
    m_pages[size_t(enabled.page)]->vSetCmdButton(enabled.commands);
    R1->setEnabled(enabled.chooseStorageFolder);
    ActUnreadable->setEnabled(enabled.unreadableList);
    if (m_keeping)
        m_keeping->setEnabled(enabled);
}

void TMainForm::showStatus()
{
    // The storage folder's unreadable files are counted only on the storage
    // page, whose folder the bar shows.
    const ReplayPage &page = activePage();
    const int unreadable = page.countsUnreadableFiles() ? int(m_workspace->leftOutFiles().size()) : 0;
    m_status->show(folderCaption(page.kind()), m_workspace->dir(page.kind()), page.countTexts(), unreadable);
}

void TMainForm::vShowReplayInfo(FolderKind folder, int row)
{
    const ReplayPage &shown = page(folder);
    ReplayInfo info{};
    const ReplayInfo *replay = shown.replayAt(row, info);
    if (replay || !shown.listsNothing())
        PnlInfoView->showReplay(replay);
    else
        PnlInfoView->showNothing();
    if (replay)
        PnlInfoView->showStoredNames(shown.storedNames(row));
    updateActions();
}

void TMainForm::showActive()
{
    vShowReplayInfo(activeFolder(), activePage().selectedRow());
}

void TMainForm::runPageCommand(FolderKind folder, PageCommand command)
{
    switch (command) {
    case PageCommand::Reload:
        reloadFolder(folder);
        return m_status->say(page(folder).reloadReport());
    case PageCommand::Copy: return BtnToReplayCopyClick(folder);
    case PageCommand::Edit: return BtnReplayInfoEditClick(folder);
    case PageCommand::Delete: return BtnFileDeleteClick();
    case PageCommand::DeleteCancel: return BtnDeleteCancelClick();
    case PageCommand::DeleteExec: return BtnDeleteExecClick();
    }
}

void TMainForm::reloadFolder(FolderKind folder)
{
    {
        FileLoadProgress progress(this);
        m_workspace->reload(folder, &progress);
    }
    page(folder).vSetReplayTbl(true);
    vShowReplayInfo(folder, page(folder).selectedRow());
}

void TMainForm::changeFolder(FolderKind folder)
{
    FileLoadProgress progress(this);
    if (!FolderChangeCommand(*m_workspace, m_prompter, this).run(folder, &progress))
        return;
    progress.finish();
    page(folder).vSetReplayTbl(true); // back to row 1
    showActive();
    showStatus();
    // The settings file learns the folder at the close question.
}

void TMainForm::R1Click()
{
    if (!m_session->isOn()) // the menu item is disabled then
        changeFolder(FolderKind::Storage);
}

void TMainForm::vSetDeleteMode(bool on)
{
    if (on)
        m_session->start(m_storage->selectedName());
    else
        m_session->stop();
}

void TMainForm::BtnFileDeleteClick()
{
    // Only when at least one replay has been read since the last clear.
    if (m_workspace->Replays().LastId() != 0)
        vSetDeleteMode(true);
}

void TMainForm::BtnDeleteExecClick()
{
    if (m_session->names().isEmpty()) {
        m_prompter.error(this, QStringLiteral("ファイルが選択されていません。"));
        return;
    }
    int hidden = 0;
    const QList<TrashItem> items = m_storage->markedFiles(&hidden);
    const CommandResult result = TrashCommand(m_prompter, this, m_fileWork.get()).run(items, hidden);
    if (result.cancelled)
        return; // declined: mode and marks stay
    m_keeping->remember(result.trashed);
    m_status->say(result.summary);
    // Whatever went, the folder is read again so that no file that is gone
    // stays listed.
    BtnReload2Click();
    if (result.message.isEmpty() && result.untouched.isEmpty()) {
        vSetDeleteMode(false);
        return;
    }
    // Deletion mode stays on with the files that are still there marked:
    // those that failed, and those a stop left.
    const QStringList kept = result.failedNames() + result.untouched;
    m_session->keepListed(
        [&](const QString &name) { return kept.contains(name) && m_workspace->Replays().itemByName(name); });
    if (!result.message.isEmpty())
        m_prompter.error(this, result.message, result.details);
}

void TMainForm::PcReplayDatChanging(bool &allowChange)
{
    if (m_session->isOn())
        allowChange = false;
}

void TMainForm::PcReplayDatChange()
{
    // Backstop for a page change that came past the tab bar's filter: in
    // deletion mode only the storage page is shown.
    bool allow = true;
    PcReplayDatChanging(allow);
    if (!allow && activeFolder() != FolderKind::Storage) {
        PcReplayDat->setCurrentIndex(folderIndex(FolderKind::Storage));
        return;
    }
    showActive();
    showStatus();
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
    m_session->clearMarks();
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (m_fileWork->isRunning()) { // the work ends first; its results are to be shown
        event->ignore();
        return;
    }
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

// ---------------------------------------------------------------------------
// file commands: each asks through the prompter and gives back a result,
// which the window shows after reading again what changed.

void TMainForm::BtnToReplayCopyClick(FolderKind from)
{
    const ReplayPage &source = page(from);
    const int row = source.selectedRow();
    if (row < 1 || source.selectedName().isEmpty())
        return;
    CopyCommand copy(*m_workspace, m_prompter, this, m_fileWork.get());
    copy.setNameTemplate(m_keeping->autoStore().nameTemplate());
    const CommandResult result = copy.run(from, source.selectedName(), source.storedNames(row));
    m_keeping->remember(result.trashed); // a file replaced
    if (!result.message.isEmpty())
        m_prompter.error(this, result.message);
    if (result.anyDone()) // the folder copied into is read again
        reloadFolder(otherFolder(from));
    showActive();
    m_status->say(result.summary);
}

void TMainForm::BtnReplayInfoEditClick(FolderKind folder)
{
    ReplayPage &edited = page(folder);
    const CommandResult result =
        EditCommand(*m_workspace, m_prompter, this).run(folder, edited.selectedName(), [&] {
            // Names and comments are no sort key, so the file keeps its row; a
            // filter may hide it now and select another row.
            edited.vSetReplayTbl(false);
            vShowReplayInfo(folder, edited.selectedRow());
        });
    if (!result.message.isEmpty())
        m_prompter.error(this, result.message);
    m_status->say(result.summary);
}

void TMainForm::OpenFolderClick(FolderKind folder)
{
    const QString &dir = m_workspace->dir(folder);
    if (!DirectoryExists(dir) || !m_openUrl(QUrl::fromLocalFile(dir)))
        m_prompter.error(this, QStringLiteral("フォルダ「%1」を開けませんでした。").arg(QDir::toNativeSeparators(dir)));
}

void TMainForm::StgReplayTblDrop(const QList<QUrl> &urls)
{
    if (m_session->isOn() || m_fileWork->isRunning()) // the mode may have started since the drop
        return;
    const ReplayDropImport drop = m_fileWork->run({}, [&](FileWorkProgress &progress) {
        return ReplayDropImport(urls, m_workspace->StorageDir(), &progress);
    });
    if (drop.wasCancelled())
        return;
    const ReplayDropImport::Result result =
        m_fileWork->run(QStringLiteral("格納フォルダにコピー中"),
                        [&](FileWorkProgress &progress) { return drop.run(m_prompter, this, &progress); });
    m_keeping->remember(result.trashed);
    if (result.copied > 0)
        BtnReload2Click();
    const FileListMessage message = drop.message(result);
    if (!message.isEmpty())
        m_prompter.error(this, message.text, message.details);
}

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

bool TMainForm::selectReplayFile(FolderKind folder, const QString &fileName)
{
    // A file the filter hides is found too; the filter is then cleared.
    ReplayPage &target = page(folder);
    const int row = target.findRow(fileName);
    if (row == 0)
        return false;
    if (folder != activeFolder() && m_session->isOn()) { // only the storage page can be shown then
        m_prompter.error(this, QStringLiteral("削除モード中は%1のページに切り替えられません。")
                                   .arg(folderCaption(FolderKind::Game)));
        return false;
    }
    target.revealRow(row);
    target.selectRow(row);
    if (folder != activeFolder())
        PcReplayDat->setCurrentIndex(folderIndex(folder)); // shows the row and the folder in the status bar
    else
        vShowReplayInfo(folder, row);
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return true;
}

void TMainForm::ActCsvExportClick()
{
    const CommandResult result =
        m_csvExport.run(m_storage->model(), m_storage->rowsAsShown(), m_workspace->Replays());
    if (!result.message.isEmpty())
        m_prompter.error(this, result.message);
    m_status->say(result.summary);
}

void TMainForm::ActUnreadableClick()
{
    FileLoadProgress progress(this);
    UnreadableFilesCommand command(*m_workspace, m_prompter, this);
    command.setProgress(&progress);
    command.setRunner(m_fileWork.get());
    // Marks would be read again under the user's hands.
    command.setCanChange(!m_session->isOn());
    command.setUndo(&m_keeping->undo());
    command.setRefresh([this] {
        m_storage->refillKeepingSelection();
        showActive();
    });
    command.run();
}

void TMainForm::ActFindDuplicatesClick()
{
    markForDeletion(DuplicateMarkCommand(*m_workspace, m_prompter, this).run());
}

void TMainForm::markForDeletion(const QStringList &names)
{
    if (names.isEmpty())
        return;
    // Every mark is to be seen while the user reviews them. The first marked
    // file becomes the selected row (which also shows the storage page);
    // entering the mode then marks it, and the marks are replaced by exactly
    // these files.
    m_storage->revealFiles(names);
    selectReplayFile(FolderKind::Storage, names.first());
    if (!m_session->isOn())
        vSetDeleteMode(true);
    m_session->markExactly(names);
}

// ---------------------------------------------------------------------------
// the folders followed as other programs change them

void TMainForm::followFolder(FolderKind folder)
{
    // Watches the folder as its last scan saw it and shows or hides its notice.
    const FolderSnapshot &seen = m_workspace->seen(folder);
    QStringList names;
    names.reserve(seen.size());
    for (const QByteArray &name : seen.names())
        names.append(QFile::decodeName(name));
    m_watcher->watch(folder, m_workspace->dir(folder), names);
    page(folder).notice()->showFor(seen.state, m_workspace->dir(folder));
}

bool TMainForm::mayUpdateNow() const
{
    // A dialog or question open (some run their own event loop, some are
    // the system's own), file work or a scan under way, a menu, or a press
    // or drag under way: the update waits.
    return !m_trackingPrompter.isAsking() && !m_fileWork->isRunning() && isEnabled()
        && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget() && QGuiApplication::mouseButtons() == Qt::NoButton;
}

void TMainForm::liveFolderChanged(FolderKind folder, bool mayHold)
{
    ReplayWorkspace::LiveResult result;
    {
        FileLoadProgress box(this);
        DelayedProgress progress(box, LiveProgressDelayMs);
        result = m_workspace->liveReload(folder, &progress, mayHold);
    }
    if (result == ReplayWorkspace::LiveResult::Held) {
        m_watcher->holdBack(folder);
        return;
    }
    if (result == ReplayWorkspace::LiveResult::Unchanged)
        return;
    page(folder).followFolderChange();
    if (folder == activeFolder())
        vShowReplayInfo(folder, page(folder).selectedRow());
}
