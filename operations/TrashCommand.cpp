#include "operations/TrashCommand.h"

#include "operations/TrashFiles.h"
#include "platform/Prompter.h"

#include <QStringList>

#include <algorithm>

TrashCommand::TrashCommand(Prompter &prompter, QWidget *owner)
    : m_prompter(prompter),
      m_owner(owner)
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
    if (!m_prompter.confirmDelete(m_owner, shownPaths, hidden)) {
        result.cancelled = true;
        return result;
    }
    const QList<TrashFiles::Result> moved = TrashFiles(paths).run();
    for (qsizetype i = 0; i < moved.size(); ++i)
        result.files.append(FileOutcome{items[i].shownName, moved[i].moved, moved[i].reason});
    result.message = failureMessage(result.files);
    if (const qsizetype moved = std::count_if(result.files.cbegin(), result.files.cend(),
                                              [](const FileOutcome &file) { return file.done; }))
        result.summary = QStringLiteral("%1 件をごみ箱に移動しました").arg(moved);
    return result;
}

QString TrashCommand::failureMessage(const QList<FileOutcome> &files)
{
    QStringList lines;
    for (const FileOutcome &file : files) {
        if (!file.done)
            lines.append(QStringLiteral("%1：%2").arg(file.name, file.reason));
    }
    if (lines.isEmpty())
        return {};
    return QStringLiteral("次のファイルをごみ箱に移動できませんでした。\n\n%1").arg(lines.join(QLatin1Char('\n')));
}
