#include "app/UnreadableFilesCommand.h"

#include "app/ReplayWorkspace.h"
#include "operations/DecodedNameRename.h"
#include "operations/TrashCommand.h"
#include "operations/TrashUndo.h"
#include "platform/FileListMessage.h"

#include <QFile>
#include <QStringList>

namespace {

QString hexBytes(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

UnreadableFilesCommand::UnreadableFilesCommand(ReplayWorkspace &workspace, Prompter &prompter, QWidget *owner)
    : m_workspace(workspace),
      m_prompter(prompter),
      m_owner(owner)
{
}

UnreadableFilesRequest UnreadableFilesCommand::request(const QList<QByteArray> &selected) const
{
    UnreadableFilesRequest request;
    request.folder = m_workspace.StorageDir();
    request.canChange = m_canChange;
    for (const LeftOutFile &file : m_workspace.leftOutFiles()) {
        if (selected.contains(file.nameBytes))
            request.selected.append(int(request.files.size()));
        const bool notUtf8 = file.reason == ScannedFile::Outcome::NameNotUtf8;
        request.files.append(UnreadableFileRow{file.name, file.nameBytes, notUtf8,
                                               notUtf8 ? DecodedNameRename::decodedName(file.nameBytes) : QString(),
                                               file.reasonText});
    }
    return request;
}

void UnreadableFilesCommand::run()
{
    QList<QByteArray> selected;
    for (;;) {
        const UnreadableFilesRequest shown = request(selected);
        if (shown.files.isEmpty())
            return; // nothing (more) to list
        UnreadableFilesQuery query(shown);
        m_prompter.ask(m_owner, query);
        const std::optional<UnreadableFilesAnswer> &answer = query.answer;
        if (!answer || !m_canChange)
            return;
        if (answer->action == UnreadableFilesAnswer::Action::RenameNames) {
            selected.clear();
            renameNames();
            continue;
        }
        // The files chosen stay selected; those that went are no longer listed.
        selected.clear();
        for (int row : answer->rows) {
            if (row >= 0 && row < shown.files.size())
                selected.append(shown.files[row].nameBytes);
        }
        if (!selected.isEmpty())
            trash(selected);
    }
}

void UnreadableFilesCommand::reread()
{
    m_workspace.reloadStorageFolder(m_progress);
    if (m_refresh)
        m_refresh();
}

bool UnreadableFilesCommand::trash(const QList<QByteArray> &names)
{
    const QByteArray folder = QFile::encodeName(m_workspace.StorageDir());
    QList<TrashItem> items;
    for (const QByteArray &name : names) {
        QString shown = QFile::decodeName(name);
        for (const LeftOutFile &file : m_workspace.leftOutFiles()) {
            if (file.nameBytes == name)
                shown = file.name;
        }
        items.append(TrashItem{shown, m_workspace.StorageDir() + shown, folder + name});
    }
    const CommandResult result = TrashCommand(m_prompter, m_owner, m_runner).run(items);
    if (result.cancelled)
        return false;
    if (m_undo)
        m_undo->remember(result.trashed);
    // Whatever went, the folder is read again.
    reread();
    if (!result.message.isEmpty())
        m_prompter.error(m_owner, result.message, result.details);
    return true;
}

bool UnreadableFilesCommand::renameNames()
{
    QList<QByteArray> names;
    QStringList renames;
    QStringList leftAlone;
    for (const LeftOutFile &file : m_workspace.leftOutFiles()) {
        if (file.reason != ScannedFile::Outcome::NameNotUtf8)
            continue;
        const QString decoded = DecodedNameRename::decodedName(file.nameBytes);
        const QString line = QStringLiteral("%1（元の名前のバイト列：%2）").arg(decoded.isEmpty() ? file.name : decoded,
                                                                     hexBytes(file.nameBytes));
        if (decoded.isEmpty()) {
            leftAlone.append(line);
        } else {
            names.append(file.nameBytes);
            renames.append(line);
        }
    }
    // Each list names about ten files; the details hold both lists whole.
    const QString aloneHeading =
        QStringLiteral("次の %1 件は、名前を Shift-JIS として正しく読めないため、そのままにします。").arg(leftAlone.size());
    const QString aloneText = aloneHeading + QLatin1Char('\n') + FileListMessage::shownLines(leftAlone);
    const bool cut = leftAlone.size() > FileListMessage::ShownLines || renames.size() > FileListMessage::ShownLines;
    const QString aloneDetails =
        leftAlone.isEmpty() ? QString() : aloneHeading + QLatin1Char('\n') + leftAlone.join(QLatin1Char('\n'));
    if (names.isEmpty()) {
        if (!leftAlone.isEmpty())
            m_prompter.error(m_owner, QStringLiteral("名前を変換できるファイルがありません。\n\n") + aloneText,
                             cut ? aloneDetails : QString());
        return false;
    }
    QString question = QStringLiteral("次の %1 件のファイルの名前を、Shift-JIS として読んだ名前に変更しますか？\n"
                                      "同じ名前のファイルが既にあるときは変更しません。\n\n%2")
                           .arg(names.size())
                           .arg(FileListMessage::shownLines(renames));
    if (!leftAlone.isEmpty())
        question += QStringLiteral("\n\n") + aloneText;
    const QString details =
        renames.join(QLatin1Char('\n')) + (leftAlone.isEmpty() ? QString() : QStringLiteral("\n\n") + aloneDetails);
    if (!m_prompter.question(m_owner, question, cut ? details : QString()))
        return false;

    const QList<DecodedNameRename::Result> results = m_workspace.renameToDecodedNames(names, m_progress, m_runner);
    if (m_refresh)
        m_refresh();
    QStringList failures;
    for (const DecodedNameRename::Result &result : results) {
        if (!result.renamed)
            failures.append(QStringLiteral("%1：%2").arg(result.newName, result.reason));
    }
    const FileListMessage message =
        FileListMessage::of(QStringLiteral("次のファイルの名前を変更できませんでした。"), failures);
    if (!failures.isEmpty())
        m_prompter.error(m_owner, message.text, message.details);
    return true;
}
