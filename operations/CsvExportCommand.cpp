#include "operations/CsvExportCommand.h"

#include "operations/CsvExport.h"
#include "platform/Prompter.h"

#include <QFileInfo>

CsvExportCommand::CsvExportCommand(Prompter &prompter, QWidget *owner)
    : m_prompter(prompter),
      m_owner(owner)
{
}

CommandResult CsvExportCommand::run(const ReplayTableModel &table, const QList<int> &gridRows, const ReplayList &list)
{
    CommandResult result;
    const std::optional<QString> path =
        m_prompter.chooseSaveFile(m_owner, QStringLiteral("一覧をCSVで保存"),
                                  m_lastPath.isEmpty() ? CsvExport::suggestedPath() : m_lastPath,
                                  QStringLiteral("CSVファイル (*.csv)"));
    if (!path) {
        result.cancelled = true;
        return result;
    }
    QString reason;
    int rows = 0;
    const bool saved = CsvExport::save(*path, CsvExport::storageTable(table, gridRows, list, &rows), &reason);
    result.files.append(FileOutcome{*path, saved, reason});
    if (saved) {
        m_lastPath = *path;
        result.summary = QStringLiteral("%1 件の一覧を %2 に保存しました").arg(rows).arg(QFileInfo(*path).fileName());
    }
    else
        result.message = QStringLiteral("「%1」を保存できませんでした。\n%2").arg(*path, reason);
    return result;
}
