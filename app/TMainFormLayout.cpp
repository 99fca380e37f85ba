// The window's layout: menu, the two pages, the detail panel and the status
// bar, placed by pixel, and the view remembered in the settings file.
#include "app/TMainForm.h"

#include "app/ClientArea.h"
#include "app/CommandLine.h"
#include "app/FolderNotice.h"
#include "app/FolderWatcher.h"
#include "app/GamePage.h"
#include "app/PageChangeGate.h"
#include "app/StatusLine.h"
#include "app/StorageKeeping.h"
#include "app/StoragePage.h"
#include "app/StoredMarks.h"
#include "app/WindowPlace.h"
#include "catalogue/ReplayDetailPanel.h"
#include "operations/DeletionSession.h"
#include "operations/FileWorkBox.h"
#include "platform/WidgetKit.h"
#include "platform/WindowFont.h"
#include "resources/ArtResources.h"

#include <QAction>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

#include <algorithm>

namespace {

// Client area below the menu bar: the pages, the detail panel, the status bar.
constexpr int ClientWidth = 850;
constexpr int PagesHeight = 345;
constexpr int PanelHeight = 200;
constexpr int StatusHeight = 19; // StatusLine's

} // namespace

const QString &TMainForm::caption()
{
    static const QString text = QStringLiteral("Tarnelリプレイファイル情報");
    return text;
}

TMainForm::TMainForm(Prompter &prompter, const QString &settingFileName, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                              | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      m_trackingPrompter(prompter),
      m_prompter(m_trackingPrompter),
      m_settingFileName(settingFileName),
      m_versionText(programVersion()),
      m_workspace(new ReplayWorkspace(this)),
      m_session(new DeletionSession(this)),
      m_csvExport(m_prompter, this)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());
    setFont(windowFont());
    WidgetKit::useButtonFace(this);
    m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    buildMenu();
    PcReplayDat = new QTabWidget;
    PcReplayDat->setObjectName(QStringLiteral("PcReplayDat"));
    PcReplayDat->setTabPosition(QTabWidget::South);
    // In deletion mode the storage page stays in view.
    new PageChangeGate(PcReplayDat, [this] {
        bool allow = true;
        PcReplayDatChanging(allow);
        return allow;
    });
    m_fileWorkBox = std::make_unique<FileWorkBox>(this);
    m_fileWork = std::make_unique<FileWorkRunner>(m_fileWorkBox.get());
    buildPages();
    PnlInfoView = new ReplayDetailPanel;
    auto *client = new ClientArea(PcReplayDat, PnlInfoView, this);
    setCentralWidget(client);
    for (ReplayPage *page : m_pages) // a wider window widens a column of each table
        connect(client, &ClientArea::extraWidthChanged, page, &ReplayPage::giveExtraWidth);
    buildStatusBar();
    buildCommandKeys();
    buildLiveFolders();
    m_keeping = new StorageKeeping(*this, m_prompter, *m_status);
    connect(m_session, &DeletionSession::modeChanged, this, &TMainForm::updateActions);

    // The designed size is the smallest; the window may grow and be maximised.
    const QSize designed(ClientWidth, menuBar()->sizeHint().height() + PagesHeight + PanelHeight + StatusHeight);
    setMinimumSize(designed);
    resize(designed);
}

TMainForm::~TMainForm() = default;

void TMainForm::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    const auto item = [this](QMenu *menu, const char *name, const QString &text, void (TMainForm::*run)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1StringView(name));
        connect(action, &QAction::triggered, this, run);
        return action;
    };
    F1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    F1->setObjectName(QStringLiteral("F1"));
    // Items that open a window end in "…"; every item has an access key.
    ActRecords = item(F1, "ActRecords", QStringLiteral("記録(&R)…"), &TMainForm::ActRecordsClick);
    ActCsvExport = item(F1, "ActCsvExport", QStringLiteral("一覧をCSVで保存(&C)…"), &TMainForm::ActCsvExportClick);
    ActFindDuplicates =
        item(F1, "ActFindDuplicates", QStringLiteral("重複ファイルの検出(&D)…"), &TMainForm::ActFindDuplicatesClick);
    ActUnreadable =
        item(F1, "ActUnreadable", QStringLiteral("読み込めないファイル(&U)…"), &TMainForm::ActUnreadableClick);
    ActUnreadable->setEnabled(false); // until a scan finds such files
    F1->addSeparator();
    X1 = item(F1, "X1", QStringLiteral("終了(&X)"), &TMainForm::X1Click);
    X1->setStatusTip(QStringLiteral("プログラムを終了します。"));
    X1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q)); // the close question follows, as at the close box

    S1 = bar->addMenu(QStringLiteral("設定(&S)"));
    S1->setObjectName(QStringLiteral("S1"));
    N1 = item(S1, "N1", QStringLiteral("Tarnelリプレイフォルダ設定(&D)"), &TMainForm::N1Click);
    R1 = item(S1, "R1", QStringLiteral("リプレイ格納フォルダ設定(&R)"), &TMainForm::R1Click);

    H1 = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    H1->setObjectName(QStringLiteral("H1"));
    V1 = item(H1, "V1", QStringLiteral("バージョン情報(&V)"), &TMainForm::V1Click);
}

