#pragma once

#include "app/PageCommands.h"
#include "app/ReplayTableView.h"
#include "app/ViewSettings.h"
#include "catalogue/FolderKind.h"

#include <QKeySequence>
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <optional>

class FolderNotice;
class QAction;
class QLabel;
class QMenu;
class QModelIndex;
class QPushButton;
class QTableView;
class ReplayFilterProxy;
class ReplayTableModel;
class ReplayWorkspace;
struct ReplayInfo;

// What a page's command buttons ask for.
enum class PageCommand { Reload, Copy, Edit, Delete, DeleteCancel, DeleteExec };

// One page of the window: the table of one folder with its model, its
// command panel, its context menu, its missing-folder notice and its status
// texts. The selected row is the view's current row, read when needed. The
// page says when the user chose a row or asked for a command; the window
// runs the command and shows the replay. GamePage and StoragePage build the
// two panels and fill the two tables.
class ReplayPage : public QWidget {
    Q_OBJECT
public:
    // The keys named in the buttons' tips and the context menu (the window's
    // actions carry them).
    static QKeySequence reloadKey() { return QKeySequence(Qt::Key_F5); }
    static QKeySequence editKey() { return QKeySequence(Qt::Key_F2); }
    static QKeySequence deleteKey() { return QKeySequence(Qt::Key_Delete); }

    static constexpr int Columns = ViewSettings::Columns;
    using ColumnWidths = ViewSettings::ColumnWidths;

    FolderKind kind() const { return m_kind; }
    QTableView *view() const { return m_view; }
    ReplayTableModel &model() const { return *m_model; }
    ReplayFilterProxy &proxy() const { return *m_proxy; }
    FolderNotice *notice() const { return m_notice; }
    QLabel *emptyNote() const { return m_emptyNote; }

    // --- the selected row, as the view has it ---
    // Grid row of the view's current row (1 = first data row); 0 for none.
    int selectedRow() const;
    // File name of the selected row; empty for none.
    QString selectedName() const;
    // Selects a grid row (clamped to the rows there are) as the program
    // does: rowChosen is not emitted. A row the filter hides: none selected.
    void selectRow(int gridRow);
    // Selects a grid row as the user does (vReplaySelectCell): rowChosen follows.
    void chooseRow(int gridRow);
    // True while the keyboard moves the current row: the user looks through
    // the list rather than choosing a row with the mouse.
    bool choosingByKey() const;
    // Grid row holding this file, 0 for none.
    int findRow(const QString &fileName) const;
    // The one mapping between grid rows and the view's indexes.
    QModelIndex viewIndex(int gridRow, int column) const;
    int gridRowOf(const QModelIndex &viewIndex) const;

    // --- the table ---
    // Designed column widths and the fixed cells (vInitReplayTbl).
    void vInitReplayTbl();
    // Fills the table from the workspace (vSetReplayTbl); rebuild starts
    // again at row 1 where the page keeps no other row.
    virtual void vSetReplayTbl(bool rebuild) = 0;
    // The replay a grid row holds and shows (copied into info), or null.
    virtual const ReplayInfo *replayAt(int gridRow, ReplayInfo &info) const = 0;
    // The "already stored" names the panel shows for a row.
    virtual QStringList storedNames(int /*gridRow*/) const { return {}; }
    // The folder was changed by another program and read again: the table
    // is filled keeping the view as the user left it (its scroll position too).
    void followFolderChange();
    ColumnWidths columnWidths() const;
    void setColumnWidths(const std::optional<ColumnWidths> &widths);

