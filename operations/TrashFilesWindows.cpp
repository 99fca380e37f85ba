// The Recycle Bin, through the shell's file operation with undo
// (SHFileOperationW), from which Explorer can put a file back. (Qt's
// QFile::moveToTrash uses the newer IFileOperation, which wine does not
// have.) Names are UTF-16 here, so every path can be named and no file needs
// the raw-name way of the desktop trash. The shell does not say where in the
// Recycle Bin a file went: trashPath stays empty.
#include "operations/TrashFiles.h"

#include "platform/FileError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <qt_windows.h>
#include <shellapi.h>

namespace {

// The Recycle Bin's folder on each drive.
const QString RecycleBin = QStringLiteral("$Recycle.Bin");

// The shell's own codes start above the system's (which it also returns).
constexpr int FirstShellCode = 0x71;

QString shellFailure(int code, bool aborted)
{
    if (code == 0)
        return aborted ? QStringLiteral("ごみ箱に移動できませんでした（取り消されました）。")
                       : QStringLiteral("ごみ箱に移動できませんでした。");
    if (code > 0 && code < FirstShellCode)
        return TrashFiles::reasonText(FileError::fromSystem(code));
    return QStringLiteral("ごみ箱に移動できませんでした（エラー 0x%1）。").arg(code, 0, 16);
}

} // namespace

QString TrashFiles::ensureHomeTrash()
{
    return {};
}

bool TrashFiles::isInTrash(const QString &path, const QString &)
{
    const QStringList parts = QDir::fromNativeSeparators(QDir::cleanPath(path)).split(u'/');
    return parts.size() > 2 && parts.sliced(0, parts.size() - 1).contains(RecycleBin, Qt::CaseInsensitive);
}

TrashFiles::Result TrashFiles::moveNamed(const QString &path, const QString &, const Mover &mover)
{
    Result result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        result.reason = QStringLiteral("ファイルが見つかりません。");
        return result;
    }
    if (info.isDir() && !info.isSymLink()) {
        result.reason = QStringLiteral("ファイルではありません。");
        return result;
    }
    if (mover) {
        QFile file(path);
        result.moved = mover(file);
        if (!result.moved)
            result.reason = reasonText(FileError::fromSystemText(file.errorString()));
        return result;
    }
    // The list the shell takes ends with two NULs.
    const QString list = QDir::toNativeSeparators(info.absoluteFilePath()) + QChar(u'\0') + QChar(u'\0');
    SHFILEOPSTRUCTW operation {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = reinterpret_cast<const wchar_t *>(list.utf16());
    // Undo: into the Recycle Bin. The one question the shell may still ask is
    // before a file that cannot go there would be deleted for good.
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
    const int code = SHFileOperationW(&operation);
    if (code != 0 || operation.fAnyOperationsAborted || QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        result.reason = shellFailure(code, operation.fAnyOperationsAborted);
    else
        result.moved = true;
    return result;
}

TrashFiles::Result TrashFiles::moveRaw(const QByteArray &rawPath, const QString &homeTrash)
{
    // Every name has its UTF-16 form here; no bytes need keeping.
    return moveNamed(QFile::decodeName(rawPath), homeTrash, {});
}
