#include "operations/TrashCommand.h"

#include "operations/FileWorkRunner.h"
#include "operations/TrashFiles.h"
#include "platform/Prompter.h"

#include <QStringList>

#include <algorithm>

TrashCommand::TrashCommand(Prompter &prompter, QWidget *owner, FileWorkRunner *runner)
    : m_prompter(prompter),
      m_owner(owner),
      m_runner(runner)
{
}

CommandResult TrashCommand::run(const QList<TrashItem> &items, int hidden) const
{
    CommandResult result;
    QStringList shownPaths;
    QList<QByteArray> paths;
    for (const TrashItem &item : items) {
        shownPaths.append(item.shownPath);
        paths.append(item.path);
    }
    // The question where dialogs are shown, the moving on the runner.
    const QList<TrashFiles::Result> moved =
        FileWorkRunner::run(m_runner, QStringLiteral("ごみ箱に移動中"), [&](FileWorkProgress &progress) {
            progress.ask([&] { result.cancelled = !m_prompter.confirmDelete(m_owner, shownPaths, hidden); });
            return result.cancelled ? QList<TrashFiles::Result>() : TrashFiles(paths).run(&progress);
        });
    if (result.cancelled)
        return result;
    for (qsizetype i = 0; i < moved.size(); ++i) {
        result.files.append(FileOutcome{items[i].shownName, moved[i].moved, moved[i].reason});
        if (moved[i].moved)
            result.trashed.append(TrashedFile{items[i].shownName, items[i].path, moved[i].trashNativePath, {}});
    }
    for (qsizetype i = moved.size(); i < items.size(); ++i)
        result.untouched.append(items[i].shownName);
    const FileListMessage message = failureMessage(result.files);
    result.message = message.text;
    result.details = message.details;
    if (const qsizetype done = std::count_if(result.files.cbegin(), result.files.cend(),
                                             [](const FileOutcome &file) { return file.done; }))
        result.summary = QStringLiteral("%1 件をごみ箱に移動しました").arg(done);
    return result;
}

FileListMessage TrashCommand::failureMessage(const QList<FileOutcome> &files)
{
    QStringList lines;
    for (const FileOutcome &file : files) {
        if (!file.done)
            lines.append(QStringLiteral("%1：%2").arg(file.name, file.reason));
    }
    if (lines.isEmpty())
        return {};
    return FileListMessage::of(QStringLiteral("次のファイルをごみ箱に移動できませんでした。"), lines);
}
