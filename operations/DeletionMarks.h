#pragma once

#include <QString>
#include <QStringList>

// The storage files marked for deletion, by file name (no folder part), in
// the order they were marked. Names compare exactly: two names that differ
// only in letter case are two files.
//
// A selection of a table row toggles that row's name, except that the row
// toggled last is not toggled again until the guard has been cleared (the
// window clears it 500 ms after the last toggle), so that a burst of
// selection events for one row toggles it once.
class DeletionMarks {
public:
    const QStringList &names() const { return m_names; }
    int count() const { return int(m_names.size()); }
    bool isEmpty() const { return m_names.isEmpty(); }
    bool contains(const QString &name) const { return m_names.contains(name); }

    // Marks name (at the end) unless it is marked already; an empty name is
    // never marked. The guard is not touched.
    void mark(const QString &name);

    // Unmarks name when it is marked, else marks it; false (nothing done)
    // for an empty name. The guard is not touched.
    bool toggle(const QString &name);

    // A selection of grid row `row` whose file name is `name`. When the row is
    // not the guarded one, its name is toggled (an empty name is not marked),
    // the row becomes the guarded one and the result is true: the guard's
    // timer must start again. Otherwise nothing changes and the result is false.
    bool select(int row, const QString &name);

    // The row toggled last, 0 for none.
    int guardRow() const { return m_guardRow; }
    void clearGuard() { m_guardRow = 0; }

    // Keeps only the marked names that `names` holds, in marking order.
    void keepOnly(const QStringList &names);

    // Removes every mark; the guard is not touched.
    void clear() { m_names.clear(); }

private:
    QStringList m_names;
    int m_guardRow = 0;
};
