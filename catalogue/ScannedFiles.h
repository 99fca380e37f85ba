#pragma once

#include "catalogue/NameIndex.h"
#include "catalogue/ScannedFile.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

// What scans learnt from the files of one folder: one record per raw file
// name, held in one vector (in the order they were added) and found by name
// through a NameIndex, so that a folder of a hundred thousand files is a few
// allocations and a lookup costs one probe.
class ScannedFiles {
public:
    // Room for count records in all.
    void reserve(qsizetype count);
    void clear();
    qsizetype size() const { return qsizetype(m_entries.size()); }
    bool isEmpty() const { return m_entries.empty(); }

    // Adds the record of a name not held yet and returns true; a record of a
    // name already held is dropped (false).
    bool add(const QByteArray &name, ScannedFile &&file);

    // The position of name's record; -1 when there is none.
    qsizetype indexOf(QByteArrayView name) const;
    const QByteArray &nameAt(qsizetype position) const { return m_entries[size_t(position)].name; }
    const ScannedFile &at(qsizetype position) const { return m_entries[size_t(position)].file; }
    ScannedFile &at(qsizetype position) { return m_entries[size_t(position)].file; }

private:
    struct Entry {
        QByteArray name;
        ScannedFile file;
    };
    std::vector<Entry> m_entries;
    NameIndex m_index;
};
