#include "operations/ReplayCopyJob.h"

#include "operations/CopyTargetName.h"
#include "operations/CopyTargetQuery.h"
#include "platform/Prompter.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <vector>

namespace {

constexpr qint64 CopyChunkSize = 64 * 1024;

CopyResult failed(const QString &reason)
{
    return CopyResult{CopyResult::Outcome::Failed, reason};
}

QString withError(const QString &what, const QString &error)
{
    return error.isEmpty() ? what + QStringLiteral("。") : QStringLiteral("%1（%2）。").arg(what, error);
}

} // namespace

ReplayCopyJob::ReplayCopyJob(const QString &sourcePath, const QString &destinationPath)
    : m_sourcePath(sourcePath),
      m_destinationPath(destinationPath)
{
}

QString ReplayCopyJob::holdsText(const SlotSummary &slot)
{
    if (slot.dungeon.isEmpty() && slot.chara.isEmpty() && slot.score.isEmpty() && slot.player.isEmpty())
        return {};
    return QStringLiteral("ダンジョン名：%1 %2\n使用キャラ：%3\nスコア：%4\nプレイヤー名：%5")
        .arg(slot.dungeon, slot.floors, slot.chara, slot.score, slot.player);
}

CopyResult ReplayCopyJob::run(Prompter &prompter, QWidget *owner) const
{
    const QString sourceName = QFileInfo(m_sourcePath).fileName();
    const QString refusal = destinationRefusal(m_destinationPath, m_sourcePath);
    if (!refusal.isEmpty())
        return failed(refusal);

    // A FIFO or device named like the source must never block the window.
    QFile source;
    const RegularFile::Result opened = RegularFile::open(source, m_sourcePath);
    if (!opened)
        return failed(withError(QStringLiteral("コピー元の「%1」を開けません").arg(sourceName),
                                RegularFile::reasonText(opened)));

    const QFileInfo destination(m_destinationPath);
    if (destination.exists()) {
        if (!destination.isFile())
            return failed(QStringLiteral("コピー先の「%1」は通常のファイルではありません。").arg(destination.fileName()));
        // Renaming over the file would replace it even when it is marked
        // read-only (and root ignores the mark altogether).
        if (!(destination.permissions() & QFileDevice::WriteOwner))
            return failed(QStringLiteral("コピー先の「%1」は読み取り専用です。").arg(destination.fileName()));
        if (!prompter.confirmReplace(owner, m_destinationPath, m_holds))
            return CopyResult{CopyResult::Outcome::Declined, {}};
    }

    const CopyResult copied = copyInto(source, m_destinationPath, sourceName);
    source.close();
    return copied;
}

CopyResult ReplayCopyJob::copyInto(QIODevice &source, const QString &destinationPath, const QString &sourceName)
{
    // Unbuffered, so that every write reports its own count: buffered bytes
    // written by commit() could fall short unseen and leave a cut replay.
    QSaveFile target(destinationPath);
    if (!target.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(withError(QStringLiteral("コピー先に書き込めません"), target.errorString()));

    std::vector<char> chunk(static_cast<size_t>(CopyChunkSize));
    qint64 total = 0;
    for (;;) {
        const qint64 got = source.read(chunk.data(), CopyChunkSize);
        if (got < 0) {
            target.cancelWriting();
            return failed(withError(QStringLiteral("コピー元の「%1」を読み込めません").arg(sourceName),
                                    source.errorString()));
        }
        if (got == 0)
            break;
        if (target.write(chunk.data(), got) != got) {
            const QString text = target.errorString();
            target.cancelWriting();
            return failed(withError(QStringLiteral("コピー先への書き込みに失敗しました"), text));
        }
        total += got;
    }
    if (target.size() != total) {
        target.cancelWriting();
        return failed(QStringLiteral("コピー先への書き込みに失敗しました。"));
    }
    if (!target.commit())
        return failed(withError(QStringLiteral("コピー先のファイルを置き換えられません"), target.errorString()));
    return CopyResult{CopyResult::Outcome::Copied, {}};
}
