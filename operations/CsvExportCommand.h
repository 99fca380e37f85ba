#pragma once

#include "operations/CommandResult.h"

#include <QList>
#include <QString>

class Prompter;
class QWidget;
class ReplayList;
class ReplayTableModel;

// "一覧をCSVで保存…": asks for a file (starting at the one written last) and
// writes the storage table's rows as shown to it, safely: a failed save
// leaves an existing file as it was and says why.
class CsvExportCommand {
public:
    CsvExportCommand(Prompter &prompter, QWidget *owner);

    // gridRows: the table's rows in the order shown. Cancelled when no file
    // was chosen; otherwise one outcome, for the path, and lastPath() is it
    // once saved.
    CommandResult run(const ReplayTableModel &table, const QList<int> &gridRows, const ReplayList &list);
    const QString &lastPath() const { return m_lastPath; }

private:
    Prompter &m_prompter;
    QWidget *m_owner;
    QString m_lastPath;
};
