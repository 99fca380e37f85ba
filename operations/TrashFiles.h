#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class FileWorkProgress;
class QFile;
struct FileError;

// Moves files into the user's trash (under Windows the Recycle Bin), one
// after the other, and tells for each whether it went and, when not, why. A
// file that could not be moved stays where it was.
class TrashFiles {
public:
    struct Result {
        QString path;      // as given
        bool moved = false;
        QString reason;    // why not, for the user; empty when moved
        QString trashPath; // where it went; empty when not moved
        QByteArray trashNativePath; // the same as the system spells it (undo needs the bytes)
    };

    explicit TrashFiles(QStringList paths);
    // Paths as the system spells them: also names that are not UTF-8, which
    // no path string can name (Result::path is then their lossy decoding).
    // Such a file goes to the trash of the user's data folder when it is on
    // the same volume, under its own bytes, with a note that gives them back.
    explicit TrashFiles(QList<QByteArray> rawPaths);

    // One result per path, in the given order. progress (may be null) is
    // told of each file before it is moved; once it is cancelled no further
    // file is moved, and the results end with the last file tried.
    QList<Result> run(FileWorkProgress *progress = nullptr) const;

    // How a file with a name is moved to the trash (QFile::moveToTrash; on
    // success the file names where it went). Tests put a mover here that
    // misplaces the file.
    using Mover = std::function<bool(QFile &file)>;
    void setMover(Mover mover) { m_mover = std::move(mover); }

    // Makes sure the trash folder in the user's data folder exists, with its
    // "files" and "info" folders (created with mode 0700 where missing) that
    // can be written to. The trash folder's path, or an empty string when it
    // cannot be had (always under Windows, which has no such folder).
    static QString ensureHomeTrash();

    // The longest file name, in bytes, that is moved: the trash keeps a note
    // named after the file plus ".trashinfo" and, when the trash holds the
    // name already, a "-0001" count, and neither may pass the file system's
    // limit of 255 bytes.
    static constexpr int MaxNameBytes = 240;

    // True when path names an entry in the "files" folder of a trash folder:
    // the user's own (homeTrash) or the per-user trash of another volume
    // (".Trash-<uid>" or ".Trash/<uid>"); under Windows, an entry under a
    // drive's "$Recycle.Bin".
    static bool isInTrash(const QString &path, const QString &homeTrash);

    // Why a file could not be moved, for the user.
    static QString reasonText(const FileError &error);

private:
    struct Entry {
        QString path;
        QByteArray rawPath; // set only for a path no string can name
    };
    static Result moveNamed(const QString &path, const QString &homeTrash, const Mover &mover);
    static Result moveRaw(const QByteArray &rawPath, const QString &homeTrash);

    QList<Entry> m_entries;
    Mover m_mover; // none: QFile::moveToTrash
};
