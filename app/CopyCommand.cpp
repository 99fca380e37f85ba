#include "app/CopyCommand.h"

#include "app/ReplayWorkspace.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableFill.h"
#include "operations/FileWorkRunner.h"
#include "operations/ReplayCopyJob.h"
#include "platform/Prompter.h"

#include <QFile>

namespace {

// The slot of a game slot's file name; 0 for another name.
int slotOfName(const QString &fileName)
{
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        if (slotFileName(slot) == fileName)
            return slot;
    }
    return 0;
}

} // namespace

CopyCommand::CopyCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner, FileWorkRunner *runner)
    : m_workspace(workspace),
      m_prompter(prompter),
      m_owner(owner),
      m_runner(runner)
{
}

CopyTargetRequest CopyCommand::request(FolderKind from, const QString &fileName, const QStringList &storedNames) const
{
    CopyTargetRequest request;
    request.sourceName = fileName;
    request.sourcePath = m_workspace.dir(from) + fileName;
    request.destinationDir = m_workspace.dir(otherFolder(from));
    if (from == FolderKind::Game) {
        request.storedNames = storedNames;
        for (int slot = 0; slot < ReplaySlotCount; ++slot) {
            if (slotFileName(slot) == fileName && m_workspace.Slots()[size_t(slot)].PlayDate != 0)
                request.templateName = m_template.fileName(
                    NameSource{&m_workspace.Slots()[size_t(slot)], slot, fileName},
                    [this](const QString &name) {
                        return FileIdentity::of(QFile::encodeName(m_workspace.storagePath(name))).has_value();
                    });
        }
        return request;
    }
    request.slotMode = true;
    // What the game table shows: what each slot's copy would replace.
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        const ReplayInfo &info = m_workspace.Slots()[size_t(slot)];
        if (info.PlayDate == 0)
            continue;
        const ReplayTableRow row = replayRowTexts(slotFileName(slot), info);
        request.slotTexts[size_t(slot)] = SlotSummary{row[2], row[3], row[4], row[1], row[5]};
    }
    return request;
}

ReplayIdentity CopyCommand::shownIdentity(FolderKind from, const QString &fileName) const
{
    if (from == FolderKind::Game) {
        for (int slot = 0; slot < ReplaySlotCount; ++slot) {
            if (slotFileName(slot) == fileName)
                return m_workspace.slotIdentities()[size_t(slot)];
        }
        return {};
    }
    const ReplayListItem *item = m_workspace.Replays().itemByName(fileName);
    return item ? item->Identity : ReplayIdentity();
}

QString CopyCommand::destinationHolds(const CopyTargetRequest &asked, const QString &target) const
{
    // A slot: what the dialog showed for it. A storage file: what the folder
    // scan read from it (nothing when it is no replay the table lists).
    if (asked.slotMode) {
        for (int slot = 0; slot < ReplaySlotCount; ++slot) {
            if (target == slotFileName(slot))
                return ReplayCopyJob::holdsText(asked.slotTexts[size_t(slot)]);
        }
        return {};
    }
    const ReplayListItem *item = m_workspace.Replays().itemByName(target);
    if (!item)
        return {};
    const ReplayTableRow row = replayRowTexts(target, item->info());
    return ReplayCopyJob::holdsText(SlotSummary{row[2], row[3], row[4], row[1], row[5]});
}

CommandResult CopyCommand::run(FolderKind from, const QString &fileName, const QStringList &storedNames) const
{
    CommandResult result;
    const ReplayIdentity shown = shownIdentity(from, fileName); // the copy must still find it
    CopyTargetQuery query(request(from, fileName, storedNames));
    CopyResult copy;
    QString target;
    for (;;) {
        m_prompter.ask(m_owner, query);
        if (!query.answer) {
            result.cancelled = true;
            return result;
        }
        target = *query.answer;
        const CopyTargetRequest &asked = query.request;
        ReplayCopyJob job(asked.sourcePath, asked.destinationDir + target);
        job.expectReplay(shown);
        job.setDestinationHolds(destinationHolds(asked, target));
        copy = FileWorkRunner::run(m_runner, QStringLiteral("リプレイファイルをコピー中"),
                                   [&](FileWorkProgress &progress) {
                                       progress.beginFile(0, 1, target);
                                       return job.run(m_prompter, m_owner, &progress);
                                   });
        if (copy.outcome != CopyResult::Outcome::Declined)
            break;
        // No to replacing a file goes back to the dialog, with the name as
        // typed (or the slot) kept, so that another can be chosen.
        query.request.typedName = query.typed;
        query.request.slot = asked.slotMode ? slotOfName(target) : 0;
        query.answer.reset();
    }
    switch (copy.outcome) {
    case CopyResult::Outcome::Declined:
    case CopyResult::Outcome::Cancelled:
        result.cancelled = true;
        break;
    case CopyResult::Outcome::Failed:
        result.files.append(FileOutcome{target, false, copy.reason});
        result.message =
            QStringLiteral("「%1」を「%2」にコピーできませんでした。\n%3").arg(fileName, target, copy.reason);
        break;
    case CopyResult::Outcome::Copied:
        result.files.append(FileOutcome{target, true, {}});
        if (copy.replaced)
            result.trashed.append(*copy.replaced);
        result.summary = QStringLiteral("%1 にコピーしました").arg(target);
        m_workspace.noteCopiedInto(query.request.destinationDir, target);
        break;
    }
    return result;
}
