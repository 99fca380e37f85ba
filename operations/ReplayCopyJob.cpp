#include "operations/ReplayCopyJob.h"

#include "operations/CopyTargetName.h"
#include "operations/CopyTargetQuery.h"
#include "operations/FileWorkProgress.h"
#include "operations/ReplayCheck.h"
#include "operations/TrashFiles.h"
#include "platform/FileContentCopy.h"
#include "platform/Prompter.h"
#include "platform/RegularFile.h"
#include "platform/ReplacementFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

CopyResult failed(const QString &reason, FileError::Cause cause = FileError::Cause::Other)
{
    return CopyResult{CopyResult::Outcome::Failed, reason, cause, {}};
}

CopyResult sourceFailed(const QString &reason)
{
    CopyResult result = failed(reason, FileError::Cause::None);
    result.sourceChanged = true;
    return result;
}

CopyResult cancelled()
{
    return CopyResult{CopyResult::Outcome::Cancelled, {}, FileError::Cause::None, {}};
}

} // namespace

ReplayCopyJob::ReplayCopyJob(const QString &sourcePath, const QString &destinationPath)
    : m_sourcePath(sourcePath),
      m_destinationPath(destinationPath)
{
}

void ReplayCopyJob::expectReplay(const ReplayIdentity &identity)
{
    m_checkReplay = true;
    m_identity = identity;
}

QString ReplayCopyJob::holdsText(const SlotSummary &slot)
{
    if (slot.dungeon.isEmpty() && slot.chara.isEmpty() && slot.score.isEmpty() && slot.player.isEmpty())
        return {};
    return QStringLiteral("ダンジョン名：%1 %2\n使用キャラ：%3\nスコア：%4\nプレイヤー名：%5")
        .arg(slot.dungeon, slot.floors, slot.chara, slot.score, slot.player);
}

CopyPlan ReplayCopyJob::plan() const
{
    CopyPlan plan;
    plan.refusal = destinationRefusal(m_destinationPath, m_sourcePath);
    if (!plan.refusal.isEmpty())
        return plan;
    // A source that cannot be opened is said before anything is asked.
    // (A FIFO or device named like the source must never block the window.)
    QFile source;
    if (const RegularFile::Result opened = RegularFile::open(source, m_sourcePath); !opened) {
        plan.refusal = QStringLiteral("コピー元の「%1」を開けません（%2）。")
                           .arg(QFileInfo(m_sourcePath).fileName(), RegularFile::reasonText(opened));
        return plan;
    }
    const QFileInfo destination(m_destinationPath);
    // A link is replaced itself, so neither what it points to nor whether
    // that exists matters.
    if (destination.isSymbolicLink()) {
        plan.replaces = true;
    } else if (destination.exists()) {
        if (!destination.isFile())
            plan.refusal = QStringLiteral("コピー先の「%1」は通常のファイルではありません。").arg(destination.fileName());
        // Renaming over the file would replace it even when it is marked
        // read-only (and root ignores the mark altogether).
        else if (!(destination.permissions() & QFileDevice::WriteOwner))
            plan.refusal = QStringLiteral("コピー先の「%1」は読み取り専用です。").arg(destination.fileName());
        else
            plan.replaces = true;
    }
    return plan;
}

CopyResult ReplayCopyJob::run(Prompter &prompter, QWidget *owner, FileWorkProgress *progress) const
{
    // The plan and the question where dialogs are shown, the copy here.
    CopyPlan planned;
    bool replace = true;
    FileWorkProgress::ask(progress, [&] {
        planned = plan();
        if (planned.refusal.isEmpty() && planned.replaces)
            replace = prompter.confirmReplace(owner, m_destinationPath, m_holds);
    });
    if (!planned.refusal.isEmpty())
        return failed(planned.refusal);
    if (!replace)
        return CopyResult{CopyResult::Outcome::Declined, {}, FileError::Cause::None, {}};
    return copy(progress);
}

