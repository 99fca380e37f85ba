// The folders followed as other programs change them: the watcher, the
// switch in the Settings menu, the notice over a table whose folder is
// missing, and the update that keeps the view as the user left it.
#include "app/TMainForm.h"

#include "app/FolderNotice.h"
#include "app/FolderWatcher.h"
#include "catalogue/DelayedProgress.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/TFileLoadDlg.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>

namespace {

// An update that reads more than a few files shows the progress box once it
// has taken this long.
constexpr int LiveProgressDelayMs = 500;

} // namespace

void TMainForm::buildLiveFolders()
{
    S1->addSeparator();
    ActAutoReload = S1->addAction(QStringLiteral("フォルダの自動更新"));
    ActAutoReload->setObjectName(QStringLiteral("ActAutoReload"));
    ActAutoReload->setCheckable(true);
    ActAutoReload->setChecked(true);
    ActAutoReload->setToolTip(QStringLiteral("ほかのプログラムがフォルダのリプレイを追加・変更・削除したとき、一覧をすぐに更新します"));
    connect(ActAutoReload, &QAction::toggled, this, &TMainForm::ActAutoReloadClick);

    m_watcher = new FolderWatcher(this);
    m_watcher->setGate([this] { return mayUpdateNow(); });
    connect(m_watcher, &FolderWatcher::changed, this,
            [this](FolderKind folder, bool mayHold) { liveFolderChanged(folderIndex(folder), mayHold); });

    for (int tag : {GameTag, StorageTag}) {
        auto *notice = new FolderNotice(tableView(tag)->viewport());
        notice->setObjectName(tag == GameTag ? QStringLiteral("PnlTarnelDirNotice") : QStringLiteral("PnlReplayDirNotice"));
        // The Settings menu's own command: disabled where it is (the storage
        // folder in deletion mode), the button does nothing either.
        QAction *choose = tag == GameTag ? N1 : R1;
        connect(notice, &FolderNotice::chooseFolder, choose, &QAction::trigger);
        m_notices[size_t(tag)] = notice;
    }
    // Every scan tells what it saw of its folder.
    connect(m_workspace, &ReplayWorkspace::tarnelContentChanged, this, [this] { followFolder(GameTag); });
    connect(m_workspace, &ReplayWorkspace::storageContentChanged, this, [this] { followFolder(StorageTag); });
}

void TMainForm::startLiveFolders(const ViewSettings &view)
{
    ActAutoReload->setChecked(view.autoReload);
    m_watcher->setEnabled(ActAutoReload->isChecked());
}

void TMainForm::ActAutoReloadClick(bool on)
{
    // Turned on again, both folders are brought up to date at once.
    m_watcher->setEnabled(on);
}

void TMainForm::followFolder(int tag)
{
    const FolderSnapshot &seen = tag == GameTag ? m_workspace->tarnelSeen() : m_workspace->storageSeen();
    const QString &dir = tag == GameTag ? m_workspace->TarnelDir() : m_workspace->StorageDir();
    QStringList names;
    names.reserve(seen.stamps.size());
    for (auto it = seen.stamps.cbegin(); it != seen.stamps.cend(); ++it)
        names.append(QFile::decodeName(it.key()));
    m_watcher->watch(FolderKind(tag), dir, names);
    m_notices[size_t(tag)]->showFor(seen.state, dir);
}

bool TMainForm::mayUpdateNow() const
{
    // A dialog or question open (some run their own event loop, some are
    // the system's own), the progress box (the window is disabled), a menu,
    // or a press or drag under way: the update waits.
    return !m_trackingPrompter.isAsking() && isEnabled() && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget() && QGuiApplication::mouseButtons() == Qt::NoButton;
}

void TMainForm::liveFolderChanged(int tag, bool mayHold)
{
    QTableView *view = tableView(tag);
    const int top = view->verticalScrollBar()->value();
    const int left = view->horizontalScrollBar()->value();
    const QString selected = tag == StorageTag ? m_replayModel->cell(m_replayRow, 0) : QString();

    ReplayWorkspace::LiveResult result;
    {
        FileLoadProgress box(this);
        DelayedProgress progress(box, LiveProgressDelayMs);
        result = tag == GameTag ? m_workspace->liveReloadTarnel(&progress, mayHold)
                                : m_workspace->liveReloadStorage(&progress, mayHold);
    }
    if (result == ReplayWorkspace::LiveResult::Held) {
        m_watcher->holdBack(FolderKind(tag));
        return;
    }
    if (result == ReplayWorkspace::LiveResult::Unchanged)
        return;

    if (tag == GameTag) {
        // Slots are fixed rows: the selected row stays, showing what its slot holds now.
        vSetReplayTbl(GameTag, true);
        if (m_activeTab == GameTag)
            vShowReplayInfo(GameTag, m_tarnelRow);
    } else {
        // The selected file keeps its selection wherever the sort puts it
        // now; when it is gone, the row in its place is selected.
        const int oldRow = m_replayRow;
        vSetReplayTbl(StorageTag, true);
        const int rows = m_replayModel->rowCountWithHeader() - 1;
        int row = 0;
        for (int r = 1; !selected.isEmpty() && r <= rows && row == 0; ++r)
            row = m_replayModel->cell(r, 0) == selected ? r : 0;
        m_replayRow = row > 0 ? row : std::clamp(oldRow, 1, std::max(rows, 1));
        if (m_deleteMode) {
            // Marks stay on the files still there; rows have moved, so the
            // guard against a second toggle starts afresh.
            QStringList kept;
            for (const QString &name : m_marks.names()) {
                if (m_workspace->Replays().itemByName(name))
                    kept.append(name);
            }
            m_marks.keepOnly(kept);
            m_marks.clearGuard();
            tmFileSelect->stop();
            showDeleteCount();
        }
        updateDeleteMarks();
        followFilter();
        if (m_activeTab == StorageTag)
            vShowReplayInfo(StorageTag, m_replayRow);
    }
    view->verticalScrollBar()->setValue(top);
    view->horizontalScrollBar()->setValue(left);
}
