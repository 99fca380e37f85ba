#include "app/ReplayPage.h"

#include "app/FolderNotice.h"
#include "app/ReplayTableView.h"
#include "app/ReplayWorkspace.h"
#include "catalogue/ReplayCellDelegate.h"
#include "catalogue/ReplayFilterProxy.h"
#include "catalogue/ReplayTableModel.h"
#include "platform/WidgetKit.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"

#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int RowHeight = 20;
constexpr int CommandPanelHeight = 82;
constexpr ReplayPage::ColumnWidths DesignedWidths{150, 80, 150, 80, 100, 250};

} // namespace

ReplayPage::ReplayPage(FolderKind kind, ReplayWorkspace &workspace, ReplayTableModel *model, QWidget *parent)
    : QWidget(parent),
      m_workspace(workspace),
      m_kind(kind),
      m_model(model)
{
    model->setParent(this);
    // The game page's proxy never filters: both views map rows the same way.
    m_proxy = new ReplayFilterProxy(*model, workspace.Replays(), this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_view = new ReplayTableView(this);
    m_view->setProperty("Tag", folderIndex(kind));
    m_view->setModel(m_proxy);
    m_view->setItemDelegate(new ReplayCellDelegate(m_view));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setShowGrid(true);
    m_view->setWordWrap(false);
    m_view->setTabKeyNavigation(false);
    m_view->setCornerButtonEnabled(false);
    // Rows go out as files (copied, never moved); drops are taken by the
    // storage page's own filter on the viewport, not by the view.
    m_view->setDragDropMode(QAbstractItemView::DragOnly);
    m_view->setDefaultDropAction(Qt::CopyAction);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { tableMenu()->popup(m_view->viewport()->mapToGlobal(at)); });

    QHeaderView *rows = m_view->verticalHeader();
    rows->hide();
    rows->setMinimumSectionSize(RowHeight);
    rows->setDefaultSectionSize(RowHeight);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    // The header row of the grid. Its columns start at the designed widths;
    // the user may widen or narrow them (they are remembered), but not
    // below a width that can still be grabbed.
    QHeaderView *header = m_view->horizontalHeader();
    header->setFixedHeight(RowHeight);
    header->setMinimumSectionSize(ViewSettings::MinColumnWidth);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    m_view->viewport()->installEventFilter(this);
    layout->addWidget(m_view, 1);

    connect(m_view, &ReplayTableView::spacePressed, this, &ReplayPage::spacePressed);
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_quiet && current.isValid())
                    emit rowChosen(gridRowOf(current));
            });
    // A press on the row that is already current selects it again (in
    // deletion mode that may toggle its mark once the guard has run out).
    connect(m_view, &QAbstractItemView::pressed, this, [this](const QModelIndex &index) {
        if (!m_quiet && index.isValid() && index.row() == m_rowBeforePress)
            emit rowChosen(gridRowOf(index));
    });

    m_emptyNote = WidgetKit::label(m_view->viewport(), "LblNoReplays",
                                   QStringLiteral("一致するリプレイはありません"), QPoint());
    m_emptyNote->setAlignment(Qt::AlignCenter);
    m_emptyNote->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_emptyNote->hide();

    m_notice = new FolderNotice(m_view->viewport());
    connect(m_notice, &FolderNotice::chooseFolder, this, &ReplayPage::chooseFolderAsked);
}

QWidget *ReplayPage::makePanel(const char *name)
{
    auto *panel = new QWidget(this);
    panel->setObjectName(QLatin1StringView(name));
    panel->setFixedHeight(CommandPanelHeight);
    layout()->addWidget(panel);
    return panel;
}

QPushButton *ReplayPage::addButton(PageCommand command, const char *name, const QString &caption,
                                   const QRect &geometry, const QKeySequence &key)
{
    QWidget *panel = layout()->itemAt(1)->widget();
    QPushButton *button = WidgetKit::button(panel, name, caption, geometry);
    button->setAutoDefault(false);
    m_buttons[size_t(command)] = button;
    m_commands.add(button, key);
    connect(button, &QPushButton::clicked, this, [this, command] { emit commandAsked(command); });
    if (command == PageCommand::Edit)
        m_editTip = button->toolTip();
    return button;
}

QString ReplayPage::editRefusal() const
{
    const QPushButton *edit = button(PageCommand::Edit);
    ReplayInfo info{};
    const ReplayInfo *replay = replayAt(selectedRow(), info);
    if (!edit || !edit->isVisibleTo(edit->parentWidget()) || !replay || !isEditLockedVersion(*replay))
        return {};
    const QString version = ShiftJisText::decodeField(replay->ReplayVer, ReplayVerSize).trimmed();
    return QStringLiteral("このリプレイのバージョン（%1）では名前とコメントを編集できません").arg(version);
}

void ReplayPage::showEditTip()
{
    if (QPushButton *edit = button(PageCommand::Edit)) {
        const QString why = edit->isEnabled() ? QString() : editRefusal();
        edit->setToolTip(why.isEmpty() ? m_editTip : why);
    }
}

QPushButton *ReplayPage::button(PageCommand command) const
{
    return m_buttons[size_t(command)];
}

