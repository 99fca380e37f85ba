#include "catalogue/ScannedFiles.h"

void ScannedFiles::reserve(qsizetype count)
{
    m_entries.reserve(size_t(qMax<qsizetype>(count, 0)));
    m_index.reserve(count);
}

void ScannedFiles::clear()
{
    std::vector<Entry>().swap(m_entries);
    m_index.clear();
}

bool ScannedFiles::add(const QByteArray &name, ScannedFile &&file)
{
    // Room first, so that nothing can fail once the name is indexed.
    if (m_entries.size() == m_entries.capacity())
        m_entries.reserve(qMax<size_t>(16, m_entries.size() * 2));
    const auto isName = [&](qsizetype at) { return m_entries[size_t(at)].name == name; };
    if (m_index.insert(NameIndex::hashOf(name), size(), isName) >= 0)
        return false;
    m_entries.push_back({name, std::move(file)});
    return true;
}

qsizetype ScannedFiles::indexOf(QByteArrayView name) const
{
    return m_index.find(NameIndex::hashOf(name), [&](qsizetype at) { return m_entries[size_t(at)].name == name; });
}