CopyResult ReplayCopyJob::copy(FileWorkProgress *progress) const
{
    const QString refusal = plan().refusal;
    if (!refusal.isEmpty())
        return failed(refusal);
    const QString sourceName = QFileInfo(m_sourcePath).fileName();

    QFile source;
    const RegularFile::Result opened = RegularFile::open(source, m_sourcePath);
    if (!opened)
        return sourceFailed(QStringLiteral("コピー元の「%1」を開けません（%2）。").arg(sourceName, RegularFile::reasonText(opened)));

    ReplacementFile target(QFile::encodeName(m_destinationPath));
    if (const FileError error = target.open(); error.failed())
        return failed(QStringLiteral("コピー先に書き込めません。") + error.reasonText(), error.cause);

    // The copy, then the check of what was copied: the bar goes through both.
    const qint64 size = source.size();
    const qint64 total = m_checkReplay ? 2 * size : size;
    const FileError copied = copyFileContent(source.handle(), target.handle(), [progress, total](qint64 done, qint64) {
        if (progress)
            progress->advance(done, total);
        return !FileWorkProgress::isCancelled(progress);
    });
    if (copied.cause == FileError::Cause::Cancelled)
        return cancelled();
    if (copied.failed())
        return failed(QStringLiteral("コピー先への書き込みに失敗しました。") + copied.reasonText(), copied.cause);
    source.close();

    if (m_checkReplay) {
        // The bytes copied are what the destination will hold, so they are
        // what is checked: the source may change at any moment.
        QFile written;
        if (!written.open(target.handle(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
            return failed(QStringLiteral("コピー先に書き込めません。"));
        const ReplayCheck check = ReplayCheck::read(written, progress, size, total);
        if (check.verdict == ReplayCheck::Verdict::Cancelled)
            return cancelled();
        if (check.verdict != ReplayCheck::Verdict::Replay)
            return sourceFailed(QStringLiteral("コピー元の「%1」はリプレイとして読めなくなっています"
                                         "（書き換えられたか、途中で切れています）。コピー先はそのままです。")
                              .arg(sourceName));
        if (!m_identity.isNull() && check.identity != m_identity)
            return sourceFailed(QStringLiteral("コピー元の「%1」は別のリプレイに置き換えられています。コピー先はそのままです。")
                              .arg(sourceName));
    }
    if (FileWorkProgress::isCancelled(progress))
        return cancelled();
    if (const FileError error = target.finish(); error.failed())
        return failed(QStringLiteral("コピー先への書き込みに失敗しました。") + error.reasonText(), error.cause);
    return takeName(target);
}

CopyResult ReplayCopyJob::takeName(ReplacementFile &target) const
{
    const QByteArray destination = QFile::encodeName(m_destinationPath);
    const QFileInfo there(m_destinationPath);
    // A link is replaced itself; a file is kept in the trash; a free name
    // must still be free.
    if (m_mayReplace && there.isSymbolicLink()) {
        if (const FileError error = target.commit(ReplacementFile::Commit::Replace); error.failed())
            return failed(QStringLiteral("コピー先のファイルを置き換えられません。") + error.reasonText(), error.cause);
        return CopyResult{CopyResult::Outcome::Copied, {}, FileError::Cause::None, {}};
    }
    std::optional<TrashedFile> replaced;
    if (m_mayReplace && there.exists()) {
        const QList<TrashFiles::Result> moved = TrashFiles(QList<QByteArray>{destination}).run();
        if (moved.isEmpty() || !moved.front().moved)
            return failed(QStringLiteral("置き換える「%1」をごみ箱に移動できないため、コピーしませんでした。%2")
                              .arg(there.fileName(), moved.isEmpty() ? QString() : moved.front().reason));
        replaced = TrashedFile{there.fileName(), destination, moved.front().trashNativePath, {}};
    }
    if (const FileError error = target.commit(ReplacementFile::Commit::NoReplace); error.failed()) {
        if (replaced)
            putBackFromTrash(replaced->trashPath, destination);
        return failed(error.cause == FileError::Cause::Exists
                          ? QStringLiteral("コピーの間に「%1」という名前のファイルができたため、コピーしませんでした。")
                                .arg(there.fileName())
                          : QStringLiteral("コピー先のファイルを置き換えられません。") + error.reasonText(),
                      error.cause);
    }
    if (replaced)
        replaced->replacedBy = FileIdentity::of(destination);
    return CopyResult{CopyResult::Outcome::Copied, {}, FileError::Cause::None, replaced};
}
