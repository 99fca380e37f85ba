#pragma once

#include "app/ReplayPage.h"
#include "app/ReplayWorkspace.h"
#include "operations/CsvExportCommand.h"
#include "platform/TrackingPrompter.h"

#include <QList>
#include <QMainWindow>
#include <QUrl>

#include <array>
#include <functional>
#include <memory>

class DeletionSession;
class FileWorkBox;
class FileWorkRunner;
class FolderWatcher;
class GamePage;
class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QToolButton;
class ReplayDetailPanel;
class StatusLine;
class StorageKeeping;
class StoragePage;
class TRecordForm;

// The main window: creates the two pages, the detail panel, the menus and
// the status bar, and routes. The pages hold the tables and their command
// panels; the commands (CopyCommand, EditCommand, TrashCommand, ...) change
// files and give back results, which the window shows; DeletionSession holds
// deletion mode; updateActions() computes every enabled state.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // The window's caption, also the title of the program and its message boxes.
    static const QString &caption();

    TMainForm(Prompter &prompter, const QString &settingFileName, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Reads the settings (asking for a missing folder), scans both folders,
    // fills both tables and shows game row 1. False when the user declined a
    // folder prompt: the program must end without showing the window.
    bool startUp();

    // --- routing: what the pages, menus and keys ask for ---
    void vShowReplayInfo(FolderKind folder, int row);
    void vReplaySelectCell(FolderKind folder, int row) { page(folder).chooseRow(row); }
    void PcReplayDatChanging(bool &allowChange);
    void PcReplayDatChange();
    void BtnReloadClick() { reloadFolder(FolderKind::Game); }
    void BtnReload2Click() { reloadFolder(FolderKind::Storage); }
    void BtnToReplayCopyClick(FolderKind from);
    void BtnReplayInfoEditClick(FolderKind folder);
    void BtnFileDeleteClick();
    void BtnDeleteCancelClick() { vSetDeleteMode(false); }
    void BtnDeleteExecClick();
    void vSetDeleteMode(bool on);
    void N1Click() { changeFolder(FolderKind::Game); }
    void R1Click();
    void X1Click() { close(); }
    void V1Click();
    void FormCloseQuery(bool &canClose);
    void FormClose();
    void ActRecordsClick();
    void ActCsvExportClick();
    void ActUnreadableClick();
    void ActFindDuplicatesClick();
    void OpenFolderClick(FolderKind folder);
    void StgReplayTblDrop(const QList<QUrl> &urls);
    // Selects this file's row and shows its page (marks stay); in deletion
    // mode the game page stays closed. False when not listed or not shown.
    bool selectReplayFile(FolderKind folder, const QString &fileName);
    // Shows what another program changed in a folder, keeping the view.
    void liveFolderChanged(FolderKind folder, bool mayHold);
    // No dialog, question or progress box open, no mouse button held.
    bool mayUpdateNow() const;
    // Every button's and action's enabled state, from the state.
    void updateActions();
    // How URLs are opened (the desktop's handler); tests put a recorder here.
    void setUrlOpener(std::function<bool(const QUrl &)> open) { m_openUrl = std::move(open); }
    ViewSettings viewSettings() const;

    // --- state, read-only ---
    ReplayPage &page(FolderKind folder) const { return *m_pages[size_t(folderIndex(folder))]; }
    GamePage &gamePage() const { return *m_game; }
    StoragePage &storagePage() const { return *m_storage; }
    FolderKind activeFolder() const;
    DeletionSession &session() const { return *m_session; }
    ReplayWorkspace &workspace() const { return *m_workspace; }
    FolderWatcher &folderWatcher() const { return *m_watcher; }
    // Auto-store, the name template, bulk rename and undo.
    StorageKeeping &keeping() const { return *m_keeping; }
    // Runs the long file work of the commands, with its progress box.
    FileWorkRunner &fileWork() const { return *m_fileWork; }
    const QString &SettingFileName() const { return m_settingFileName; }
    const QString &VersionText() const { return m_versionText; }
    int TarnelRow() const;
    int ReplayRow() const;
    int ActiveTab() const { return folderIndex(activeFolder()); }
    int SortMode() const;
    bool DeleteMode() const;
    const QStringList &DelFileList() const;
    int FileSelectRow() const;
    QString statusPanelText(int panel) const;

    // --- widgets (object names as the variable names) ---
    QMenu *F1, *S1, *H1;
    QAction *ActRecords, *ActCsvExport, *ActFindDuplicates, *ActUnreadable, *X1;
    QAction *N1, *R1, *ActAutoReload, *V1;
    QAction *ActReload, *ActEdit, *ActDelete, *ActFilter; // F5, F2, Delete, Ctrl+F
    QTabWidget *PcReplayDat;
    ReplayDetailPanel *PnlInfoView;
    std::array<QLabel *, 3> StatusPanels;
    // "読み込めないファイル：n", on the storage page while there are such files.
    QToolButton *SbtUnreadable;

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void buildPages();
    void buildStatusBar();
    void buildCommandKeys();
    void buildLiveFolders();
    void routePage(ReplayPage *page);
    void runPageCommand(FolderKind folder, PageCommand command);
    ReplayPage &activePage() const { return page(activeFolder()); }
    void showActive();
    void showStatus();
    void reloadFolder(FolderKind folder);
    void changeFolder(FolderKind folder);
    void followFolder(FolderKind folder);
    void markForDeletion(const QStringList &names);

    TrackingPrompter m_trackingPrompter; // every question passes here: the window knows when one is open
    Prompter &m_prompter;
    QString m_settingFileName;
    QString m_versionText;
    ReplayWorkspace *m_workspace;
    DeletionSession *m_session;
    GamePage *m_game = nullptr;
    StoragePage *m_storage = nullptr;
    std::array<ReplayPage *, 2> m_pages{};
    CsvExportCommand m_csvExport;
    std::function<bool(const QUrl &)> m_openUrl;
    TRecordForm *m_recordForm = nullptr; // made when first opened
    FolderWatcher *m_watcher = nullptr;
    std::unique_ptr<StatusLine> m_status;
    StorageKeeping *m_keeping = nullptr;
    std::unique_ptr<FileWorkBox> m_fileWorkBox;
    std::unique_ptr<FileWorkRunner> m_fileWork;
};
