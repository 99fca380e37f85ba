// The window's layout: menu, both pages with their tables and command
// panels, the detail panel and the status bar, placed by pixel.
#include "app/TMainForm.h"

#include "app/CommandLine.h"
#include "app/StoredMarks.h"
#include "app/UrlDropTarget.h"
#include "catalogue/ReplayCellDelegate.h"
#include "catalogue/ReplayDetailPanel.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableModel.h"
#include "platform/WindowFont.h"
#include "resources/ArtResources.h"

#include <QAction>
#include <QButtonGroup>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>


namespace {

// Client area below the menu bar: the pages, the detail panel, the status bar.
constexpr int ClientWidth = 850;
constexpr int PagesHeight = 345;
constexpr int PanelHeight = 200;
constexpr int StatusHeight = 19;
constexpr int CommandPanelHeight = 82;
constexpr int RowHeight = 20;
constexpr std::array<int, ReplayTableColumns> ColumnWidths{150, 80, 150, 80, 100, 250};

QPushButton *makeButton(QWidget *parent, const char *name, const QString &text, const QRect &geometry, int tag)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setProperty("Tag", tag);
    button->setAutoDefault(false);
    return button;
}

void setColumnWidths(QTableView *view, const std::optional<ViewSettings::ColumnWidths> &widths)
{
    for (int c = 0; widths && c < ViewSettings::Columns; ++c)
        view->setColumnWidth(c, (*widths)[size_t(c)]);
}

ViewSettings::ColumnWidths columnWidths(const QTableView *view)
{
    ViewSettings::ColumnWidths widths{};
    for (int c = 0; c < ViewSettings::Columns; ++c)
        widths[size_t(c)] = view->columnWidth(c);
    return widths;
}

QLabel *makeLabel(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->move(left, top);
    label->adjustSize();
    return label;
}

} // namespace

const QString &TMainForm::caption()
{
    static const QString text = QStringLiteral("Tarnelリプレイファイル情報");
    return text;
}

TMainForm::TMainForm(Prompter &prompter, const QString &settingFileName, QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                              | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_trackingPrompter(prompter),
      m_prompter(m_trackingPrompter),
      m_settingFileName(settingFileName),
      m_versionText(programVersion()),
      m_workspace(new ReplayWorkspace(this))
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(caption());
    setWindowIcon(programIcon());
    setFont(windowFont());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    setPalette(palette);
    setAutoFillBackground(true);

    m_tarnelModel = new ReplayTableModel(FolderKind::Game, this);
    m_replayModel = new ReplayTableModel(FolderKind::Storage, this);
    m_filter = new ReplayFilterProxy(*m_replayModel, m_workspace->Replays(), this);
    connect(m_workspace, &ReplayWorkspace::storageContentChanged, m_filter, &ReplayFilterProxy::catalogueChanged);
    m_storedMarks = new StoredMarks(*m_workspace, *m_tarnelModel, this);
    // Rows are dragged out as the files themselves.
    m_tarnelModel->setFilePath([this](const QString &name) { return m_workspace->TarnelDir() + name; });
    m_replayModel->setFilePath([this](const QString &name) { return m_workspace->storagePath(name); });
    m_openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };

    buildMenu();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setFixedSize(ClientWidth, PagesHeight + PanelHeight);
    setCentralWidget(central);

    PcReplayDat = new QTabWidget(central);
    PcReplayDat->setObjectName(QStringLiteral("PcReplayDat"));
    PcReplayDat->setTabPosition(QTabWidget::South);
    PcReplayDat->setGeometry(0, 0, ClientWidth, PagesHeight);
    PcReplayDat->tabBar()->installEventFilter(this);
    PcReplayDat->installEventFilter(this);
    buildTarnelPage();
    buildReplayPage();
    PcReplayDat->setCurrentIndex(0);
    connect(PcReplayDat, &QTabWidget::currentChanged, this, [this] { PcReplayDatChange(); });

    PnlInfoView = new ReplayDetailPanel(central);
    PnlInfoView->setObjectName(QStringLiteral("PnlInfoView"));
    PnlInfoView->setGeometry(0, PagesHeight, ClientWidth, PanelHeight);

    buildStatusBar();
    connectFileCommands();
    // The panel's "already stored" line follows both folders.
    connect(m_storedMarks, &StoredMarks::changed, this, &TMainForm::showStoredLine);
    buildCommandKeys();
    buildLiveFolders();

    tmFileSelect = new QTimer(this);
    tmFileSelect->setObjectName(QStringLiteral("tmFileSelect"));
    tmFileSelect->setInterval(500);
    tmFileSelect->setSingleShot(true);
    connect(tmFileSelect, &QTimer::timeout, this, &TMainForm::tmFileSelectTimer);

    // No resizing, no maximising: the layout is placed by pixel.
    setFixedSize(ClientWidth, menuBar()->sizeHint().height() + PagesHeight + PanelHeight + StatusHeight);
}

