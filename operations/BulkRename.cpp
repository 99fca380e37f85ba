#include "operations/BulkRename.h"

#include "operations/FileWorkProgress.h"
#include "operations/TrashedFile.h"
#include "platform/FileListMessage.h"
#include "platform/NoReplaceRename.h"

#include <QFile>
#include <QSet>
#include <QStringList>

QList<BulkRenameRow> BulkRename::plan(const QString &folder, const QList<Source> &files,
                                      const NameTemplate &nameTemplate, int *unchanged)
{
    QList<BulkRenameRow> rows;
    QSet<QString> chosen; // letter case ignored: the folder may ignore it
    int same = 0;
    for (const Source &file : files) {
        const std::optional<FileIdentity> self = FileIdentity::of(QFile::encodeName(folder + file.fileName));
        bool suffixed = false;
        const QString name = nameTemplate.fileName(
            NameSource{&file.replay, -1, file.fileName},
            [&](const QString &candidate) {
                if (chosen.contains(candidate.toCaseFolded()))
                    return true;
                if (candidate == file.fileName)
                    return false;
                const std::optional<FileIdentity> there = FileIdentity::of(QFile::encodeName(folder + candidate));
                // The file itself under another letter case is no other file.
                return there.has_value()
                    && !(self && there->device == self->device && there->inode == self->inode);
            },
            &suffixed);
        chosen.insert((name.isEmpty() ? file.fileName : name).toCaseFolded());
        if (name.isEmpty() || name == file.fileName) {
            ++same;
            continue;
        }
        rows.append(BulkRenameRow{file.fileName, name, suffixed});
    }
    if (unchanged)
        *unchanged = same;
    return rows;
}

CommandResult BulkRename::run(const QString &folder, const QList<BulkRenameRow> &rows, FileWorkProgress *progress)
{
    CommandResult result;
    QStringList failures;
    const QByteArray dir = QFile::encodeName(folder);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const BulkRenameRow &row = rows[i];
        if (progress)
            progress->beginFile(int(i), int(rows.size()), row.oldName);
        if (FileWorkProgress::isCancelled(progress))
            break;
        const FileError error = renameNoReplace(dir + QFile::encodeName(row.oldName), dir + QFile::encodeName(row.newName));
        QString reason;
        if (error.cause == FileError::Cause::Exists)
            reason = QStringLiteral("「%1」という名前のファイルが既にあるため、変更しませんでした。").arg(row.newName);
        else if (error.cause == FileError::Cause::Missing)
            reason = QStringLiteral("ファイルが見つかりません。");
        else if (error.failed())
            reason = QStringLiteral("名前を変更できませんでした。") + error.reasonText();
        result.files.append(FileOutcome{row.oldName, !error.failed(), reason});
        if (error.failed())
            failures.append(QStringLiteral("%1：%2").arg(row.oldName, reason));
    }
    for (qsizetype i = result.files.size(); i < rows.size(); ++i)
        result.untouched.append(rows[i].oldName);
    const FileListMessage message = FileListMessage::of(QStringLiteral("次のファイルの名前を変更できませんでした。"), failures);
    result.message = message.text;
    result.details = message.details;
    return result;
}
