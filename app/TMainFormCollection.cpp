// What the collection holds, in the main window: the "already stored" line
// of the detail panel and the duplicate finder's marks.
#include "app/TMainForm.h"

#include "app/StoredMarks.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableModel.h"
#include "operations/DuplicatesQuery.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>

void TMainForm::showStoredLine()
{
    // Only a game slot shown in the panel has the line; a storage row never.
    if (m_activeTab == GameTag)
        PnlInfoView->showStoredNames(m_storedMarks->namesOfSlot(m_tarnelRow - 1));
}

void TMainForm::ActFindDuplicatesClick()
{
    DuplicateGroups groups;
    {
        // Candidates' streams are read again to be compared byte for byte.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        groups = DuplicateFinder(m_workspace->Replays(), m_workspace->StorageDir()).find();
        QApplication::restoreOverrideCursor();
    }
    if (groups.empty()) {
        m_prompter.information(this, QStringLiteral("重複したリプレイはありません。"));
        return;
    }
    DuplicatesQuery query(groups);
    m_prompter.ask(this, query);
    if (query.markRequested)
        markForDeletion(DuplicateFinder::allButOldest(groups));
}

void TMainForm::markForDeletion(const QStringList &names)
{
    // The folder may have been read again while the list was open: only
    // files still listed are marked.
    QStringList listed;
    for (const QString &name : names) {
        if (m_workspace->Replays().itemByName(name))
            listed.append(name);
    }
    if (listed.isEmpty())
        return;
    // Every mark is to be seen while the user reviews them.
    const bool hidden = std::any_of(listed.begin(), listed.end(),
                                    [this](const QString &name) { return !m_filter->acceptsFileName(name); });
    if (hidden)
        EdtFilter->clear();
    // The first marked file becomes the selected row (which also shows the
    // storage page); entering the mode then marks it, and the marks are
    // replaced by exactly these files.
    selectReplayFile(StorageTag, listed.first());
    if (!m_deleteMode)
        vSetDeleteMode(true);
    m_marks.clear();
    for (const QString &name : std::as_const(listed))
        m_marks.mark(name);
    m_marks.clearGuard();
    tmFileSelect->stop();
    showDeleteCount();
    updateDeleteMarks();
}
