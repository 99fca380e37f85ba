#include "operations/TrashFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <utility>

namespace {

constexpr QFile::Permissions OwnerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// Creates every missing folder of path, each with mode 0700. True when path
// is a folder afterwards.
bool makeOwnerFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (info.exists() || info.isSymLink()) // a file (or broken link) in the way
        return false;
    const QString parent = info.absolutePath();
    if (parent == info.absoluteFilePath() || !makeOwnerFolder(parent))
        return false;
    if (!QDir().mkdir(info.absoluteFilePath()) && !QFileInfo(path).isDir())
        return false;
    QFile::setPermissions(info.absoluteFilePath(), OwnerOnly);
    return QFileInfo(path).isDir();
}

// Puts a file that went somewhere other than a trash folder back where it
// was and removes the note the trashing left beside it. False when the file
// could not be put back.
bool putBack(const QString &movedTo, const QString &original)
{
    if (!QFile::rename(movedTo, original))
        return false;
    const QFileInfo moved(movedTo);
    const QDir info(moved.absolutePath() + QStringLiteral("/../info"));
    QFile::remove(info.absoluteFilePath(moved.fileName() + QStringLiteral(".trashinfo")));
    return true;
}

} // namespace

TrashFiles::TrashFiles(QStringList paths)
    : m_paths(std::move(paths))
{
}

QString TrashFiles::ensureHomeTrash()
{
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty())
        return {};
    const QString trash = QDir::cleanPath(QDir(dataHome).absoluteFilePath(QStringLiteral("Trash")));
    for (const QString &part : {QStringLiteral("/files"), QStringLiteral("/info")}) {
        if (!makeOwnerFolder(trash + part) || !QFileInfo(trash + part).isWritable())
            return {};
    }
    return trash;
}

bool TrashFiles::isInTrash(const QString &path, const QString &homeTrash)
{
    const QFileInfo entry(QDir::cleanPath(path));
    const QFileInfo files(entry.absolutePath());
    if (files.fileName() != QStringLiteral("files"))
        return false;
    const QFileInfo trash(files.absolutePath());
    if (!homeTrash.isEmpty() && trash.absoluteFilePath() == QDir::cleanPath(homeTrash))
        return true;
    return trash.fileName().startsWith(QStringLiteral(".Trash-"))
        || QFileInfo(trash.absolutePath()).fileName() == QStringLiteral(".Trash");
}

QList<TrashFiles::Result> TrashFiles::run() const
{
    // Without a usable trash folder in the user's data folder the platform's
    // trashing either moves a file into a "files" folder under the current
    // folder and calls that a success, or retries a note it cannot write for
    // ever. So nothing is moved without that folder, and where each file
    // went is checked.
    const QString homeTrash = ensureHomeTrash();

    QList<Result> results;
    results.reserve(m_paths.size());
    for (const QString &path : m_paths) {
        Result result;
        result.path = path;
        const QFileInfo info(path);
        if (!info.exists() && !info.isSymLink()) {
            result.reason = QStringLiteral("ファイルが見つかりません。");
        } else if (info.isDir() && !info.isSymLink()) {
            result.reason = QStringLiteral("ファイルではありません。");
        } else if (homeTrash.isEmpty()) {
            result.reason = QStringLiteral("ごみ箱フォルダを用意できませんでした。");
        } else if (QFile::encodeName(info.fileName()).size() > MaxNameBytes) {
            result.reason = QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。");
        } else {
            QFile file(path);
            if (!file.moveToTrash()) {
                result.reason = QStringLiteral("ごみ箱に移動できませんでした（%1）。").arg(file.errorString());
            } else if (!isInTrash(file.fileName(), homeTrash)) {
                result.reason = QStringLiteral("ごみ箱フォルダを用意できませんでした。");
                if (!putBack(file.fileName(), path))
                    result.reason += QStringLiteral("ファイルは「%1」に移動しました。")
                                         .arg(QFileInfo(file.fileName()).absoluteFilePath());
            } else {
                result.moved = true;
                result.trashPath = file.fileName();
            }
        }
        results.append(result);
    }
    return results;
}
