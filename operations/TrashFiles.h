#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Moves files into the user's trash, one after the other, and tells for each
// whether it went and, when not, why. A file that could not be moved stays
// where it was.
class TrashFiles {
public:
    struct Result {
        QString path;      // as given
        bool moved = false;
        QString reason;    // why not, for the user; empty when moved
        QString trashPath; // where it went; empty when not moved
    };

    explicit TrashFiles(QStringList paths);

    // One result per path, in the given order.
    QList<Result> run() const;

    // Makes sure the trash folder in the user's data folder exists, with its
    // "files" and "info" folders (created with mode 0700 where missing) that
    // can be written to. The trash folder's path, or an empty string when it
    // cannot be had.
    static QString ensureHomeTrash();

    // The longest file name, in bytes, that is moved: the trash keeps a note
    // named after the file plus ".trashinfo" and, when the trash holds the
    // name already, a "-0001" count, and neither may pass the file system's
    // limit of 255 bytes.
    static constexpr int MaxNameBytes = 240;

    // True when path names an entry in the "files" folder of a trash folder:
    // the user's own (homeTrash) or the per-user trash of another volume
    // (".Trash-<uid>" or ".Trash/<uid>").
    static bool isInTrash(const QString &path, const QString &homeTrash);

private:
    QStringList m_paths;
};
