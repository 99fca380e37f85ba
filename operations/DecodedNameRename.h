#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class FileWorkProgress;

// Renames files whose names are not UTF-8 (Shift-JIS names kept from a
// Japanese archive) to their Shift-JIS decoding, so that the program can
// name and read them. Never replaces an existing file; a name that does not
// decode cleanly is left alone. One result per file.
class DecodedNameRename {
public:
    struct Result {
        QByteArray name;   // the old name, as given
        QString newName;   // the decoded name (empty when there is none)
        bool renamed = false;
        QString reason;    // why not, for the user; empty when renamed
    };

    // The name a file would get: its bytes decoded as Shift-JIS. Empty, with
    // the reason, when that is not a clean file name (an undecodable byte, a
    // control character, or a name that is UTF-8 already).
    static QString decodedName(const QByteArray &name, QString *reason = nullptr);

    // folder ends with "/"; names are raw names within it.
    DecodedNameRename(QString folder, QList<QByteArray> names);

    // Renames in the given order. progress (may be null) is told of each
    // file before it is renamed; once it is cancelled no further file is
    // renamed, and the results end with the last file tried.
    QList<Result> run(FileWorkProgress *progress = nullptr) const;

private:
    QString m_folder;
    QList<QByteArray> m_names;
};