bool ReplayPage::choosingByKey() const
{
    return m_view->movingByKey();
}

int ReplayPage::selectedRow() const
{
    return gridRowOf(m_view->selectionModel()->currentIndex());
}

QString ReplayPage::selectedName() const
{
    const int row = selectedRow();
    return row > 0 ? m_model->cell(row, 0) : QString();
}

QModelIndex ReplayPage::viewIndex(int gridRow, int column) const
{
    return m_proxy->viewIndex(gridRow, column);
}

int ReplayPage::gridRowOf(const QModelIndex &viewIndex) const
{
    return m_proxy->gridRow(viewIndex);
}

int ReplayPage::findRow(const QString &fileName) const
{
    for (int r = 1; !fileName.isEmpty() && r < m_model->rowCountWithHeader(); ++r) {
        if (m_model->cell(r, 0) == fileName)
            return r;
    }
    return 0;
}

void ReplayPage::selectRow(int gridRow)
{
    const int rows = m_model->rowCount();
    if (rows < 1)
        return;
    int column = m_view->currentIndex().isValid() ? m_view->currentIndex().column() : -1;
    if (column < 0)
        column = firstColumn();
    const QModelIndex index = viewIndex(std::clamp(gridRow, 1, rows), column);
    quietly([&] {
        if (!index.isValid()) { // hidden by the filter: nothing is selected
            m_view->selectionModel()->clear();
            return;
        }
        m_view->selectionModel()->setCurrentIndex(index,
                                                  QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(index);
    });
}

void ReplayPage::chooseRow(int gridRow)
{
    selectRow(gridRow);
    emit rowChosen(gridRow);
}

void ReplayPage::vInitReplayTbl()
{
    setColumnWidths(DesignedWidths);
}

void ReplayPage::giveExtraWidth(int extra)
{
    const ColumnWidths own = columnWidths();
    m_extraWidth = std::max(0, extra);
    setColumnWidths(own);
}

void ReplayPage::followFolderChange()
{
    // The row at the top stays at the top. (Scrolled to the end, the view
    // shows the last row at its bottom edge and a part of the top row; the
    // scroll position alone would put the next row at the top once a row
    // is added below.)
    const int topRow = m_view->rowAt(0);
    const int top = topRow >= 0 ? topRow : m_view->verticalScrollBar()->value();
    const int left = m_view->horizontalScrollBar()->value();
    refillAfterChange();
    m_view->layOutNow();
    m_view->verticalScrollBar()->setValue(top);
    m_view->horizontalScrollBar()->setValue(left);
}

ReplayPage::ColumnWidths ReplayPage::columnWidths() const
{
    ColumnWidths widths{};
    for (int c = 0; c < Columns; ++c)
        widths[size_t(c)] = m_view->columnWidth(c);
    // Its own width: narrowed below the extra by hand, the least there is.
    int &growing = widths[size_t(growingColumn())];
    growing = std::max(ViewSettings::MinColumnWidth, growing - m_extraWidth);
    return widths;
}

void ReplayPage::setColumnWidths(const std::optional<ColumnWidths> &widths)
{
    for (int c = 0; widths && c < Columns; ++c)
        m_view->setColumnWidth(c, (*widths)[size_t(c)] + (c == growingColumn() ? m_extraWidth : 0));
}

QString ReplayPage::reloadReport() const
{
    return QStringLiteral("%1を再読み込みしました（%2 件）").arg(folderCaption(m_kind)).arg(replayCount());
}

bool ReplayPage::press(PageCommand command)
{
    QPushButton *pressed = button(command);
    return pressed && PageCommands::press(pressed);
}

QMenu *ReplayPage::tableMenu()
{
    if (!m_menu)
        m_menu = new QMenu(this);
    m_menu->clear();
    m_commands.addTo(m_menu);
    for (QAction *action : std::as_const(m_menuActions)) {
        if (action->isEnabled()) // as the page's commands: only what can be given now
            m_menu->addAction(action);
    }
    m_menu->addSeparator();
    QAction *open = m_menu->addAction(QStringLiteral("フォルダを開く"));
    open->setObjectName(QStringLiteral("ActOpenFolder"));
    connect(open, &QAction::triggered, this, &ReplayPage::openFolderAsked);
    return m_menu;
}

void ReplayPage::showEmptyNote(bool shown)
{
    // Near the top, where the first row would be; a missing folder's notice
    // keeps the middle.
    const QWidget *viewport = m_view->viewport();
    m_emptyNote->setGeometry(0, RowHeight, viewport->width(), 2 * RowHeight);
    m_emptyNote->setVisible(shown);
}

bool ReplayPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view->viewport() && event->type() == QEvent::Resize && m_emptyNote->isVisibleTo(m_view))
        showEmptyNote(true);
    if (watched == m_view->viewport()
        && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        // A right click in deletion mode only opens the context menu:
        // selecting the row would toggle its mark.
        if (rightPressOnlyOpensMenu() && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
            return true;
        if (event->type() == QEvent::MouseButtonPress) {
            const QModelIndex current = m_view->currentIndex();
            m_rowBeforePress = current.isValid() ? current.row() : -1;
        }
    }
    return QWidget::eventFilter(watched, event);
}
