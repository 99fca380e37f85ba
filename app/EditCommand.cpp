#include "app/EditCommand.h"

#include "app/ReplayWorkspace.h"
#include "operations/ReplayTextQuery.h"
#include "replay/ShiftJisText.h"

namespace {

// The slot of a game slot's file name, -1 for none.
int slotOf(const QString &fileName)
{
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        if (slotFileName(slot) == fileName)
            return slot;
    }
    return -1;
}

} // namespace

EditCommand::EditCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner)
    : m_workspace(workspace),
      m_prompter(prompter),
      m_owner(owner)
{
}

CommandResult EditCommand::run(FolderKind folder, const QString &fileName, const std::function<void()> &shown) const
{
    CommandResult result;
    result.cancelled = true;
    const ReplayInfo *info = nullptr;
    ReplayInfo stored; // a storage item keeps its texts compact: the record is made for the edit
    const int slot = slotOf(fileName);
    if (folder == FolderKind::Game && slot >= 0) {
        if (m_workspace.Slots()[size_t(slot)].PlayDate != 0) // an empty slot holds no replay
            info = &m_workspace.Slots()[size_t(slot)];
    } else if (folder == FolderKind::Storage && !fileName.isEmpty()) {
        if (const ReplayListItem *item = m_workspace.Replays().itemByName(fileName)) {
            stored = item->info();
            info = &stored;
        }
    }
    if (!info)
        return result;

    ReplayTextQuery query(ReplayTextRequest{fileName, fieldBytes(info->PlayerName, PlayerNameSize),
                                            fieldBytes(info->Comment, CommentSize)});
    m_prompter.ask(m_owner, query);
    if (!query.answer)
        return result;
    char name[PlayerNameSize];
    char comment[CommentSize];
    ShiftJisText::storeField(query.answer->playerName, name, PlayerNameSize);
    ShiftJisText::storeField(query.answer->comment, comment, CommentSize);

    // Memory, then the window, then the file: the writer takes the texts
    // from memory, and the window shows them before the write.
    const bool inMemory = folder == FolderKind::Game ? m_workspace.setSlotText(slot, name, comment)
                                                     : m_workspace.setStorageText(fileName, name, comment);
    if (!inMemory)
        return result;
    result.cancelled = false;
    shown();
    QString reason;
    const bool written = WriteReplayText(folder, fileName, &reason);
    result.files.append(FileOutcome{fileName, written, reason});
    if (!written) {
        result.message = QStringLiteral("リプレイファイルの書き込みに失敗しました。");
        if (!reason.isEmpty())
            result.message += QLatin1Char('\n') + reason;
    } else {
        result.summary = QStringLiteral("%1 の名前とコメントを書き込みました").arg(fileName);
    }
    return result;
}

bool EditCommand::WriteReplayText(FolderKind folder, const QString &fileName, QString *reason) const
{
    if (folder == FolderKind::Game) {
        const int slot = slotOf(fileName);
        return slot >= 0 && m_workspace.writeSlotText(slot, reason);
    }
    return !fileName.isEmpty() && m_workspace.writeStorageText(fileName, reason);
}
