#include "app/StoragePage.h"

#include "app/FolderNotice.h"
#include "app/ReplayWorkspace.h"
#include "app/UrlDropTarget.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "catalogue/ReplayTableSort.h"
#include "operations/CommandState.h"
#include "operations/DeletionSession.h"
#include "platform/WidgetKit.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>

StoragePage::StoragePage(ReplayWorkspace &workspace, DeletionSession &session, QWidget *parent)
    : ReplayPage(FolderKind::Storage, workspace, new ReplayTableModel(FolderKind::Storage), parent),
      m_session(session)
{
    setObjectName(QStringLiteral("TabReplay"));
    StgReplayTbl = view();
    StgReplayTbl->setObjectName(QStringLiteral("StgReplayTbl"));
    notice()->setObjectName(QStringLiteral("PnlReplayDirNotice"));
    connect(&workspace, &ReplayWorkspace::storageContentChanged, &proxy(), &ReplayFilterProxy::catalogueChanged);
    // Rows are dragged out as the files themselves.
    model().setFilePath([&workspace](const QString &name) { return workspace.storagePath(name); });

    PnlReplayCmd = makePanel("PnlReplayCmd");
    buildSortRow();
    BtnReload2 = addButton(PageCommand::Reload, "BtnReload2", QStringLiteral("フォルダ再読込"), QRect(56, 40, 153, 33),
                           reloadKey());
    BtnToTarnelCopy = addButton(PageCommand::Copy, "BtnToTarnelCopy", QStringLiteral("リプレイフォルダへコピー"),
                                QRect(248, 40, 153, 33));
    BtnFileDelete = addButton(PageCommand::Delete, "BtnFileDelete", QStringLiteral("ファイル削除"),
                              QRect(440, 40, 153, 33), deleteKey());
    BtnReplayInfoEdit2 = addButton(PageCommand::Edit, "BtnReplayInfoEdit2", QStringLiteral("名前・コメント編集"),
                                   QRect(632, 40, 153, 33), editKey());
    BtnDeleteCancel = addButton(PageCommand::DeleteCancel, "BtnDeleteCancel", QStringLiteral("削除　取消"),
                                QRect(496, 40, 153, 33));
    BtnDeleteExec =
        addButton(PageCommand::DeleteExec, "BtnDeleteExec", QStringLiteral("削除　実行"), QRect(672, 40, 153, 33));
    for (QPushButton *button : {BtnReload2, BtnToTarnelCopy, BtnFileDelete, BtnReplayInfoEdit2})
        button->setProperty("Tag", 1);
    for (QPushButton *button : {BtnDeleteCancel, BtnDeleteExec})
        button->setProperty("Tag", 0);
    QWidget::setTabOrder(BtnReload2, BtnToTarnelCopy);
    QWidget::setTabOrder(BtnToTarnelCopy, BtnFileDelete);
    QWidget::setTabOrder(BtnFileDelete, BtnReplayInfoEdit2);
    QWidget::setTabOrder(BtnReplayInfoEdit2, BtnDeleteCancel);
    QWidget::setTabOrder(BtnDeleteCancel, BtnDeleteExec);
    BtnDeleteCancel->hide();
    BtnDeleteExec->hide();
    buildDeletionPanel();
    buildFilter();

    // Replay files dropped from a file manager; not while files are being
    // marked for deletion (the folder would be read again under the marks).
    auto *drops = new UrlDropTarget(StgReplayTbl->viewport(), [this] { return !m_session.isOn(); });
    connect(drops, &UrlDropTarget::dropped, this, &StoragePage::filesDropped);

    // In deletion mode every row the user selects with the mouse toggles its
    // mark; moving with the keyboard only moves (Space and Delete toggle).
    connect(this, &ReplayPage::rowChosen, this, [this](int row) {
        if (!choosingByKey())
            m_session.select(row, model().cell(row, 0));
    });
    connect(&m_session, &DeletionSession::modeChanged, this, &StoragePage::showDeleteMode);
    connect(&m_session, &DeletionSession::marksChanged, this, &StoragePage::showMarks);
}

void StoragePage::buildSortRow()
{
    Label9 = WidgetKit::label(PnlReplayCmd, "Label9", QStringLiteral("並べ替え"), QPoint(72, 14));
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
        button->setObjectName(QLatin1StringView(sort.name));
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
    connect(SortButtons, &QButtonGroup::idClicked, this, &StoragePage::ReplayTblSortClick);

    // A click on a column header chooses the matching sort, as its button
    // does; the arrow shows the order chosen, whichever way.
    QHeaderView *header = StgReplayTbl->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &StoragePage::headerClicked);
}

void StoragePage::headerClicked(int column)
{
    // A second click reverses where the buttons have both directions.
    int sortMode = -1;
    switch (column) {
    case 0: sortMode = SortMode() == SortFile1 ? SortFile2 : SortFile1; break;
    case 1: sortMode = SortMode() == SortScore1 ? SortScore2 : SortScore1; break;
    case 2: sortMode = SortDungeon; break;
    case 4: sortMode = SortChara; break;
    default: break;
    }
    if (sortMode < 0)
        showSortIndicator(); // a column without a sort keeps the arrow where it was
    else
        ReplayTblSortClick(sortMode);
}

