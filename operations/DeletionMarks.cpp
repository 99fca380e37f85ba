#include "operations/DeletionMarks.h"

void DeletionMarks::mark(const QString &name)
{
    if (!name.isEmpty() && !contains(name))
        m_names.append(name);
}

bool DeletionMarks::select(int row, const QString &name)
{
    if (row == m_guardRow)
        return false;
    // A row without a file (the empty row of an empty folder) is never
    // marked: an empty name would stand for the folder itself.
    if (!m_names.removeOne(name))
        mark(name);
    m_guardRow = row;
    return true;
}

void DeletionMarks::keepOnly(const QStringList &names)
{
    m_names.removeIf([&](const QString &name) { return !names.contains(name); });
}
