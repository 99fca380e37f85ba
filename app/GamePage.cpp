#include "app/GamePage.h"

#include "app/FolderNotice.h"
#include "app/ReplayWorkspace.h"
#include "app/StoredMarks.h"
#include "catalogue/ReplayTableFill.h"
#include "catalogue/ReplayTableModel.h"
#include "operations/CommandState.h"

#include <QPushButton>
#include <QTableView>

#include <algorithm>

GamePage::GamePage(ReplayWorkspace &workspace, QWidget *parent)
    : ReplayPage(FolderKind::Game, workspace, new ReplayTableModel(FolderKind::Game), parent)
{
    setObjectName(QStringLiteral("TabTarnel"));
    StgTarnelTbl = view();
    StgTarnelTbl->setObjectName(QStringLiteral("StgTarnelTbl"));
    notice()->setObjectName(QStringLiteral("PnlTarnelDirNotice"));
    for (int r = 1; r <= ReplayTableModel::GameRows; ++r)
        model().setCell(r, 0, slotFileName(r - 1));
    // Rows are dragged out as the files themselves.
    model().setFilePath([&workspace](const QString &name) { return workspace.TarnelDir() + name; });
    m_storedMarks = new StoredMarks(workspace, model(), this);

    PnlTarnelCmd = makePanel("PnlTarnelCmd");
    BtnReload = addButton(PageCommand::Reload, "BtnReload", QStringLiteral("フォルダ再読込"), QRect(80, 22, 153, 41),
                          reloadKey());
    BtnToReplayCopy = addButton(PageCommand::Copy, "BtnToReplayCopy", QStringLiteral("格納フォルダへコピー"),
                                QRect(320, 22, 153, 41));
    BtnReplayInfoEdit = addButton(PageCommand::Edit, "BtnReplayInfoEdit", QStringLiteral("名前・コメント編集"),
                                  QRect(576, 22, 153, 41), editKey());
    for (QPushButton *button : {BtnReload, BtnToReplayCopy, BtnReplayInfoEdit})
        button->setProperty("Tag", 0);
    QWidget::setTabOrder(BtnReload, BtnToReplayCopy);
    QWidget::setTabOrder(BtnToReplayCopy, BtnReplayInfoEdit);
}

void GamePage::vSetReplayTbl(bool /*rebuild*/)
{
    // Slots are fixed rows: the selected row stays, showing what its slot holds now.
    const int row = std::max(selectedRow(), 1);
    quietly([&] { fillGameTable(model(), m_workspace.Slots()); });
    selectRow(row);
}

const ReplayInfo *GamePage::replayAt(int gridRow, ReplayInfo &info) const
{
    if (gridRow < 1 || gridRow > ReplaySlotCount || m_workspace.Slots()[size_t(gridRow - 1)].PlayDate == 0)
        return nullptr;
    info = m_workspace.Slots()[size_t(gridRow - 1)];
    return &info;
}

QStringList GamePage::storedNames(int gridRow) const
{
    return m_storedMarks->namesOfSlot(gridRow - 1);
}

void GamePage::vSetCmdButton(int state)
{
    BtnReplayInfoEdit->setEnabled(state & CmdEdit);
    BtnToReplayCopy->setEnabled(state & CmdCopy);
    showEditTip();
}

int GamePage::replayCount() const
{
    return int(std::count_if(m_workspace.Slots().cbegin(), m_workspace.Slots().cend(),
                             [](const ReplayInfo &slot) { return slot.PlayDate != 0; }));
}

bool GamePage::listsNothing() const
{
    return m_workspace.seen(FolderKind::Game).state != FolderSnapshot::State::Present;
}
