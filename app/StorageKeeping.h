#pragma once

#include "app/AutoStore.h"
#include "operations/TrashUndo.h"

#include <QObject>

class Prompter;
class QAction;
class QMenu;
class QTimer;
class StatusLine;
class TMainForm;
struct EnabledState;
struct ViewSettings;

// The window's commands that keep every replay: auto-store and its switch,
// the storage file name template, the bulk rename of the storage page, and
// the undo of the last trash operation. It owns their actions (in the
// Settings menu, an Edit menu and the storage table's context menu), runs
// them on the window's workspace and pages, and shows their results: the
// status bar says what was done, a failure of auto-store stays on the storage
// table's notice until a copy succeeds.
class StorageKeeping : public QObject {
    Q_OBJECT
public:
    StorageKeeping(TMainForm &window, Prompter &prompter, StatusLine &status);

    // The switch and the template as the settings file had them; auto-store
    // runs once the window is up when the switch is on.
    void start(const ViewSettings &view);
    void saveInto(ViewSettings &view) const;

    AutoStore &autoStore() { return *m_autoStore; }
    TrashUndo &undo() { return m_undo; }
    // The files a trash operation (a deletion, the unreadable list, a copy
    // that replaced a file) moved: undo brings them back.
    void remember(const QList<TrashedFile> &files);
    void setEnabled(const EnabledState &enabled);

    void ActAutoStoreClick(bool on);
    void ActNameTemplateClick();
    void ActBulkRenameClick();
    void ActUndoClick();
    // Stores what is to be stored now, when the switch is on and the window
    // may change (else a little later).
    void runAutoStore();

    QMenu *E1;
    QAction *ActUndo, *ActBulkRename, *ActAutoStore, *ActNameTemplate;

private:
    void showAutoStore(const AutoStore::Result &result);

    TMainForm &m_window;
    Prompter &m_prompter;
    StatusLine &m_status;
    AutoStore *m_autoStore;
    TrashUndo m_undo;
    QTimer *m_autoStoreSoon;
};
