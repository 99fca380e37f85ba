#include "catalogue/NameIndex.h"

#include <bit>
#include <utility>

void NameIndex::reserve(qsizetype count)
{
    if (count * 2 > qsizetype(m_slots.size()))
        grow(count);
}

void NameIndex::clear()
{
    std::vector<quint64>().swap(m_slots);
    m_mask = 0;
    m_size = 0;
}

void NameIndex::grow(qsizetype count)
{
    const size_t slotCount = std::bit_ceil(size_t(qMax<qsizetype>(count, 8)) * 2);
    std::vector<quint64> placed(slotCount, 0); // may throw; the index stays as it was
    const size_t mask = slotCount - 1;
    for (const quint64 word : m_slots) {
        if (word == 0)
            continue;
        size_t slot = quint32(word >> 32) & mask;
        while (placed[slot] != 0)
            slot = (slot + 1) & mask;
        placed[slot] = word;
    }
    m_slots = std::move(placed);
    m_mask = mask;
}
