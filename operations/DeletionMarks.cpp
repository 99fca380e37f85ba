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
    toggle(name);
    m_guardRow = row;
    return true;
}

bool DeletionMarks::toggle(const QString &name)
{
    // A row without a file (the empty row of an empty folder) is never
    // marked: an empty name would stand for the folder itself.
    if (name.isEmpty())
        return false;
    if (!m_names.removeOne(name))
        m_names.append(name);
    return true;
}

void DeletionMarks::keepOnly(const QStringList &names)
{
    m_names.removeIf([&](const QString &name) { return !names.contains(name); });
}
