#include "operations/TrashUndo.h"

#include "operations/FileWorkProgress.h"
#include "operations/TrashFiles.h"
#include "platform/FileListMessage.h"

#include <QFile>
#include <QStringList>

namespace {

// Why a file could not come back, as a clause.
QString reasonOf(const FileError &error)
{
    switch (error.cause) {
    case FileError::Cause::Exists:
        return QStringLiteral("同じ名前のファイルが既にあるため、戻せません。");
    case FileError::Cause::Missing:
        return QStringLiteral("ごみ箱にないか、元のフォルダがありません。");
    default:
        return QStringLiteral("ごみ箱から戻せませんでした。") + error.reasonText();
    }
}

} // namespace

void TrashUndo::remember(const QList<TrashedFile> &files)
{
    // Only a file whose place in the trash is known can come back (the
    // Recycle Bin's shell call does not tell it).
    QList<TrashedFile> known;
    for (const TrashedFile &file : files) {
        if (!file.trashPath.isEmpty())
            known.append(file);
    }
    if (!known.isEmpty())
        m_files = known;
}

CommandResult TrashUndo::run(FileWorkProgress *progress)
{
    CommandResult result;
    QList<TrashedFile> left;
    QStringList failures;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        const TrashedFile &file = m_files[i];
        if (progress)
            progress->beginFile(int(i), int(m_files.size()), file.name);
        if (FileWorkProgress::isCancelled(progress)) {
            for (const TrashedFile &untried : m_files.mid(i))
                result.untouched.append(untried.name);
            left += m_files.mid(i);
            break;
        }
        const auto fail = [&](const QString &reason, bool keep) {
            result.files.append(FileOutcome{file.name, false, reason});
            failures.append(QStringLiteral("%1：%2").arg(file.name, reason));
            if (keep)
                left.append(file);
        };
        if (!FileIdentity::of(file.trashPath)) {
            fail(QStringLiteral("ごみ箱にありません（ごみ箱から削除されたか、既に戻されています）。"), false);
            continue;
        }
        // The copy that took the file's place makes way for it, to the trash.
        TrashedFile madeWay;
        const std::optional<FileIdentity> now = FileIdentity::of(file.path);
        if (file.replacedBy && now && *now == *file.replacedBy) {
            const QList<TrashFiles::Result> moved = TrashFiles(QList<QByteArray>{file.path}).run();
            if (moved.isEmpty() || !moved.front().moved) {
                fail(moved.isEmpty() ? QString() : moved.front().reason, true);
                continue;
            }
            madeWay = TrashedFile{file.name, file.path, moved.front().trashNativePath, {}};
        }
        const FileError back = putBackFromTrash(file.trashPath, file.path);
        if (back.failed()) {
            if (!madeWay.trashPath.isEmpty())
                putBackFromTrash(madeWay.trashPath, madeWay.path);
            fail(reasonOf(back), FileIdentity::of(file.trashPath).has_value());
            continue;
        }
        result.files.append(FileOutcome{file.name, true, {}});
    }
    m_files = left;
    const FileListMessage message = FileListMessage::of(QStringLiteral("次のファイルをごみ箱から戻せませんでした。"), failures);
    result.message = message.text;
    result.details = message.details;
    return result;
}
