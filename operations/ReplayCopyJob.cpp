#include "operations/ReplayCopyJob.h"

#include "operations/CopyTargetName.h"
#include "platform/Prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 CopyChunkSize = 64 * 1024;

// Opens path for reading only when it is a regular file (or a link to one).
// A FIFO or device must never be opened plainly: the open itself could block
// the window for good. The check is made on the opened descriptor, so a file
// swapped for something else after it was chosen is refused as well. On
// failure, error holds the system's text.
bool openRegularFile(QFile &file, const QString &path, QString &error)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = qt_error_string(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error = QStringLiteral("通常のファイルではありません");
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        error = file.errorString();
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return true;
    error = file.errorString();
    return false;
#endif
}

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

    QFile source;
    QString error;
    if (!openRegularFile(source, m_sourcePath, error))
        return failed(withError(QStringLiteral("コピー元の「%1」を開けません").arg(sourceName), error));

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

    // Unbuffered, so that every write reports its own count: buffered bytes
    // written by commit() could fall short unseen and leave a cut replay.
    QSaveFile target(m_destinationPath);
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
    source.close();
    if (!target.commit())
        return failed(withError(QStringLiteral("コピー先のファイルを置き換えられません"), target.errorString()));
    return CopyResult{CopyResult::Outcome::Copied, {}};
}