void StoragePage::showSortIndicator()
{
    const struct {
        int column;
        Qt::SortOrder order;
    } indicators[] = {{-1, Qt::AscendingOrder}, {0, Qt::AscendingOrder},  {0, Qt::DescendingOrder},
                      {1, Qt::AscendingOrder},  {1, Qt::DescendingOrder}, {2, Qt::AscendingOrder},
                      {4, Qt::AscendingOrder}};
    const auto &shown = indicators[size_t(SortMode())];
    StgReplayTbl->horizontalHeader()->setSortIndicator(shown.column, shown.order);
}

void StoragePage::buildDeletionPanel()
{
    Label10 = WidgetKit::label(PnlReplayCmd, "Label10",
                               QStringLiteral("削除するファイルを選択して「削除　実行」ボタンを押してください。"),
                               QPoint(24, 40));
    Label11 = WidgetKit::label(PnlReplayCmd, "Label11", QStringLiteral("選択ファイル数："), QPoint(24, 56));
    LblDelFileCnt = WidgetKit::label(PnlReplayCmd, "LblDelFileCnt", QString(), QPoint(112, 56));
    LblDelFileCnt->resize(69, Label11->height());
    WidgetKit::setTextColour(LblDelFileCnt, Qt::blue);
    Label10->hide();
    Label11->hide();
    LblDelFileCnt->hide();
}

void StoragePage::buildFilter()
{
    // The filter box, room for about twelve full-width characters; the
    // window puts it beside the page tabs (its panel asks for the box's
    // whole width there).
    PnlFilter = new QWidget(this);
    PnlFilter->setObjectName(QStringLiteral("PnlFilter"));
    auto *layout = new QHBoxLayout(PnlFilter);
    layout->setContentsMargins(0, 0, 2, 0);
    EdtFilter = new QLineEdit(PnlFilter);
    EdtFilter->setObjectName(QStringLiteral("EdtFilter"));
    EdtFilter->setPlaceholderText(QStringLiteral("絞り込み"));
    EdtFilter->setFixedWidth(EdtFilter->fontMetrics().horizontalAdvance(QString(12, QChar(0x3042))) + 40);
    layout->addWidget(EdtFilter);
    PnlFilter->hide();
    EdtFilter->setClearButtonEnabled(true);
    EdtFilter->setToolTip(QStringLiteral("ファイル名・プレイヤー名・コメント・ダンジョン名・キャラクター名で絞り込みます"
                                         "（空白で区切った語をすべて含む行）。Ctrl+F で入力、Esc で解除"));
    connect(EdtFilter, &QLineEdit::textChanged, this, &StoragePage::EdtFilterChange);
    auto *clearFilter = new QAction(EdtFilter);
    clearFilter->setObjectName(QStringLiteral("ActFilterClear"));
    clearFilter->setShortcut(Qt::Key_Escape);
    clearFilter->setShortcutContext(Qt::WidgetShortcut);
    EdtFilter->addAction(clearFilter);
    connect(clearFilter, &QAction::triggered, EdtFilter, &QLineEdit::clear);
    // An empty box lets Esc through: in deletion mode it leaves the mode.
    clearFilter->setEnabled(false);
    connect(EdtFilter, &QLineEdit::textChanged, clearFilter,
            [clearFilter](const QString &text) { clearFilter->setEnabled(!text.isEmpty()); });
}

int StoragePage::SortMode() const
{
    return std::max(SortButtons->checkedId(), 0);
}

void StoragePage::setSortMode(int sortMode)
{
    if (QAbstractButton *button = SortButtons->button(sortMode))
        button->setChecked(true);
    showSortIndicator();
}

void StoragePage::ReplayTblSortClick(int sortMode)
{
    setSortMode(sortMode);
    vSetReplayTbl(false);
    emit rowsRearranged();
}

void StoragePage::vSetReplayTbl(bool rebuild)
{
    // A fill may remove the view's current row; that is no selection by the user.
    int row = selectedRow();
    quietly([&] {
        fillStorageTable(model(), m_workspace.Replays(), rebuild, row);
        ReplayTableSort(model(), m_workspace.Replays()).vSortReplayTbl(SortMode());
    });
    followFilter(row);
}

void StoragePage::followFilter(int gridRow)
{
    // When no row is shown, nothing is selected and the panel stays empty.
    if (!proxy().isShown(gridRow) && proxy().firstShownRow() > 0)
        gridRow = proxy().firstShownRow();
    selectRow(gridRow);
    showEmptyNote(listsNothing());
    emit countChanged();
}

bool StoragePage::listsNothing() const
{
    return m_workspace.Replays().Count() == 0 || proxy().firstShownRow() == 0;
}

void StoragePage::EdtFilterChange()
{
    const int row = selectedRow();
    // Rows leaving the view are no selection by the user.
    quietly([&] { proxy().setFilterText(EdtFilter->text()); });
    followFilter(row);
    emit rowsRearranged();
}