TMainForm::~TMainForm() = default;

void TMainForm::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    F1 = bar->addMenu(QStringLiteral("ファイル(&F)"));
    F1->setObjectName(QStringLiteral("F1"));
    ActRecords = F1->addAction(QStringLiteral("記録(&R)"));
    ActRecords->setObjectName(QStringLiteral("ActRecords"));
    connect(ActRecords, &QAction::triggered, this, &TMainForm::ActRecordsClick);
    ActCsvExport = F1->addAction(QStringLiteral("一覧をCSVで保存…"));
    ActCsvExport->setObjectName(QStringLiteral("ActCsvExport"));
    connect(ActCsvExport, &QAction::triggered, this, &TMainForm::ActCsvExportClick);
    ActFindDuplicates = F1->addAction(QStringLiteral("重複ファイルの検出"));
    ActFindDuplicates->setObjectName(QStringLiteral("ActFindDuplicates"));
    connect(ActFindDuplicates, &QAction::triggered, this, &TMainForm::ActFindDuplicatesClick);
    ActUnreadable = F1->addAction(QStringLiteral("読み込めないファイル…"));
    ActUnreadable->setObjectName(QStringLiteral("ActUnreadable"));
    ActUnreadable->setEnabled(false); // until a scan finds such files
    connect(ActUnreadable, &QAction::triggered, this, &TMainForm::ActUnreadableClick);
    F1->addSeparator();
    X1 = F1->addAction(QStringLiteral("終了(&X)"));
    X1->setObjectName(QStringLiteral("X1"));
    X1->setStatusTip(QStringLiteral("プログラムを終了します。"));
    connect(X1, &QAction::triggered, this, &TMainForm::X1Click);

    S1 = bar->addMenu(QStringLiteral("設定(&S)"));
    S1->setObjectName(QStringLiteral("S1"));
    N1 = S1->addAction(QStringLiteral("Tarnelリプレイフォルダ設定(&D)"));
    N1->setObjectName(QStringLiteral("N1"));
    R1 = S1->addAction(QStringLiteral("リプレイ格納フォルダ設定(&R)"));
    R1->setObjectName(QStringLiteral("R1"));
    connect(N1, &QAction::triggered, this, &TMainForm::N1Click);
    connect(R1, &QAction::triggered, this, &TMainForm::R1Click);

    H1 = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    H1->setObjectName(QStringLiteral("H1"));
    V1 = H1->addAction(QStringLiteral("バージョン情報(&V)"));
    V1->setObjectName(QStringLiteral("V1"));
    connect(V1, &QAction::triggered, this, &TMainForm::V1Click);
}

