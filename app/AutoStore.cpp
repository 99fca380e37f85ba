#include "app/AutoStore.h"

#include "app/ReplayWorkspace.h"
#include "app/StoredMarks.h"
#include "operations/FileWorkProgress.h"
#include "operations/ReplayCopyJob.h"
#include "operations/TrashFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

AutoStore::AutoStore(ReplayWorkspace &workspace, const StoredMarks &marks, QObject *parent)
    : QObject(parent),
      m_workspace(workspace),
      m_marks(marks)
{
}

void AutoStore::setOn(bool on)
{
    m_on = on;
    m_causesSaid.clear();
}

AutoStoreView AutoStore::view() const
{
    AutoStoreView view{m_workspace.Slots(), m_workspace.slotIdentities(), {}, m_marks.index(), m_workspace.Replays(),
                       m_workspace.StorageDir()};
    for (int slot = 0; slot < ReplaySlotCount; ++slot)
        view.slotSizes[size_t(slot)] = m_workspace.tarnelSeen().stamps.value(QFile::encodeName(slotFileName(slot))).size;
    return view;
}

QList<AutoStoreStep> AutoStore::steps() const
{
    return m_plan.steps(view());
}

AutoStore::Result AutoStore::run(FileWorkProgress *progress)
{
    Result result;
    if (!m_on)
        return result;
    const QList<AutoStoreStep> steps = this->steps();
    if (steps.isEmpty())
        return result;
    const QString dir = m_workspace.StorageDir();
    FileError::Cause cause = FileError::Cause::None;
    if (!QFileInfo(dir).isDir()) {
        cause = FileError::Cause::Missing;
        result.failure = QStringLiteral("格納フォルダが見つかりません（%1）。").arg(QDir::toNativeSeparators(dir));
    }
    for (qsizetype i = 0; cause == FileError::Cause::None && i < steps.size(); ++i) {
        const AutoStoreStep &step = steps[i];
        if (progress)
            progress->beginFile(int(i), int(steps.size()), step.name);
        if (FileWorkProgress::isCancelled(progress))
            break;
        const ReplayIdentity identity = m_workspace.slotIdentities()[size_t(step.slot)];
        const ReplayInfo replay = m_workspace.Slots()[size_t(step.slot)];
        ReplayCopyJob job(m_workspace.slotPath(step.slot), dir + step.name);
        job.expectReplay(identity);
        job.setMayReplace(step.name == step.replaces);
        const CopyResult copy = job.copy(progress);
        if (copy.outcome == CopyResult::Outcome::Cancelled)
            break;
        if (copy.outcome != CopyResult::Outcome::Copied) {
            // A slot rewritten under the copy is run again at its next change.
            if (!copy.sourceChanged) {
                cause = copy.cause;
                result.failure = copy.reason;
            }
            continue;
        }
        m_workspace.noteCopiedInto(dir, step.name);
        const QByteArray path = QFile::encodeName(dir + step.name);
        m_plan.stored(step, replay, identity, FileIdentity::of(path).value_or(FileIdentity{}));
        if (copy.replaced)
            result.trashed.append(*copy.replaced);
        if (!step.replaces.isEmpty() && step.replaces != step.name) {
            const QByteArray earlier = QFile::encodeName(dir + step.replaces);
            const QList<TrashFiles::Result> moved = TrashFiles(QList<QByteArray>{earlier}).run();
            if (!moved.isEmpty() && moved.front().moved)
                result.trashed.append(TrashedFile{step.replaces, earlier, moved.front().trashNativePath, {}});
        }
        result.stored.append(Stored{step.slot, step.name});
    }
    if (!result.failure.isEmpty()) {
        result.failureSaid = m_causesSaid.contains(int(cause));
        m_causesSaid.insert(int(cause));
    } else if (!result.stored.isEmpty()) {
        m_causesSaid.clear();
    }
    return result;
}

QString AutoStore::statusText(const Result &result)
{
    QStringList parts;
    if (!result.stored.isEmpty()) {
        QString text = QStringLiteral("スロット%1 を「%2」として格納しました")
                           .arg(result.stored.front().slot)
                           .arg(result.stored.front().name);
        if (result.stored.size() > 1)
            text += QStringLiteral("（ほか %1 件）").arg(result.stored.size() - 1);
        parts.append(text);
    }
    if (!result.failure.isEmpty() && !result.failureSaid)
        parts.append(QStringLiteral("自動格納できませんでした：") + result.failure);
    return parts.join(u'　');
}
