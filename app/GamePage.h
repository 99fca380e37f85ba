#pragma once

#include "app/ReplayPage.h"

class StoredMarks;

// The page of the game's ten replay slots: a fixed table of ten rows, the
// "already stored" marks on them, reload, copy to the storage folder and
// name and comment editing.
class GamePage : public ReplayPage {
    Q_OBJECT
public:
    explicit GamePage(ReplayWorkspace &workspace, QWidget *parent = nullptr);

    // Which slots are already in the storage folder.
    StoredMarks &storedMarks() const { return *m_storedMarks; }

    void vSetReplayTbl(bool rebuild) override;
    const ReplayInfo *replayAt(int gridRow, ReplayInfo &info) const override;
    QStringList storedNames(int gridRow) const override;
    void vSetCmdButton(int state) override;
    int replayCount() const override;
    // The slots of a missing or unreadable folder hold nothing to show.
    bool listsNothing() const override;

    // Widgets (object names as the variable names).
    QTableView *StgTarnelTbl;
    QWidget *PnlTarnelCmd;
    QPushButton *BtnReload;
    QPushButton *BtnToReplayCopy;
    QPushButton *BtnReplayInfoEdit;

protected:
    int firstColumn() const override { return 1; } // the file names are a fixed column
    int growingColumn() const override { return 5; } // the player name

private:
    StoredMarks *m_storedMarks;
};