QTableView *TMainForm::makeTable(int tag, QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setProperty("Tag", tag);
    view->setModel(model);
    view->setItemDelegate(new ReplayCellDelegate(view));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(true);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->setCornerButtonEnabled(false);
    // Rows go out as files (copied, never moved); drops are taken by the
    // storage page's own filter on the viewport, not by the view.
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view, tag](const QPoint &at) {
        tableMenu(tag)->popup(view->viewport()->mapToGlobal(at));
    });

    QHeaderView *rows = view->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);

    // The header row of the grid. Its columns start at the designed widths;
    // the user may widen or narrow them (they are remembered), but not
    // below a width that can still be grabbed.
    QHeaderView *header = view->horizontalHeader();
    header->setFixedHeight(RowHeight);
    header->setMinimumSectionSize(ViewSettings::MinColumnWidth);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);

    view->viewport()->installEventFilter(this);
    return view;
}

void TMainForm::connectTable(QTableView *view)
{
    const int tag = view->property("Tag").toInt();
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, tag](const QModelIndex &current) {
                if (m_settingSelection || !current.isValid())
                    return;
                vReplaySelectCell(tag, gridRowOf(tag, current));
            });
    // A press on the row that is already current selects it again (in
    // deletion mode that may toggle its mark once the guard has run out).
    connect(view, &QAbstractItemView::pressed, this, [this, tag](const QModelIndex &index) {
        if (m_settingSelection || !index.isValid() || index.row() != m_rowBeforePress)
            return;
        vReplaySelectCell(tag, gridRowOf(tag, index));
    });
}

