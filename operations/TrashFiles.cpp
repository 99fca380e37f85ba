#include "operations/TrashFiles.h"

#include "operations/FileWorkProgress.h"
#include "platform/FileError.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

// Where a file goes is the system's: TrashFilesPosix.cpp (the desktop trash)
// and TrashFilesWindows.cpp (the Recycle Bin).

TrashFiles::TrashFiles(QStringList paths)
{
    m_entries.reserve(paths.size());
    for (QString &path : paths)
        m_entries.append({std::move(path), {}});
}

TrashFiles::TrashFiles(QList<QByteArray> rawPaths)
{
    m_entries.reserve(rawPaths.size());
    for (const QByteArray &raw : rawPaths) {
        const QString path = QFile::decodeName(raw);
        // Only a path that comes back as the same bytes can go the usual way.
        m_entries.append({path, QFile::encodeName(path) == raw ? QByteArray() : raw});
    }
}

QString TrashFiles::reasonText(const FileError &error)
{
    switch (error.cause) {
    case FileError::Cause::Missing:
        return QStringLiteral("ファイルが見つかりません。");
    case FileError::Cause::CrossVolume:
        return QStringLiteral("ごみ箱と別のドライブにあるため、ごみ箱に移動できません。");
    case FileError::Cause::Other:
        return error.systemError != 0
            ? QStringLiteral("ごみ箱に移動できませんでした（%1）。").arg(FileError::systemText(error.systemError))
            : QStringLiteral("ごみ箱に移動できませんでした。");
    default:
        return QStringLiteral("ごみ箱に移動できませんでした。") + error.reasonText();
    }
}

QList<TrashFiles::Result> TrashFiles::run(FileWorkProgress *progress) const
{
    // Without a usable trash folder in the user's data folder the platform's
    // trashing either moves a file into a "files" folder under the current
    // folder and calls that a success, or retries a note it cannot write for
    // ever. So nothing is moved without that folder, and where each file
    // went is checked.
    const QString homeTrash = ensureHomeTrash();

    QList<Result> results;
    results.reserve(m_entries.size());
    for (const Entry &entry : m_entries) {
        if (progress)
            progress->beginFile(int(results.size()), int(m_entries.size()), QFileInfo(entry.path).fileName());
        if (FileWorkProgress::isCancelled(progress))
            break;
        Result result = entry.rawPath.isEmpty() ? moveNamed(entry.path, homeTrash, m_mover) : moveRaw(entry.rawPath, homeTrash);
        result.path = entry.path;
        results.append(result);
    }
    return results;
}
