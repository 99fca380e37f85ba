#pragma once

#include "catalogue/StoredReplayIndex.h"

#include <QObject>
#include <QStringList>

class ReplayTableModel;
class ReplayWorkspace;

// "Already stored" on the game page: which game slots hold a replay that is
// also in the storage folder (same stream identity), under which names. It
// follows both folders through the workspace's change signals, puts the names
// on the game table's rows and says when they may have changed.
class StoredMarks : public QObject {
    Q_OBJECT
public:
    StoredMarks(const ReplayWorkspace &workspace, ReplayTableModel &gameTable, QObject *parent = nullptr);

    // The storage files holding the replay of game slot 0..9; empty for an
    // empty slot or one whose replay is not stored.
    QStringList namesOfSlot(int slot) const;
    // The storage folder's replays by identity, as of its last read.
    const StoredReplayIndex &index() const { return m_index; }

signals:
    void changed();

private:
    void storageChanged();
    void update();

    const ReplayWorkspace &m_workspace;
    ReplayTableModel &m_gameTable;
    StoredReplayIndex m_index;
};
