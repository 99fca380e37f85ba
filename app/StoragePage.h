#pragma once

#include "app/ReplayPage.h"
#include "operations/TrashCommand.h"

#include <QUrl>

class DeletionSession;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QToolButton;

// The page of the storage folder: the catalogue sorted seven ways and
// filtered by the words typed, reload, copy into a game slot, deletion mode
// (shown from the DeletionSession it is given), name and comment editing,
// and files dropped from a file manager.
class StoragePage : public ReplayPage {
    Q_OBJECT
public:
    StoragePage(ReplayWorkspace &workspace, DeletionSession &session, QWidget *parent = nullptr);

    void vSetReplayTbl(bool rebuild) override;
    const ReplayInfo *replayAt(int gridRow, ReplayInfo &info) const override;
    void vSetCmdButton(int state) override;
    int replayCount() const override;
    bool listsNothing() const override;
    void deleteKeyPressed() override;
    void spacePressed() override;
    std::array<QString, 2> countTexts() const override;

    // The sort orders, as the sort buttons from left to right.
    enum SortModes { SortNone, SortFile1, SortFile2, SortScore1, SortScore2, SortDungeon, SortChara };
    // The sort order: 0 to 6, the sort buttons from left to right.
    int SortMode() const;
    void setSortMode(int sortMode);
    // A sort button: the table is sorted again.
    void ReplayTblSortClick(int sortMode);
    // Ctrl+F: the cursor in the filter box.
    void focusFilter();
    // Empties the filter box when it hides any of these files (or grid row).
    void revealFiles(const QStringList &names);
    void revealRow(int gridRow) override;
    bool countsUnreadableFiles() const override { return true; }
    // The files marked for deletion, to be moved to the trash; hidden: how
    // many of them the filter hides.
    QList<TrashItem> markedFiles(int *hidden) const;
    // Grid rows in the order the view shows them (only those the filter leaves).
    QList<int> rowsAsShown() const;
    // The table filled again after the program changed files it did not
    // list (unreadable ones): the selected replay stays selected.
    void refillKeepingSelection();

    // Widgets (object names as the variable names).
    QTableView *StgReplayTbl;
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
    QWidget *PnlFilter; // holds EdtFilter
    QLineEdit *EdtFilter;

signals:
    // Replay files dropped from a file manager (never in deletion mode).
    void filesDropped(const QList<QUrl> &urls);

protected:
    void refillAfterChange() override;
    bool rightPressOnlyOpensMenu() const override;
    int growingColumn() const override { return 0; } // the file name
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildSortRow();
    void buildDeletionPanel();
    void buildFilter();
    void EdtFilterChange();
    // With a filter set, the selected row must be one the table shows: a
    // hidden one gives way to the first row shown.
    void followFilter(int gridRow);
    void showDeleteMode(bool on);
    void showMarks();
    // A click on a column header of the table.
    void headerClicked(int column);
    void showSortIndicator();
    void toggleSelectedMark();

    DeletionSession &m_session;
};
