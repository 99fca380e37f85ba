// TrashFiles under Windows: the Recycle Bin, through the shell's file
// operation with undo (SHFileOperationW), from which Explorer can put a file
// back. (QFile::moveToTrash uses the newer IFileOperation, which wine does not
// have.) Names are UTF-16 here, so every path can be named and no file needs
// the raw-name way of the desktop trash. The shell does not say where in the
// Recycle Bin a file went: trashPath stays empty.
#include "operations/TrashFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <qt_windows.h>
#include <shellapi.h>

#include <utility>

namespace {

// The Recycle Bin's folder on each drive.
const QString RecycleBin = QStringLiteral("$Recycle.Bin");

} // namespace

TrashFiles::TrashFiles(QStringList paths)
{
    m_entries.reserve(paths.size());
    for (QString &path : paths)
        m_entries.append({std::move(path), {}});
}

TrashFiles::TrashFiles(QList<QByteArray> rawPaths)
{
    m_entries.reserve(rawPaths.size());
    for (const QByteArray &raw : rawPaths)
        m_entries.append({QFile::decodeName(raw), {}});
}

QString TrashFiles::ensureHomeTrash()
{
    return {};
}

bool TrashFiles::isInTrash(const QString &path, const QString &homeTrash)
{
    Q_UNUSED(homeTrash)
    const QStringList parts = QDir::fromNativeSeparators(QDir::cleanPath(path)).split(u'/');
    return parts.size() > 2 && parts.sliced(0, parts.size() - 1).contains(RecycleBin, Qt::CaseInsensitive);
}

QList<TrashFiles::Result> TrashFiles::run() const
{
    QList<Result> results;
    results.reserve(m_entries.size());
    for (const Entry &entry : m_entries) {
        Result result = moveNamed(entry.path, {});
        result.path = entry.path;
        results.append(result);
    }
    return results;
}

TrashFiles::Result TrashFiles::moveNamed(const QString &path, const QString &homeTrash)
{
    Q_UNUSED(homeTrash)
    Result result;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        result.reason = QStringLiteral("ファイルが見つかりません。");
    } else if (info.isDir() && !info.isSymLink()) {
        result.reason = QStringLiteral("ファイルではありません。");
    } else {
        // The list the shell takes ends with two NULs.
        const QString list = QDir::toNativeSeparators(info.absoluteFilePath()) + QChar(u'\0') + QChar(u'\0');
        SHFILEOPSTRUCTW operation {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = reinterpret_cast<const wchar_t *>(list.utf16());
        // Undo: into the Recycle Bin. The one question the shell may still ask
        // is before a file that cannot go there would be deleted for good.
        operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT | FOF_WANTNUKEWARNING;
        const int error = SHFileOperationW(&operation);
        if (error != 0 || operation.fAnyOperationsAborted || QFileInfo::exists(path)) {
            // Codes below 0x71 are system error codes; the shell's own ones
            // have no text.
            const QString why = error > 0 && error < 0x71 ? qt_error_string(error)
                : QStringLiteral("エラー 0x%1").arg(error, 0, 16);
            result.reason = QStringLiteral("ごみ箱に移動できませんでした（%1）。")
                                .arg(error == 0 ? QStringLiteral("取り消されました") : why);
        } else {
            result.moved = true;
        }
    }
    return result;
}
