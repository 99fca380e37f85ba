// The index of names by hash: every name found at its first position however
// the hashes fall (all equal, equal in the bits that choose a slot, spread),
// across growth, with repeated and missing names.

#include "catalogue/NameIndex.h"

#include <QByteArray>
#include <QHashFunctions>
#include <QTest>

#include <functional>
#include <vector>

class tst_NameIndex : public QObject {
    Q_OBJECT
private slots:
    void firstPositionOfEveryName_data();
    void firstPositionOfEveryName();
};

using HashOf = std::function<size_t(const QByteArray &)>;
Q_DECLARE_METATYPE(HashOf)

void tst_NameIndex::firstPositionOfEveryName_data()
{
    QTest::addColumn<HashOf>("hashOf");
    QTest::addColumn<bool>("reserved");
    QTest::newRow("spread") << HashOf([](const QByteArray &n) { return qHash(n, 0); }) << false;
    QTest::newRow("spread, room made first") << HashOf([](const QByteArray &n) { return qHash(n, 0); }) << true;
    QTest::newRow("all equal") << HashOf([](const QByteArray &) { return size_t(42); }) << false;
    // Equal low bits, distinct high ones: the same slot, different bits kept.
    QTest::newRow("same slot") << HashOf([](const QByteArray &n) { return size_t(qHash(n, 0) & ~size_t(0xfffff)); })
                               << false;
}

void tst_NameIndex::firstPositionOfEveryName()
{
    QFETCH(HashOf, hashOf);
    QFETCH(bool, reserved);

    // Names 0..599, then 0..99 again: the repeats keep their first position.
    std::vector<QByteArray> table;
    NameIndex index;
    if (reserved)
        index.reserve(700);
    for (int i = 0; i < 700; ++i) {
        const QByteArray name = QByteArray::number(i % 600) + ".dat";
        table.push_back(name);
        const qsizetype found =
            index.insert(hashOf(name), qsizetype(i), [&](qsizetype at) { return table[size_t(at)] == name; });
        QCOMPARE(found, i < 600 ? -1 : qsizetype(i - 600));
    }
    QCOMPARE(index.size(), 600);
    for (int i = 0; i < 600; ++i) {
        const QByteArray name = QByteArray::number(i) + ".dat";
        QCOMPARE(index.find(hashOf(name), [&](qsizetype at) { return table[size_t(at)] == name; }), qsizetype(i));
    }
    const QByteArray missing("600.dat");
    QCOMPARE(index.find(hashOf(missing), [&](qsizetype at) { return table[size_t(at)] == missing; }), -1);
    index.clear();
    QCOMPARE(index.find(hashOf(table[0]), [&](qsizetype) { return true; }), -1);
}

QTEST_GUILESS_MAIN(tst_NameIndex)
#include "tst_NameIndex.moc"
