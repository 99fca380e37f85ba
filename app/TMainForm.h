#pragma once

#include "app/PageCommands.h"
#include "app/ReplayWorkspace.h"
#include "app/ViewSettings.h"
#include "operations/DeletionMarks.h"
#include "platform/TrackingPrompter.h"

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <array>
#include <functional>

class FolderNotice;
class FolderWatcher;
class Prompter;
class QAbstractItemModel;
class QAction;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QTabWidget;
class QTableView;
class QTimer;
class QToolButton;
class QWidget;
class ReplayDetailPanel;
class ReplayFilterProxy;
class ReplayTableModel;
class StoredMarks;
class TRecordForm;

// The main window: both replay tables on two pages, the detail panel, the
// status bar and the menu. It shows the working data held by its
// ReplayWorkspace (the two folders, the ten game slots, the storage
// catalogue) and keeps the view state: selected rows, page, sort order and
// the deletion marks.
//
// Construction builds the layout and gives every member its starting value;
// startUp() then reads the settings, scans both folders and fills the tables.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // Table tags: the Tag of StgTarnelTbl and StgReplayTbl.
    static constexpr int GameTag = 0;
    static constexpr int StorageTag = 1;

    // The window's caption, also the title of the program and its message boxes.
    static const QString &caption();
    // Names of the two folders, on the page tabs and in the status bar.
    static const QString &gameFolderKind();
    static const QString &storageFolderKind();

    TMainForm(Prompter &prompter, const QString &settingFileName, QWidget *parent = nullptr);
    ~TMainForm() override;

    // Reads the settings (asking for a missing folder), scans both folders,
    // fills both tables and shows game row 1. False when the user declined a
    // folder prompt: the program must end without showing the window.
    bool startUp();

    // --- routines shared by every command ---
    void vSetCmdButton(int tab, int state);
    void vInitReplayTbl(int tag);
    void vSetReplayTbl(int tag, bool rebuild);
    void vShowReplayInfo(int tag, int row);

    // --- handlers ---
    void vReplaySelectCell(int tag, int row);
    void tmFileSelectTimer();
    void PcReplayDatChanging(bool &allowChange);
    void PcReplayDatChange();
    void ReplayTblSortClick(int tag);
    void BtnReloadClick();
    void BtnReload2Click();
    void BtnFileDeleteClick();
    void BtnDeleteCancelClick();
    void BtnDeleteExecClick();
    void N1Click();
    void R1Click();
    void X1Click();
    void V1Click();
    void FormCloseQuery(bool &canClose);
    void FormClose();
    // Copy between the folders; tag 0 from the selected game slot into the
    // storage folder, tag 1 from the selected storage file into a slot.
    void BtnToReplayCopyClick(int tag);
    // Name and comment of the selected replay of the page with this tag.
    void BtnReplayInfoEditClick(int tag);
    // Opens the records window (modeless; one for the run).
    void ActRecordsClick();
    // Writes the storage table as shown to a CSV file the user chooses.
    void ActCsvExportClick();
    // The list of the storage folder's unreadable files (the menu item and
    // the count in the status bar): trash and rename from there.
    void ActUnreadableClick();
    // Lists identical replays of the storage folder; on request marks all
    // but the oldest of each group in deletion mode (entered when needed).
    void ActFindDuplicatesClick();

    // Selects the row of this file in the table with this tag and shows
    // its page, as if the user had selected it (deletion marks are left
    // alone). The game page cannot be shown in deletion mode: a message
    // says so; a storage file the filter hides empties the filter box.
    // False when the file is not listed or the page stays.
    bool selectReplayFile(int tag, const QString &fileName);
    // Grid rows of the storage table in the order the view shows them (only
    // those the filter leaves).
    QList<int> storageRowsAsShown() const;

    // Rewrites the replay of this table row with the name and comment held
    // in memory. False when it could not be written.
    bool WriteReplayText(bool fromStorage, int row);

    // Enters or leaves deletion mode: buttons and labels swapped, R1
    // disabled while on, marks emptied; entering marks the selected row.
    void vSetDeleteMode(bool on);

    // --- filter box, keys, context menu, drops ---
    void EdtFilterChange();
    void ActReloadExecute(); // F5
    void ActEditExecute();   // F2
    void ActDeleteExecute(); // Delete
    void ActFilterExecute(); // Ctrl+F
    // The context menu of a table, filled for the moment it is asked for.
    QMenu *tableMenu(int tag);
    // Opens the page's folder in the desktop's file manager.
    void OpenFolderClick(int tag);
    // Files dropped onto the storage table.
    void StgReplayTblDrop(const QList<QUrl> &urls);
    // How URLs are opened (the desktop's handler); tests put a recorder here.
    void setUrlOpener(std::function<bool(const QUrl &)> open) { m_openUrl = std::move(open); }

    // The view as the close question writes it.
    ViewSettings viewSettings() const;

    // --- folders followed as other programs change them ---
    // Shows what changed in the folder of the table with this tag, keeping
    // the view: sort, selected file, scroll position, marks of the files
    // still there. mayHold: a file still being written may put it off.
    void liveFolderChanged(int tag, bool mayHold);
    // The Settings menu's switch.
    void ActAutoReloadClick(bool on);
    // Whether the window may change now: no dialog, question or progress
    // box open, no mouse button held.
    bool mayUpdateNow() const;
    FolderWatcher &folderWatcher() const { return *m_watcher; }
    // The notice over the table with this tag while its folder is missing or unreadable.
    FolderNotice *folderNotice(int tag) const { return m_notices[size_t(tag)]; }

    // --- state, read-only for everyone else ---
    const QString &SettingFileName() const { return m_settingFileName; }
    const QString &TarnelDir() const { return m_workspace->TarnelDir(); }
    const QString &StorageDir() const { return m_workspace->StorageDir(); }
    const QString &VersionText() const { return m_versionText; }
    int TarnelRow() const { return m_tarnelRow; }
    int ReplayRow() const { return m_replayRow; }
    int ActiveTab() const { return m_activeTab; }
    int SortMode() const { return m_sortMode; }
    bool DeleteMode() const { return m_deleteMode; }
    int FileSelectRow() const { return m_marks.guardRow(); }
    const QStringList &DelFileList() const { return m_marks.names(); }
    const ReplaySlots &Slots() const { return m_workspace->Slots(); }
    const ReplayList &Replays() const { return m_workspace->Replays(); }
    // The working data: folders, slots, catalogue, reloads, name and comment.
    ReplayWorkspace &workspace() { return *m_workspace; }
    const ReplayWorkspace &workspace() const { return *m_workspace; }
    ReplayTableModel &tableModel(int tag) const;
    QTableView *tableView(int tag) const;
    ReplayFilterProxy &filterProxy() const { return *m_filter; }
    // Which game slots are already in the storage folder.
    const StoredMarks &storedMarks() const { return *m_storedMarks; }
    // The one mapping between a table's grid rows and its view's indexes:
    // the storage view shows the rows through the filter.
    QModelIndex viewIndex(int tag, int gridRow, int column) const;
    int gridRowOf(int tag, const QModelIndex &viewIndex) const;

    // Text of status-bar panel 0, 1 or 2.
    QString statusPanelText(int panel) const;

    // --- widgets (object names as the variable names) ---
    QMenu *F1;
    QMenu *S1;
    QMenu *H1;
    QAction *X1;
    QAction *ActRecords;
    QAction *ActCsvExport;
    QAction *ActUnreadable;
    QAction *ActFindDuplicates;
    QAction *N1;
    QAction *R1;
    QAction *ActAutoReload;
    QAction *V1;

    QTabWidget *PcReplayDat;
    QWidget *TabTarnel;
    QWidget *TabReplay;
    QTableView *StgTarnelTbl;
    QTableView *StgReplayTbl;

    QWidget *PnlTarnelCmd;
    QPushButton *BtnReload;
    QPushButton *BtnToReplayCopy;
    QPushButton *BtnReplayInfoEdit;

    QWidget *PnlReplayCmd;
    QLabel *Label9;
    QButtonGroup *SortButtons;
    QToolButton *SbtSortNone;
    QToolButton *SbtSortFile1;
    QToolButton *SbtSortFile2;
    QToolButton *SbtSortScore1;
    QToolButton *SbtSortScore2;
    QToolButton *SbtSortDungeon;
    QToolButton *SbtSortChara;
    QPushButton *BtnReload2;
    QPushButton *BtnToTarnelCopy;
    QPushButton *BtnFileDelete;
    QPushButton *BtnReplayInfoEdit2;
    QPushButton *BtnDeleteCancel;
    QPushButton *BtnDeleteExec;
    QLabel *Label10;
    QLabel *Label11;
    QLabel *LblDelFileCnt;
    QLineEdit *EdtFilter;

    QAction *ActReload;
    QAction *ActEdit;
    QAction *ActDelete;
    QAction *ActFilter;

    ReplayDetailPanel *PnlInfoView;
    std::array<QLabel *, 3> StatusPanels;
    // "読み込めないファイル: n" at the right of the status bar, on the storage
    // page while the storage folder has such files; a click opens the list.
    QToolButton *SbtUnreadable;
    QTimer *tmFileSelect;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenu();
    void buildTarnelPage();
    void buildReplayPage();
    void buildStatusBar();
    void buildCommandKeys();
    QTableView *makeTable(int tag, QAbstractItemModel *model, QWidget *parent);
    void connectTable(QTableView *view);
    void selectViewRow(int tag, int row);
    void setStatusPanels();
    void updateDeleteMarks();
    void showDeleteCount();
    void connectFileCommands();
    void followFilter();
    void showFilterCount();
    void showUnreadableCount();
    void fitStatusPanels();
    void refreshStorageKeepingRow();
    void restoreTables(const ViewSettings &view);
    void restorePageAndPlace(const ViewSettings &view);
    void buildLiveFolders();
    void startLiveFolders(const ViewSettings &view);
    // Watches the folder of the table with this tag as its last scan saw it
    // and shows or hides its notice.
    void followFolder(int tag);
    void showStoredLine();
    void markForDeletion(const QStringList &names);

    // Every question goes through here, so the window knows when one is open.
    TrackingPrompter m_trackingPrompter;
    Prompter &m_prompter;
    QString m_settingFileName;
    QString m_versionText;
    ReplayWorkspace *m_workspace;
    ReplayTableModel *m_tarnelModel;
    ReplayTableModel *m_replayModel;
    ReplayFilterProxy *m_filter;
    StoredMarks *m_storedMarks;
    std::array<PageCommands, 2> m_commands; // by tag
    std::array<QMenu *, 2> m_tableMenus{};  // by tag
    std::function<bool(const QUrl &)> m_openUrl;
    int m_tarnelRow = 1;
    int m_replayRow = 1;
    int m_activeTab = 0;
    int m_sortMode = 0;
    bool m_deleteMode = false;
    DeletionMarks m_marks; // DelFileList and FileSelectRow

    // True while the program itself moves a view's current row: the
    // selection handler must not run then.
    bool m_settingSelection = false;
    // The current row of a table just before a mouse press on it, so that a
    // press on the row that is already current still counts as a selection.
    int m_rowBeforePress = -1;
    TRecordForm *m_recordForm = nullptr; // made when first opened
    QString m_csvPath;                   // the last CSV file written, for the next export
    FolderWatcher *m_watcher = nullptr;
    std::array<FolderNotice *, 2> m_notices{}; // by tag
};