void TMainForm::buildTarnelPage()
{
    TabTarnel = new QWidget;
    TabTarnel->setObjectName(QStringLiteral("TabTarnel"));
    auto *layout = new QVBoxLayout(TabTarnel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    StgTarnelTbl = makeTable(GameTag, m_tarnelModel, TabTarnel);
    StgTarnelTbl->setObjectName(QStringLiteral("StgTarnelTbl"));
    layout->addWidget(StgTarnelTbl, 1);

    PnlTarnelCmd = new QWidget(TabTarnel);
    PnlTarnelCmd->setObjectName(QStringLiteral("PnlTarnelCmd"));
    PnlTarnelCmd->setFixedHeight(CommandPanelHeight);
    layout->addWidget(PnlTarnelCmd);

    BtnReload = makeButton(PnlTarnelCmd, "BtnReload", QStringLiteral("フォルダ再読込"), QRect(80, 22, 153, 41), 0);
    BtnToReplayCopy =
        makeButton(PnlTarnelCmd, "BtnToReplayCopy", QStringLiteral("格納フォルダへコピー"), QRect(320, 22, 153, 41), 0);
    BtnReplayInfoEdit =
        makeButton(PnlTarnelCmd, "BtnReplayInfoEdit", QStringLiteral("名前・コメント編集"), QRect(576, 22, 153, 41), 0);
    QWidget::setTabOrder(BtnReload, BtnToReplayCopy);
    QWidget::setTabOrder(BtnToReplayCopy, BtnReplayInfoEdit);
    connect(BtnReload, &QPushButton::clicked, this, &TMainForm::BtnReloadClick);

    PcReplayDat->addTab(TabTarnel, gameFolderKind());
    connectTable(StgTarnelTbl);
}

void TMainForm::buildReplayPage()
{
    TabReplay = new QWidget;
    TabReplay->setObjectName(QStringLiteral("TabReplay"));
    auto *layout = new QVBoxLayout(TabReplay);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    StgReplayTbl = makeTable(StorageTag, m_filter, TabReplay);
    StgReplayTbl->setObjectName(QStringLiteral("StgReplayTbl"));
    layout->addWidget(StgReplayTbl, 1);

    PnlReplayCmd = new QWidget(TabReplay);
    PnlReplayCmd->setObjectName(QStringLiteral("PnlReplayCmd"));
    PnlReplayCmd->setFixedHeight(CommandPanelHeight);
    layout->addWidget(PnlReplayCmd);

    Label9 = makeLabel(PnlReplayCmd, "Label9", QStringLiteral("並べ替え"), 72, 14);

    SortButtons = new QButtonGroup(this);
    SortButtons->setObjectName(QStringLiteral("SortButtons"));
    SortButtons->setExclusive(true);
    const struct {
        const char *name;
        QString caption;
        QToolButton **member;
    } sorts[] = {
        {"SbtSortNone", QStringLiteral("な　し"), &SbtSortNone},
        {"SbtSortFile1", QStringLiteral("ファイル順"), &SbtSortFile1},
        {"SbtSortFile2", QStringLiteral("ファイル逆"), &SbtSortFile2},
        {"SbtSortScore1", QStringLiteral("スコア順"), &SbtSortScore1},
        {"SbtSortScore2", QStringLiteral("スコア逆"), &SbtSortScore2},
        {"SbtSortDungeon", QStringLiteral("ダンジョン名"), &SbtSortDungeon},
        {"SbtSortChara", QStringLiteral("キャラクター名"), &SbtSortChara},
    };
    int tag = 0;
    for (const auto &sort : sorts) {
        auto *button = new QToolButton(PnlReplayCmd);
        button->setObjectName(QLatin1String(sort.name));
        button->setText(sort.caption);
        button->setCheckable(true);
        button->setGeometry(128 + 88 * tag, 8, 89, 22);
        button->setProperty("Tag", tag);
        button->setFocusPolicy(Qt::NoFocus); // speed buttons take no focus
        SortButtons->addButton(button, tag);
        *sort.member = button;
        ++tag;
    }
    SbtSortNone->setChecked(true);
    connect(SortButtons, &QButtonGroup::idClicked, this, &TMainForm::ReplayTblSortClick);

    BtnReload2 = makeButton(PnlReplayCmd, "BtnReload2", QStringLiteral("フォルダ再読込"), QRect(56, 40, 153, 33), 1);
    BtnToTarnelCopy =
        makeButton(PnlReplayCmd, "BtnToTarnelCopy", QStringLiteral("リプレイフォルダへコピー"), QRect(248, 40, 153, 33), 1);
    BtnFileDelete = makeButton(PnlReplayCmd, "BtnFileDelete", QStringLiteral("ファイル削除"), QRect(440, 40, 153, 33), 1);
    BtnReplayInfoEdit2 =
        makeButton(PnlReplayCmd, "BtnReplayInfoEdit2", QStringLiteral("名前・コメント編集"), QRect(632, 40, 153, 33), 1);
    BtnDeleteCancel = makeButton(PnlReplayCmd, "BtnDeleteCancel", QStringLiteral("削除　取消"), QRect(496, 40, 153, 33), 0);
    BtnDeleteExec = makeButton(PnlReplayCmd, "BtnDeleteExec", QStringLiteral("削除　実行"), QRect(672, 40, 153, 33), 0);
    QWidget::setTabOrder(BtnReload2, BtnToTarnelCopy);
    QWidget::setTabOrder(BtnToTarnelCopy, BtnFileDelete);
    QWidget::setTabOrder(BtnFileDelete, BtnReplayInfoEdit2);
    QWidget::setTabOrder(BtnReplayInfoEdit2, BtnDeleteCancel);
    QWidget::setTabOrder(BtnDeleteCancel, BtnDeleteExec);
    BtnDeleteCancel->hide();
    BtnDeleteExec->hide();
    connect(BtnReload2, &QPushButton::clicked, this, &TMainForm::BtnReload2Click);
    connect(BtnFileDelete, &QPushButton::clicked, this, &TMainForm::BtnFileDeleteClick);
    connect(BtnDeleteCancel, &QPushButton::clicked, this, &TMainForm::BtnDeleteCancelClick);
    connect(BtnDeleteExec, &QPushButton::clicked, this, &TMainForm::BtnDeleteExecClick);

    Label10 = makeLabel(PnlReplayCmd, "Label10",
                        QStringLiteral("削除するファイルを選択して「削除　実行」ボタンを押してください。"), 24, 40);
    Label11 = makeLabel(PnlReplayCmd, "Label11", QStringLiteral("選択ファイル数："), 24, 56);
    LblDelFileCnt = makeLabel(PnlReplayCmd, "LblDelFileCnt", QString(), 112, 56);
    LblDelFileCnt->resize(69, Label11->height());
    QPalette blue = LblDelFileCnt->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    LblDelFileCnt->setPalette(blue);
    Label10->hide();
    Label11->hide();
    LblDelFileCnt->hide();

    // The filter box, right of the sort row.
    EdtFilter = new QLineEdit(PnlReplayCmd);
    EdtFilter->setObjectName(QStringLiteral("EdtFilter"));
    EdtFilter->setPlaceholderText(QStringLiteral("絞り込み"));
    EdtFilter->setGeometry(750, 8, 86, 22);
    EdtFilter->setClearButtonEnabled(true);
    EdtFilter->setToolTip(QStringLiteral("ファイル名・プレイヤー名・コメント・ダンジョン名・キャラクター名で絞り込みます"
                                         "（空白で区切った語をすべて含む行）。Ctrl+F で入力、Esc で解除"));
    connect(EdtFilter, &QLineEdit::textChanged, this, &TMainForm::EdtFilterChange);
    auto *clearFilter = new QAction(EdtFilter);
    clearFilter->setObjectName(QStringLiteral("ActFilterClear"));
    clearFilter->setShortcut(Qt::Key_Escape);
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    EdtFilter->addAction(clearFilter);
    connect(clearFilter, &QAction::triggered, EdtFilter, &QLineEdit::clear);

    // Replay files dropped from a file manager; not while files are being
    // marked for deletion (the folder would be read again under the marks).
    auto *drops = new UrlDropTarget(StgReplayTbl->viewport(), [this] { return !m_deleteMode; });
    connect(drops, &UrlDropTarget::dropped, this, &TMainForm::StgReplayTblDrop);

    PcReplayDat->addTab(TabReplay, storageFolderKind());
    connectTable(StgReplayTbl);
}

void TMainForm::buildCommandKeys()
{
    const struct {
        QAction **member;
        const char *name;
        QKeySequence key;
        void (TMainForm::*run)();
    } keys[] = {
        {&ActReload, "ActReload", QKeySequence(Qt::Key_F5), &TMainForm::ActReloadExecute},
        {&ActEdit, "ActEdit", QKeySequence(Qt::Key_F2), &TMainForm::ActEditExecute},
        {&ActDelete, "ActDelete", QKeySequence(Qt::Key_Delete), &TMainForm::ActDeleteExecute},
        {&ActFilter, "ActFilter", QKeySequence(Qt::CTRL | Qt::Key_F), &TMainForm::ActFilterExecute},
    };
    for (const auto &k : keys) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(k.name));
        action->setShortcut(k.key);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setAutoRepeat(false); // holding Delete must not toggle a mark back and forth
        addAction(action);
        connect(action, &QAction::triggered, this, k.run);
        *k.member = action;
    }

    // What the keys and the context menus reach, page by page.
    m_commands[GameTag].add(BtnReload, ActReload->shortcut());
    m_commands[GameTag].add(BtnToReplayCopy);
    m_commands[GameTag].add(BtnReplayInfoEdit, ActEdit->shortcut());
    m_commands[StorageTag].add(BtnReload2, ActReload->shortcut());
    m_commands[StorageTag].add(BtnToTarnelCopy);
    m_commands[StorageTag].add(BtnFileDelete, ActDelete->shortcut());
    m_commands[StorageTag].add(BtnReplayInfoEdit2, ActEdit->shortcut());
    m_commands[StorageTag].add(BtnDeleteCancel);
    m_commands[StorageTag].add(BtnDeleteExec);
}

