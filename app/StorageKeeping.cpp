#include "app/StorageKeeping.h"

#include "app/FolderNotice.h"
#include "app/GamePage.h"
#include "app/StatusLine.h"
#include "app/StoragePage.h"
#include "app/TMainForm.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableModel.h"
#include "operations/BulkRenameQuery.h"
#include "operations/CommandState.h"
#include "operations/FileWorkRunner.h"
#include "operations/NameTemplateQuery.h"
#include "platform/Prompter.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

namespace {

// While a dialog is open the folders stay as they are; auto-store waits.
constexpr int RetryMs = 300;

int doneCount(const CommandResult &result)
{
    int done = 0;
    for (const FileOutcome &file : result.files)
        done += file.done ? 1 : 0;
    return done;
}

} // namespace

StorageKeeping::StorageKeeping(TMainForm &window, Prompter &prompter, StatusLine &status)
    : QObject(&window),
      m_window(window),
      m_prompter(prompter),
      m_status(status),
      m_autoStore(new AutoStore(window.workspace(), window.gamePage().storedMarks(), this)),
      m_autoStoreSoon(new QTimer(this))
{
    const auto action = [this](QMenu *menu, const char *name, const QString &text, void (StorageKeeping::*run)()) {
        QAction *made = menu->addAction(text);
        made->setObjectName(QLatin1StringView(name));
        connect(made, &QAction::triggered, this, run);
        return made;
    };
    E1 = new QMenu(QStringLiteral("編集(&E)"), &window);
    E1->setObjectName(QStringLiteral("E1"));
    window.menuBar()->insertMenu(window.S1->menuAction(), E1);
    ActUndo = action(E1, "ActUndo", QStringLiteral("元に戻す(&U)"), &StorageKeeping::ActUndoClick);
    ActUndo->setShortcut(QKeySequence::Undo);
    ActUndo->setToolTip(QStringLiteral("最後にごみ箱に移動したファイル（削除したもの、コピーで置き換えたもの）を元の場所に戻します"));
    E1->addSeparator();
    ActBulkRename = action(E1, "ActBulkRename", QStringLiteral("名前の一括変更(&M)…"), &StorageKeeping::ActBulkRenameClick);
    ActBulkRename->setToolTip(QStringLiteral("格納フォルダの表示中のリプレイに、格納ファイル名の形式で名前を付けます"));
    window.storagePage().addMenuAction(ActBulkRename);

    window.S1->addSeparator();
    ActAutoStore = window.S1->addAction(QStringLiteral("新しいリプレイを自動で格納(&S)"));
    ActAutoStore->setObjectName(QStringLiteral("ActAutoStore"));
    ActAutoStore->setCheckable(true);
    ActAutoStore->setToolTip(QStringLiteral("Tarnelリプレイフォルダのスロットに格納フォルダにないリプレイができたら、"
                                            "格納ファイル名の形式の名前で格納フォルダにコピーします"));
    connect(ActAutoStore, &QAction::triggered, this, &StorageKeeping::ActAutoStoreClick);
    ActNameTemplate =
        action(window.S1, "ActNameTemplate", QStringLiteral("格納ファイル名の形式(&N)…"), &StorageKeeping::ActNameTemplateClick);

    // Every read of the game folder (the watcher, a reload, the start, a
    // change of folder) may bring a slot to store; the window shows it first.
    m_autoStoreSoon->setSingleShot(true);
    connect(m_autoStoreSoon, &QTimer::timeout, this, &StorageKeeping::runAutoStore);
    connect(&window.workspace(), &ReplayWorkspace::tarnelContentChanged, this, [this] {
        if (m_autoStore->isOn())
            m_autoStoreSoon->start(0);
    });
}

void StorageKeeping::start(const ViewSettings &view)
{
    const NameTemplate stored = NameTemplate::parse(view.autoStoreName);
    m_autoStore->setNameTemplate(stored.isValid() ? stored : NameTemplate());
    ActAutoStore->setChecked(view.autoStore);
    m_autoStore->setOn(view.autoStore);
    if (view.autoStore)
        m_autoStoreSoon->start(0);
}

void StorageKeeping::saveInto(ViewSettings &view) const
{
    view.autoStore = m_autoStore->isOn();
    view.autoStoreName = m_autoStore->nameTemplate().storedText();
}

void StorageKeeping::remember(const QList<TrashedFile> &files)
{
    m_undo.remember(files);
    m_window.updateActions();
}

void StorageKeeping::setEnabled(const EnabledState &enabled)
{
    ActUndo->setEnabled(enabled.undo);
    ActBulkRename->setEnabled(enabled.bulkRename);
}

// ---------------------------------------------------------------------------
// auto-store

