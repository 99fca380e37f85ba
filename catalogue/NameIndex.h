#pragma once

#include <QByteArrayView>
#include <QHashFunctions>
#include <QStringView>

#include <vector>

// Positions of names in a table held elsewhere (a vector of items in listing
// order), found by the names' hashes: an open-addressed array of one 64-bit
// word per slot, 32 bits of the hash beside the position. A folder of a
// hundred thousand files is indexed in one allocation, a lookup touches one
// cache line of the index and compares a name only where the hash bits agree,
// and the keys are not copied. Growing needs no name: the bits kept are the
// ones the slots are chosen by.
//
// The caller computes the hashes (hashOf, or any well-mixed hash of the name)
// and tells whether the item at a position has the name looked for.
class NameIndex {
public:
    // The hash of a name, seeded per process as Qt's own hash tables are, so
    // that no folder's names can be chosen to fall on one slot.
    static size_t hashOf(QByteArrayView name) { return qHash(name, QHashSeed::globalSeed()); }
    static size_t hashOf(QStringView name) { return qHash(name, QHashSeed::globalSeed()); }

    // Room for count names in all without growing.
    void reserve(qsizetype count);
    void clear();
    qsizetype size() const { return m_size; }

    // The position of the first name inserted with this hash for which
    // isName(position) holds; -1 when none.
    template <typename IsName>
    qsizetype find(size_t hash, IsName isName) const
    {
        if (m_slots.empty())
            return -1;
        const quint32 bits = bitsOf(hash);
        for (size_t slot = bits & m_mask;; slot = (slot + 1) & m_mask) {
            const quint64 word = m_slots[slot];
            if (word == 0)
                return -1;
            if (quint32(word >> 32) == bits && isName(positionIn(word)))
                return positionIn(word);
        }
    }

    // Records position under hash when no name for which isName holds is
    // indexed yet, and returns -1; otherwise returns the position found and
    // records nothing (the first position of a name is the one found).
    template <typename IsName>
    qsizetype insert(size_t hash, qsizetype position, IsName isName)
    {
        if ((m_size + 1) * 2 > qsizetype(m_slots.size()))
            grow(m_size + 1);
        const quint32 bits = bitsOf(hash);
        size_t slot = bits & m_mask;
        for (;; slot = (slot + 1) & m_mask) {
            const quint64 word = m_slots[slot];
            if (word == 0)
                break;
            if (quint32(word >> 32) == bits && isName(positionIn(word)))
                return positionIn(word);
        }
        m_slots[slot] = (quint64(bits) << 32) | quint64(position + 1);
        ++m_size;
        return -1;
    }

private:
    static quint32 bitsOf(size_t hash) { return quint32(hash) ^ quint32(quint64(hash) >> 32); }
    static qsizetype positionIn(quint64 word) { return qsizetype(word & 0xffffffffu) - 1; }
    // At least twice as many slots as count, a power of two; the words are
    // placed again by their bits.
    void grow(qsizetype count);

    std::vector<quint64> m_slots; // 0: free; else hash bits << 32 | position + 1
    size_t m_mask = 0;
    qsizetype m_size = 0;
};