void TMainForm::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(StatusHeight);
    const struct {
        const char *name;
        int width;
        Qt::Alignment alignment;
    } panels[] = {
        {"StatusPanel0", 150, Qt::AlignCenter},
        {"StatusPanel1", 600, Qt::AlignLeft | Qt::AlignVCenter},
        {"StatusPanel2", 50, Qt::AlignCenter},
    };
    for (size_t i = 0; i < StatusPanels.size(); ++i) {
        auto *label = new QLabel(bar);
        label->setObjectName(QLatin1String(panels[i].name));
        label->setFixedWidth(panels[i].width);
        label->setAlignment(panels[i].alignment);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setTextFormat(Qt::PlainText);
        bar->addWidget(label);
        StatusPanels[i] = label;
    }

    // Shown only while there is something to count; panel 1 then makes room.
    SbtUnreadable = new QToolButton(bar);
    SbtUnreadable->setObjectName(QStringLiteral("SbtUnreadable"));
    SbtUnreadable->setAutoRaise(true);
    SbtUnreadable->setFocusPolicy(Qt::NoFocus);
    SbtUnreadable->setCursor(Qt::PointingHandCursor);
    SbtUnreadable->setFixedHeight(StatusHeight - 2);
    SbtUnreadable->setToolTip(QStringLiteral("格納フォルダにある、リプレイとして読み込めないファイルの数です。"
                                             "クリックすると一覧を表示します。"));
    QPalette blue = SbtUnreadable->palette();
    blue.setColor(QPalette::ButtonText, Qt::blue);
    SbtUnreadable->setPalette(blue);
    bar->addWidget(SbtUnreadable);
    SbtUnreadable->hide();
    connect(SbtUnreadable, &QToolButton::clicked, this, &TMainForm::ActUnreadableClick);
    connect(m_workspace, &ReplayWorkspace::leftOutFilesChanged, this, &TMainForm::showUnreadableCount);
}

