#include "app/AutoStore.h"

#include "app/ReplayWorkspace.h"
#include "app/StoredMarks.h"
#include "operations/FileWorkProgress.h"
#include "operations/FileWorkRunner.h"
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
    for (int slot = 0; slot < ReplaySlotCount; ++slot) {
        const FileStamp *stamp = m_workspace.tarnelSeen().stampOf(QFile::encodeName(slotFileName(slot)));
        view.slotSizes[size_t(slot)] = stamp ? stamp->size : 0;
    }
    return view;
}

QList<AutoStoreStep> AutoStore::steps() const
{
    return m_plan.steps(view());
}

AutoStore::Result AutoStore::run(FileWorkRunner *runner)
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

    // What the copies need is taken here; the copies run beside the window
    // and touch neither the workspace nor the plan.
    struct Copy {
        AutoStoreStep step;
        ReplayIdentity identity;
        ReplayInfo replay{};
        QString source;
        std::optional<CopyResult> copy; // empty: not tried
        FileIdentity file;               // of the new file
        std::optional<TrashedFile> earlier;
    };
    QList<Copy> copies;
    for (const AutoStoreStep &step : steps) {
        copies.append(Copy{step, m_workspace.slotIdentities()[size_t(step.slot)], m_workspace.Slots()[size_t(step.slot)],
                           m_workspace.slotPath(step.slot), {}, {}, {}});
    }
    if (cause == FileError::Cause::None) {
        FileWorkRunner::run(runner, QStringLiteral("新しいリプレイを格納フォルダにコピー中"), [&](FileWorkProgress &progress) {
            for (qsizetype i = 0; i < copies.size(); ++i) {
                Copy &made = copies[i];
                progress.beginFile(int(i), int(copies.size()), made.step.name);
                if (progress.isCancelled())
                    return;
                ReplayCopyJob job(made.source, dir + made.step.name);
                job.expectReplay(made.identity);
                job.setMayReplace(made.step.name == made.step.replaces);
                made.copy = job.copy(&progress);
                if (made.copy->outcome == CopyResult::Outcome::Cancelled)
                    return;
                if (made.copy->outcome != CopyResult::Outcome::Copied) {
                    // A slot rewritten under the copy is run again at its next change.
                    if (made.copy->sourceChanged)
                        continue;
                    return; // the cause would stop the others too
                }
                made.file = FileIdentity::of(QFile::encodeName(dir + made.step.name)).value_or(FileIdentity{});
                if (!made.step.replaces.isEmpty() && made.step.replaces != made.step.name) {
                    const QByteArray earlier = QFile::encodeName(dir + made.step.replaces);
                    const QList<TrashFiles::Result> moved = TrashFiles(QList<QByteArray>{earlier}).run();
                    if (!moved.isEmpty() && moved.front().moved)
                        made.earlier = TrashedFile{made.step.replaces, earlier, moved.front().trashNativePath, {}};
                }
            }
        });
    }
    for (const Copy &made : std::as_const(copies)) {
        if (!made.copy)
            break;
        if (made.copy->outcome != CopyResult::Outcome::Copied) {
            if (made.copy->outcome == CopyResult::Outcome::Failed && !made.copy->sourceChanged) {
                cause = made.copy->cause;
                result.failure = made.copy->reason;
            }
            continue;
        }
        m_workspace.noteCopiedInto(dir, made.step.name);
        m_plan.stored(made.step, made.replay, made.identity, made.file);
        if (made.copy->replaced)
            result.trashed.append(*made.copy->replaced);
        if (made.earlier)
            result.trashed.append(*made.earlier);
        result.stored.append(Stored{made.step.slot, made.step.name});
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