void TMainForm::buildPages()
{
    m_game = new GamePage(*m_workspace);
    m_storage = new StoragePage(*m_workspace, *m_session);
    m_pages = {m_game, m_storage};
    for (ReplayPage *page : m_pages) {
        PcReplayDat->addTab(page, folderCaption(page->kind()));
        routePage(page);
    }
    PcReplayDat->setCurrentIndex(0);
    connect(PcReplayDat, &QTabWidget::currentChanged, this, [this] { PcReplayDatChange(); });
    connect(m_storage, &StoragePage::filesDropped, this, &TMainForm::StgReplayTblDrop);
    // The filter box beside the tabs, while the storage page is shown.
    PcReplayDat->setCornerWidget(m_storage->PnlFilter, Qt::BottomRightCorner);
    connect(PcReplayDat, &QTabWidget::currentChanged, m_storage->PnlFilter,
            [this](int index) { m_storage->PnlFilter->setVisible(index == folderIndex(FolderKind::Storage)); });
    // The panel's "already stored" line follows both folders.
    connect(&m_game->storedMarks(), &StoredMarks::changed, this,
            [this] { PnlInfoView->showStoredNames(activePage().storedNames(activePage().selectedRow())); });
}

void TMainForm::routePage(ReplayPage *page)
{
    const FolderKind folder = page->kind();
    connect(page, &ReplayPage::rowChosen, this, [this, folder](int row) { vShowReplayInfo(folder, row); });
    connect(page, &ReplayPage::commandAsked, this,
            [this, folder](PageCommand command) { runPageCommand(folder, command); });
    connect(page, &ReplayPage::openFolderAsked, this, [this, folder] { OpenFolderClick(folder); });
    connect(page, &ReplayPage::rowsRearranged, this, [this, page] {
        if (page == &activePage())
            vShowReplayInfo(page->kind(), page->selectedRow());
        showStatus();
    });
    connect(page, &ReplayPage::countChanged, this, &TMainForm::showStatus);
}

void TMainForm::buildCommandKeys()
{
    const struct {
        QAction **member;
        const char *name;
        QKeySequence key;
        std::function<void()> run;
    } keys[] = {
        {&ActReload, "ActReload", ReplayPage::reloadKey(), [this] { activePage().press(PageCommand::Reload); }},
        {&ActEdit, "ActEdit", ReplayPage::editKey(),
         [this] {
             if (!activePage().press(PageCommand::Edit))
                 m_status->say(activePage().editRefusal());
         }},
        {&ActDelete, "ActDelete", ReplayPage::deleteKey(), [this] { activePage().deleteKeyPressed(); }},
        {&ActFilter, "ActFilter", QKeySequence(Qt::CTRL | Qt::Key_F),
         [this] {
             PcReplayDat->setCurrentIndex(folderIndex(FolderKind::Storage));
             if (activeFolder() == FolderKind::Storage)
                 m_storage->focusFilter();
         }},
    };
    for (const auto &k : keys) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1StringView(k.name));
        action->setShortcut(k.key);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(false); // holding Delete must not toggle a mark back and forth
        addAction(action);
        connect(action, &QAction::triggered, this, k.run);
        *k.member = action;
    }
}

void TMainForm::buildStatusBar()
{
    m_status = std::make_unique<StatusLine>(statusBar());
    StatusPanels = m_status->panels;
    SbtUnreadable = m_status->unreadableButton;
    connect(SbtUnreadable, &QToolButton::clicked, this, &TMainForm::ActUnreadableClick);
    connect(m_workspace, &ReplayWorkspace::leftOutFilesChanged, this, [this] {
        updateActions();
        showStatus();
    });
}

void TMainForm::buildLiveFolders()
{
    S1->addSeparator();
    ActAutoReload = S1->addAction(QStringLiteral("フォルダの自動更新(&A)"));
    ActAutoReload->setObjectName(QStringLiteral("ActAutoReload"));
    ActAutoReload->setCheckable(true);
    ActAutoReload->setChecked(true);
    ActAutoReload->setToolTip(QStringLiteral("ほかのプログラムがフォルダのリプレイを追加・変更・削除したとき、一覧をすぐに更新します"));

    m_watcher = new FolderWatcher(this);
    m_watcher->setGate([this] { return mayUpdateNow(); });
    connect(m_watcher, &FolderWatcher::changed, this, &TMainForm::liveFolderChanged);
    // Turned on again, both folders are brought up to date at once.
    connect(ActAutoReload, &QAction::toggled, m_watcher, &FolderWatcher::setEnabled);
    // The notice's button is the Settings menu's own command: disabled where
    // it is (the storage folder in deletion mode), the button does nothing either.
    connect(m_game, &ReplayPage::chooseFolderAsked, N1, &QAction::trigger);
    connect(m_storage, &ReplayPage::chooseFolderAsked, R1, &QAction::trigger);
    // Every scan tells what it saw of its folder.
    connect(m_workspace, &ReplayWorkspace::tarnelContentChanged, this, [this] { followFolder(FolderKind::Game); });
    connect(m_workspace, &ReplayWorkspace::storageContentChanged, this, [this] { followFolder(FolderKind::Storage); });
}

ViewSettings TMainForm::viewSettings() const
{
    ViewSettings view;
    storeWindowPlace(this, view);
    view.activePage = ActiveTab();
    view.sortMode = SortMode();
    view.tarnelColumns = m_game->columnWidths();
    view.replayColumns = m_storage->columnWidths();
    view.autoReload = ActAutoReload->isChecked();
    m_keeping->saveInto(view);
    return view;
}