void TMainForm::fitStatusPanels()
{
    // The bar places its items 2 px from the left edge, 6 px apart. Panel 1
    // keeps its 600 px unless the filter count or the count of unreadable
    // files needs the room.
    constexpr int Lead = 2;
    constexpr int Gap = 6;
    constexpr int PathWidth = 600;
    int others = Lead + StatusPanels[0]->width() + Gap + Gap + StatusPanels[2]->width();
    if (!SbtUnreadable->isHidden())
        others += Gap + SbtUnreadable->width();
    StatusPanels[1]->setFixedWidth(std::min(PathWidth, ClientWidth - others));
}

const QString &TMainForm::gameFolderKind()
{
    return folderCaption(FolderKind::Game);
}

const QString &TMainForm::storageFolderKind()
{
    return folderCaption(FolderKind::Storage);
}

void TMainForm::vInitReplayTbl(int tag)
{
    ReplayTableModel &model = tableModel(tag);
    if (tag == GameTag) {
        for (int r = 1; r <= ReplayTableModel::GameRows; ++r)
            model.setCell(r, 0, slotFileName(r - 1));
    }
    QTableView *view = tableView(tag);
    for (int c = 0; c < ReplayTableColumns; ++c)
        view->setColumnWidth(c, ColumnWidths[size_t(c)]);
}

// ---------------------------------------------------------------------------
// the view remembered in the settings file

void TMainForm::restoreTables(const ViewSettings &view)
{
    setColumnWidths(StgTarnelTbl, view.tarnelColumns);
    setColumnWidths(StgReplayTbl, view.replayColumns);
    m_sortMode = view.sortMode;
    SortButtons->button(m_sortMode)->setChecked(true);
}

void TMainForm::restorePageAndPlace(const ViewSettings &view)
{
    // The page left open is shown as a change of page shows it: its own
    // selected row in the panel, its folder in the status bar.
    if (view.activePage == StorageTag)
        PcReplayDat->setCurrentIndex(StorageTag);
    if (!view.windowPos)
        return;
    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    if (isPlaceVisible(QRect(*view.windowPos, frameGeometry().size()), screens))
        move(*view.windowPos);
}

ViewSettings TMainForm::viewSettings() const
{
    ViewSettings view;
    if (isVisible()) // a window never shown has no place of its own
        view.windowPos = pos();
    view.activePage = m_activeTab;
    view.sortMode = m_sortMode;
    view.tarnelColumns = columnWidths(StgTarnelTbl);
    view.replayColumns = columnWidths(StgReplayTbl);
    view.autoReload = ActAutoReload->isChecked();
    return view;
}