void StorageKeeping::ActAutoStoreClick(bool on)
{
    if (!on) {
        m_autoStore->setOn(false);
        m_window.storagePage().notice()->setProblem({});
        return;
    }
    const qsizetype count = m_autoStore->steps().size();
    if (count > 0
        && !m_prompter.question(&m_window,
                                QStringLiteral("新しいリプレイを自動で格納します。\n\n"
                                               "格納フォルダにまだないスロットのリプレイ %1 件を、今すぐ"
                                               "「%2」の形式の名前で格納します。よろしいですか？")
                                    .arg(count)
                                    .arg(m_autoStore->nameTemplate().shownText()))) {
        ActAutoStore->setChecked(false);
        return;
    }
    m_autoStore->setOn(true);
    if (count == 0)
        m_status.say(QStringLiteral("新しいリプレイの自動格納をオンにしました"));
    runAutoStore();
}

void StorageKeeping::runAutoStore()
{
    if (!m_autoStore->isOn())
        return;
    if (!m_window.mayUpdateNow()) {
        m_autoStoreSoon->start(RetryMs);
        return;
    }
    showAutoStore(m_autoStore->run(&m_window.fileWork()));
}

void StorageKeeping::showAutoStore(const AutoStore::Result &result)
{
    const QString said = AutoStore::statusText(result);
    if (!said.isEmpty())
        m_status.say(said);
    FolderNotice *notice = m_window.storagePage().notice();
    if (!result.failure.isEmpty())
        notice->setProblem(QStringLiteral("自動格納できません：%1（次の変更か再読み込みのときに、もう一度試します）")
                               .arg(result.failure));
    else if (!result.stored.isEmpty())
        notice->setProblem({});
    // The stored files, and the "already stored" marks of their slots; a
    // storage folder gone shows its own notice, as when it is read.
    if (!result.stored.isEmpty() || (!result.failure.isEmpty() && !QFileInfo(m_window.workspace().StorageDir()).isDir()))
        m_window.liveFolderChanged(FolderKind::Storage, false);
}

void StorageKeeping::ActNameTemplateClick()
{
    const ReplayPage &page = m_window.page(m_window.activeFolder());
    ReplayInfo info{};
    std::optional<NameSample> sample;
    if (const ReplayInfo *shown = page.replayAt(page.selectedRow(), info))
        sample = NameSample{*shown, page.kind() == FolderKind::Game ? page.selectedRow() - 1 : -1, page.selectedName()};
    NameTemplateQuery query(m_autoStore->nameTemplate().storedText(), sample);
    m_prompter.ask(&m_window, query);
    if (query.answer)
        m_autoStore->setNameTemplate(NameTemplate::parse(*query.answer));
}

// ---------------------------------------------------------------------------
// bulk rename

void StorageKeeping::ActBulkRenameClick()
{
    if (!ActBulkRename->isEnabled() || m_window.fileWork().isRunning())
        return;
    StoragePage &page = m_window.storagePage();
    const ReplayWorkspace &workspace = m_window.workspace();
    QList<BulkRename::Source> files;
    for (int row : page.rowsAsShown()) {
        if (const ReplayListItem *item = workspace.Replays().itemByName(page.model().cell(row, 0)))
            files.append(BulkRename::Source{item->FileName, item->info()});
    }
    int unchanged = 0;
    const QString folder = workspace.StorageDir();
    const QList<BulkRenameRow> rows = BulkRename::plan(folder, files, m_autoStore->nameTemplate(), &unchanged);
    if (rows.isEmpty()) {
        m_prompter.information(&m_window, QStringLiteral("名前が変わるリプレイはありません。"));
        return;
    }
    BulkRenameQuery query(rows, unchanged);
    m_prompter.ask(&m_window, query);
    if (!query.apply)
        return;

    QString selected = page.selectedName();
    const CommandResult result = m_window.fileWork().run(
        QStringLiteral("ファイル名を変更中"), [&](FileWorkProgress &progress) { return BulkRename::run(folder, rows, &progress); });
    for (qsizetype i = 0; i < result.files.size(); ++i) {
        if (result.files[i].done && rows[i].oldName == selected)
            selected = rows[i].newName;
    }
    // The table keeps its selected replay, under its new name.
    m_window.BtnReload2Click();
    if (const int row = page.findRow(selected); row > 0 && page.proxy().isShown(row)) {
        page.selectRow(row);
        m_window.vShowReplayInfo(FolderKind::Storage, row);
    }
    if (const int done = doneCount(result); done > 0)
        m_status.say(QStringLiteral("%1 件の名前を変更しました").arg(done));
    if (!result.message.isEmpty())
        m_prompter.error(&m_window, result.message, result.details);
}

// ---------------------------------------------------------------------------
// undo

void StorageKeeping::ActUndoClick()
{
    if (!ActUndo->isEnabled() || m_window.fileWork().isRunning())
        return;
    const CommandResult result = m_window.fileWork().run(QStringLiteral("ごみ箱から元の場所に移動中"),
                                                         [&](FileWorkProgress &progress) { return m_undo.run(&progress); });
    // Read again as after any change; the view stays as it was.
    for (FolderKind folder : BothFolders)
        m_window.liveFolderChanged(folder, false);
    if (const int done = doneCount(result); done > 0)
        m_status.say(QStringLiteral("%1 件をごみ箱から元に戻しました").arg(done));
    if (!result.message.isEmpty())
        m_prompter.error(&m_window, result.message, result.details);
    m_window.updateActions();
}