    // --- commands ---
    // Enables the command buttons by CommandBits.
    virtual void vSetCmdButton(int state) = 0;
    // A key: presses the command's button when it is shown and enabled.
    bool press(PageCommand command);
    // Why the selected replay's name and comment cannot be edited (its
    // version), for the edit button's tip and the status bar; empty when
    // they can, or when no replay is selected.
    QString editRefusal() const;
    // The Delete key on this page.
    virtual void deleteKeyPressed() {}
    // Space on the table.
    virtual void spacePressed() {}
    // The context menu, filled for the moment it is asked for.
    QMenu *tableMenu();
    // A command of the window's menus that the context menu offers too,
    // below the page's own, while it is enabled.
    void addMenuAction(QAction *action) { m_menuActions.append(action); }

    // How many replays the folder holds, as last read.
    virtual int replayCount() const = 0;
    // What the status bar says after the folder was read again by the user.
    QString reloadReport() const;
    // True when the table lists no replay at all (an empty or missing folder,
    // a filter that matches nothing): the panel shows nothing.
    virtual bool listsNothing() const { return false; }

    // Status panel 2 while the page is shown: text and tip (empty: none).
    virtual std::array<QString, 2> countTexts() const { return {}; }
    // Whether the status bar counts the folder's unreadable files on this page.
    virtual bool countsUnreadableFiles() const { return false; }
    // Makes a grid row visible (a filter that hides it is emptied).
    virtual void revealRow(int /*gridRow*/) {}

    // A window wider than designed: its extra width goes to the growing
    // column, on top of that column's own width (the one remembered).
    void giveExtraWidth(int extra);

signals:
    // The user selected a grid row (a press on the current row counts too).
    void rowChosen(int gridRow);
    void commandAsked(PageCommand command);
    void openFolderAsked();
    // The notice's button: choose another folder.
    void chooseFolderAsked();
    // The rows shown or their order changed and the selection followed
    // (filter, sort): the panel and the status bar show it again.
    void rowsRearranged();
    // What countTexts() gives may have changed.
    void countChanged();

protected:
    ReplayPage(FolderKind kind, ReplayWorkspace &workspace, ReplayTableModel *model, QWidget *parent);

    // Puts the view at the top of the page, the command panel below.
    QWidget *makePanel(const char *name);
    // A command button of the panel; key: named in its tip and the menu.
    QPushButton *addButton(PageCommand command, const char *name, const QString &caption, const QRect &geometry,
                           const QKeySequence &key = {});
    QPushButton *button(PageCommand command) const;
    // The edit button's tip follows its state: a greyed button says why.
    void showEditTip();
    // "一致するリプレイはありません" over the table, while it lists no replay.
    void showEmptyNote(bool shown);
    // Runs f without taking what it does to the view's current row for a
    // choice of the user.
    template <typename F>
    void quietly(F &&f)
    {
        const bool was = m_quiet;
        m_quiet = true;
        f();
        m_quiet = was;
    }
    // The column a row is selected in when the view has no current cell.
    virtual int firstColumn() const { return 0; }
    // Fills the table after another program changed the folder.
    virtual void refillAfterChange() { vSetReplayTbl(true); }
    // In deletion mode a right click only opens the menu.
    virtual bool rightPressOnlyOpensMenu() const { return false; }
    // The column that takes the extra width of a wider window.
    virtual int growingColumn() const = 0;
    bool eventFilter(QObject *watched, QEvent *event) override;

    ReplayWorkspace &m_workspace;

private:
    FolderKind m_kind;
    ReplayTableModel *m_model;
    ReplayFilterProxy *m_proxy;
    ReplayTableView *m_view;
    FolderNotice *m_notice;
    QLabel *m_emptyNote;
    PageCommands m_commands;
    std::array<QPushButton *, 6> m_buttons{}; // by PageCommand
    QMenu *m_menu = nullptr;
    QList<QAction *> m_menuActions;
    QString m_editTip; // the edit button's tip while it may be pressed
    int m_extraWidth = 0; // given to growingColumn() beyond its own width
    bool m_quiet = false;
    // The current row just before a mouse press, so that a press on the row
    // that is already current still counts as a selection.
    int m_rowBeforePress = -1;
};
