// The desktop trash of the user's data folder (and the per-user trash of
// other volumes), as Linux desktops keep it.
#include "operations/TrashFiles.h"

#include "platform/FileError.h"
#include "platform/ReplacementFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The trash's note for a file that was at absolutePath (its bytes as the
// system spells them). The path is escaped as in URLs, so that a name with
// "%", a blank, a line break or bytes that are not UTF-8 comes back as it was
// when a file manager restores it.
QByteArray trashNote(const QByteArray &absolutePath)
{
    return "[Trash Info]\nPath=" + absolutePath.toPercentEncoding("/") + "\nDeletionDate="
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toUtf8() + '\n';
}

// The platform's trashing writes the path of a named file into its note as
// it is, unescaped: the note is written again in the trash's own form. The
// file is in the trash either way; a note that cannot be written again
// keeps what it held.
void rewriteNote(const QString &trashedPath, const QString &originalPath)
{
    const QFileInfo trashed(trashedPath);
    const QString note = QDir::cleanPath(trashed.absolutePath() + QStringLiteral("/../info/") + trashed.fileName()
                                         + QStringLiteral(".trashinfo"));
    if (!QFileInfo(note).isFile())
        return;
    ReplacementFile file(QFile::encodeName(note));
    const QByteArray text = trashNote(QFile::encodeName(QFileInfo(originalPath).absoluteFilePath()));
    if (!file.open().failed() && !file.write(text.constData(), text.size()).failed())
        file.commit();
}

} // namespace

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

TrashFiles::Result TrashFiles::moveNamed(const QString &path, const QString &homeTrash, const Mover &mover)
{
    Result result;
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
        if (!(mover ? mover(file) : file.moveToTrash())) {
            // The trashing keeps its error code to itself and gives the
            // system's English text, or none ("Unknown error"): a known cause
            // is said in the program's words, another text is kept.
            const FileError error = FileError::fromSystemText(file.errorString());
            const bool textless = file.errorString() == QFile().errorString();
            result.reason = error.cause != FileError::Cause::Other || textless
                ? reasonText(error)
                : QStringLiteral("ごみ箱に移動できませんでした（%1）。").arg(file.errorString());
        } else if (!isInTrash(file.fileName(), homeTrash)) {
            result.reason = QStringLiteral("ごみ箱フォルダを用意できませんでした。");
            if (!putBack(file.fileName(), path))
                result.reason += QStringLiteral("ファイルは「%1」に移動しました。")
                                     .arg(QFileInfo(file.fileName()).absoluteFilePath());
        } else {
            result.moved = true;
            result.trashPath = file.fileName();
            result.trashNativePath = QFile::encodeName(file.fileName());
            rewriteNote(result.trashPath, path);
        }
    }
    return result;
}

TrashFiles::Result TrashFiles::moveRaw(const QByteArray &rawPath, const QString &homeTrash)
{
    // The trash's own layout, done by hand: a note "<name>.trashinfo" made
    // exclusively in "info" (a name taken gets a "-0001" count), then the
    // file renamed into "files" under the same name. The note records the
    // path's bytes, percent-encoded, so that restoring gives them back.
    Result result;
    const auto fail = [&result](const QString &reason) {
        result.reason = reason;
        return result;
    };
    const auto systemFailure = [&fail](int error) { return fail(reasonText(FileError::fromSystem(error))); };
    struct stat source {};
    if (::lstat(rawPath.constData(), &source) != 0)
        return systemFailure(errno);
    if (S_ISDIR(source.st_mode))
        return fail(QStringLiteral("ファイルではありません。"));
    if (homeTrash.isEmpty())
        return fail(QStringLiteral("ごみ箱フォルダを用意できませんでした。"));
    const QByteArray name = rawPath.mid(rawPath.lastIndexOf('/') + 1);
    if (name.size() > MaxNameBytes)
        return fail(QStringLiteral("ファイル名が長すぎるため、ごみ箱に移動できません。"));
    const QByteArray trash = QFile::encodeName(homeTrash);
    struct stat files {};
    if (::stat((trash + "/files").constData(), &files) != 0)
        return fail(QStringLiteral("ごみ箱フォルダを用意できませんでした。"));
    // A move to another volume would be a copy; that is left undone.
    if (files.st_dev != source.st_dev)
        return systemFailure(EXDEV);

    QByteArray absolute = rawPath;
    if (!absolute.startsWith('/'))
        absolute = QFile::encodeName(QDir::currentPath()) + '/' + absolute;
    const QByteArray note = trashNote(absolute);

    // A bounded search for a free name: a trash that refuses every note
    // must not keep the program busy.
    constexpr int Tries = 10000;
    for (int count = 0; count < Tries; ++count) {
        const QByteArray trashedName =
            count == 0 ? name : name + '-' + QByteArray::number(count).rightJustified(4, '0');
        const QByteArray target = trash + "/files/" + trashedName;
        struct stat taken {};
        if (::lstat(target.constData(), &taken) == 0)
            continue;
        const QByteArray notePath = trash + "/info/" + trashedName + ".trashinfo";
        const int fd = ::open(notePath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return systemFailure(errno);
        }
        int error = ::write(fd, note.constData(), size_t(note.size())) == note.size() ? 0 : (errno ? errno : EIO);
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0) {
            ::unlink(notePath.constData());
            return systemFailure(error);
        }
        if (::rename(rawPath.constData(), target.constData()) != 0) {
            const int error = errno;
            ::unlink(notePath.constData());
            return systemFailure(error);
        }
        result.moved = true;
        result.trashPath = QFile::decodeName(target);
        result.trashNativePath = target;
        return result;
    }
    return systemFailure(EEXIST);
}