const ReplayInfo *StoragePage::replayAt(int gridRow, ReplayInfo &info) const
{
    const QString &name = model().cell(gridRow, 0);
    const bool found =
        !name.isEmpty() && proxy().isShown(gridRow) && m_workspace.Replays().FindReplayListByName(name, &info);
    return found ? &info : nullptr;
}

void StoragePage::vSetCmdButton(int state)
{
    BtnFileDelete->setEnabled(state & CmdDelete);
    BtnReplayInfoEdit2->setEnabled(state & CmdEdit);
    BtnToTarnelCopy->setEnabled(state & CmdCopy);
    showEditTip();
}

void StoragePage::deleteKeyPressed()
{
    if (!m_session.isOn()) {
        press(PageCommand::Delete);
        return;
    }
    toggleSelectedMark();
}

void StoragePage::spacePressed()
{
    if (m_session.isOn())
        toggleSelectedMark();
}

void StoragePage::toggleSelectedMark()
{
    // In deletion mode Delete and Space mark or unmark the selected row.
    const int row = selectedRow();
    if (row > 0 && proxy().isShown(row))
        m_session.toggle(model().cell(row, 0));
}

void StoragePage::keyPressEvent(QKeyEvent *event)
{
    // Esc leaves deletion mode as "削除　取消" does (a key the table, the
    // buttons and an empty filter box leave alone comes here).
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_session.isOn()) {
        press(PageCommand::DeleteCancel);
        return;
    }
    ReplayPage::keyPressEvent(event);
}

std::array<QString, 2> StoragePage::countTexts() const
{
    // How many rows the filter leaves, while it is set.
    if (!proxy().isFiltering())
        return {};
    const int total = m_workspace.Replays().Count();
    const int shown = proxy().rowCount();
    return {QStringLiteral("%1/%2").arg(shown).arg(total),
            QStringLiteral("絞り込み：全 %1 件中 %2 件を表示").arg(total).arg(shown)};
}

void StoragePage::focusFilter()
{
    EdtFilter->setFocus(Qt::ShortcutFocusReason);
    EdtFilter->selectAll();
}

void StoragePage::revealFiles(const QStringList &names)
{
    if (std::any_of(names.begin(), names.end(), [this](const QString &name) { return !proxy().acceptsFileName(name); }))
        EdtFilter->clear();
}

void StoragePage::revealRow(int gridRow)
{
    if (!proxy().isShown(gridRow))
        EdtFilter->clear();
}

QList<TrashItem> StoragePage::markedFiles(int *hidden) const
{
    QList<TrashItem> items;
    *hidden = 0;
    for (const QString &name : m_session.names()) {
        const QString path = m_workspace.storagePath(name);
        items.append(TrashItem{name, path, QFile::encodeName(path)});
        *hidden += proxy().acceptsFileName(name) ? 0 : 1;
    }
    return items;
}

QList<int> StoragePage::rowsAsShown() const
{
    QList<int> rows;
    for (int r = 0; r < proxy().rowCount(); ++r)
        rows.append(proxy().gridRow(proxy().index(r, 0)));
    return rows;
}

void StoragePage::refillKeepingSelection()
{
    // The files that changed were not in the table: the selected replay
    // stays selected.
    const QString current = selectedName();
    vSetReplayTbl(true);
    const int row = findRow(current);
    if (row > 0 && proxy().isShown(row))
        selectRow(row);
}

void StoragePage::refillAfterChange()
{
    // The selected file keeps its selection wherever the sort puts it now;
    // when it is gone, the row in its place is selected.
    const QString selected = selectedName();
    const int oldRow = selectedRow();
    vSetReplayTbl(true);
    int row = findRow(selected);
    if (row == 0)
        row = std::clamp(oldRow, 1, std::max(model().rowCountWithHeader() - 1, 1));
    // Marks stay on the files still there; rows have moved, so the guard
    // against a second toggle starts afresh.
    if (m_session.isOn())
        m_session.keepListed([this](const QString &name) { return m_workspace.Replays().itemByName(name); });
    else
        model().setDeleteMarks(false, m_session.names());
    StgReplayTbl->viewport()->update();
    followFilter(row);
}

bool StoragePage::rightPressOnlyOpensMenu() const
{
    return m_session.isOn();
}

void StoragePage::showDeleteMode(bool on)
{
    for (QWidget *normal : std::initializer_list<QWidget *>{BtnReload2, BtnToTarnelCopy, BtnFileDelete,
                                                             BtnReplayInfoEdit2})
        normal->setVisible(!on);
    for (QWidget *deleting :
         std::initializer_list<QWidget *>{BtnDeleteCancel, BtnDeleteExec, Label10, Label11, LblDelFileCnt})
        deleting->setVisible(on);
}

void StoragePage::showMarks()
{
    LblDelFileCnt->setText(QString::number(m_session.count()));
    model().setDeleteMarks(m_session.isOn(), m_session.names());
    StgReplayTbl->viewport()->update();
}

int StoragePage::replayCount() const
{
    return m_workspace.Replays().Count();
}
