#include "catalogue/ReplayList.h"

#include <QTest>

#include <cstring>

namespace {

ReplayHead headWith(const QByteArray &version, qint32 score = 0)
{
    ReplayHead head{};
    std::memcpy(head.ReplayVer, version.constData(), size_t(qMin<qsizetype>(version.size(), ReplayVerSize)));
    head.Score = score;
    head.PlayDate = 1200000000;
    return head;
}

struct Texts {
    char name[PlayerNameSize]{};
    char comment[CommentSize]{};
};

Texts texts(const QByteArray &name, const QByteArray &comment)
{
    Texts t;
    std::memcpy(t.name, name.constData(), size_t(qMin<qsizetype>(name.size(), PlayerNameSize)));
    std::memcpy(t.comment, comment.constData(), size_t(qMin<qsizetype>(comment.size(), CommentSize)));
    return t;
}

qint32 add(ReplayList &list, const QString &fileName, const QByteArray &version = QByteArrayLiteral("QVreplay Ver107 "),
           qint32 score = 0, const QByteArray &name = {}, const QByteArray &comment = {})
{
    const Texts t = texts(name, comment);
    return list.AddReplayList(fileName, headWith(version, score), t.name, t.comment);
}

} // namespace

class tst_ReplayList : public QObject {
    Q_OBJECT
private slots:
    void addResults_data();
    void addResults();
    void storesEveryByte();
    void clearRestartsIds();
    void lookups_data();
    void lookups();
    void firstMatchForDuplicateNames();
    void update();
    void emptyList();
};

void tst_ReplayList::addResults_data()
{
    QTest::addColumn<QList<QByteArray>>("versions");
    QTest::addColumn<QList<qint32>>("ids");

    const QByteArray good = QByteArrayLiteral("QVreplay Ver107 ");
    QTest::newRow("three replays") << QList<QByteArray>{good, good, good} << QList<qint32>{1, 2, 3};
    QTest::newRow("rejected in the middle takes no id")
        << QList<QByteArray>{good, QByteArrayLiteral("NOTAREPLAY"), good} << QList<qint32>{1, 0, 2};
    QTest::newRow("lower-case prefix") << QList<QByteArray>{QByteArrayLiteral("qvreplay Ver107 ")} << QList<qint32>{0};
    QTest::newRow("mixed-case prefix") << QList<QByteArray>{QByteArrayLiteral("QVReplay Ver107 ")} << QList<qint32>{0};
    QTest::newRow("prefix alone") << QList<QByteArray>{QByteArrayLiteral("QVreplay")} << QList<qint32>{1};
    QTest::newRow("prefix cut short") << QList<QByteArray>{QByteArrayLiteral("QVrepla")} << QList<qint32>{0};
    QTest::newRow("empty version") << QList<QByteArray>{QByteArray()} << QList<qint32>{0};
    QTest::newRow("full 16 bytes, no NUL") << QList<QByteArray>{QByteArrayLiteral("QVreplayXXXXXXXX")} << QList<qint32>{1};
    QTest::newRow("leading space") << QList<QByteArray>{QByteArrayLiteral(" QVreplay Ver107")} << QList<qint32>{0};
}

void tst_ReplayList::addResults()
{
    QFETCH(QList<QByteArray>, versions);
    QFETCH(QList<qint32>, ids);

    ReplayList list;
    qint32 accepted = 0;
    for (qsizetype i = 0; i < versions.size(); ++i) {
        QCOMPARE(add(list, QStringLiteral("f%1.dat").arg(i), versions[i]), ids[i]);
        if (ids[i] > 0)
            ++accepted;
        QCOMPARE(list.Count(), accepted);
        QCOMPARE(list.LastId(), accepted);
    }
    // Every accepted id finds its own file.
    for (qsizetype i = 0; i < versions.size(); ++i) {
        if (ids[i] <= 0)
            continue;
        QString fileName;
        QVERIFY(list.FindReplayListById(ids[i], &fileName, nullptr));
        QCOMPARE(fileName, QStringLiteral("f%1.dat").arg(i));
    }
}

void tst_ReplayList::storesEveryByte()
{
    // Full fields without a terminating NUL and Shift-JIS bytes come back whole.
    const QByteArray name(PlayerNameSize, '\x82');
    QByteArray comment(CommentSize, 'c');
    comment[0] = '\0'; // a leading NUL must not cut what follows from the stored bytes
    ReplayHead head = headWith(QByteArrayLiteral("QVreplay Ver107 "), 4711);
    head.LimitPlay[8] = 1;
    head.Extra[10] = -5;
    head.PlayHour = 123;
    const Texts t = texts(name, comment);

    ReplayList list;
    QCOMPARE(list.AddReplayList(QStringLiteral("ファイル.dat"), head, t.name, t.comment), 1);

    ReplayInfo expected{};
    static_cast<ReplayHead &>(expected) = head;
    std::memcpy(expected.PlayerName, t.name, PlayerNameSize);
    std::memcpy(expected.Comment, t.comment, CommentSize);

    ReplayInfo info{};
    QVERIFY(list.FindReplayListByName(QStringLiteral("ファイル.dat"), &info));
    QVERIFY(std::memcmp(&info, &expected, sizeof info) == 0);
    QVERIFY(list.FindReplayListById(1, nullptr, &info));
    QVERIFY(std::memcmp(&info, &expected, sizeof info) == 0);
}

void tst_ReplayList::clearRestartsIds()
{
    ReplayList list;
    QCOMPARE(add(list, QStringLiteral("a.dat")), 1);
    QCOMPARE(add(list, QStringLiteral("b.dat")), 2);
    list.ClearReplayList();
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.LastId(), 0);
    QVERIFY(!list.FindReplayListById(1, nullptr, nullptr));
    QVERIFY(!list.FindReplayListByName(QStringLiteral("a.dat"), nullptr));

    QCOMPARE(add(list, QStringLiteral("b.dat")), 1);
    QCOMPARE(add(list, QStringLiteral("a.dat")), 2);
    QString fileName;
    QVERIFY(list.FindReplayListById(1, &fileName, nullptr));
    QCOMPARE(fileName, QStringLiteral("b.dat"));
    // The name index was rebuilt: a.dat is now the second item.
    QCOMPARE(list.itemByName(QStringLiteral("a.dat"))->Id, 2);
    list.ClearReplayList();
    list.ClearReplayList(); // clearing an empty list is harmless
    QCOMPARE(list.Count(), 0);
}

void tst_ReplayList::lookups_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<qint32>("expectedScore"); // -1: not found

    QTest::newRow("exact") << QStringLiteral("Replay.dat") << 20;
    QTest::newRow("letter case differs") << QStringLiteral("replay.dat") << -1;
    QTest::newRow("extension case differs") << QStringLiteral("Replay.DAT") << -1;
    QTest::newRow("prefix of a name") << QStringLiteral("Replay") << -1;
    QTest::newRow("longer than a name") << QStringLiteral("Replay.dat ") << -1;
    QTest::newRow("japanese name") << QStringLiteral("ボス戦.dat") << 30;
    QTest::newRow("first item") << QStringLiteral("a.dat") << 10;
    QTest::newRow("empty name") << QString() << -1;
}

void tst_ReplayList::lookups()
{
    QFETCH(QString, fileName);
    QFETCH(qint32, expectedScore);

    ReplayList list;
    const QByteArray version = QByteArrayLiteral("QVreplay Ver107 ");
    add(list, QStringLiteral("a.dat"), version, 10);
    add(list, QStringLiteral("Replay.dat"), version, 20);
    add(list, QStringLiteral("ボス戦.dat"), version, 30);

    ReplayInfo info{};
    const bool found = list.FindReplayListByName(fileName, &info);
    QCOMPARE(found, expectedScore != -1);
    const ReplayListItem *item = list.itemByName(fileName);
    QCOMPARE(item != nullptr, found);
    if (found) {
        QCOMPARE(info.Score, expectedScore);
        QCOMPARE(item->FileName, fileName);
        // The id lookup agrees with the name lookup.
        QString byId;
        ReplayInfo infoById{};
        QVERIFY(list.FindReplayListById(item->Id, &byId, &infoById));
        QCOMPARE(byId, fileName);
        QCOMPARE(infoById.Score, expectedScore);
        QCOMPARE(list.itemById(item->Id), item);
    }
}

void tst_ReplayList::firstMatchForDuplicateNames()
{
    ReplayList list;
    const QByteArray version = QByteArrayLiteral("QVreplay Ver107 ");
    QCOMPARE(add(list, QStringLiteral("b.dat"), version, 1), 1);
    QCOMPARE(add(list, QStringLiteral("dup.dat"), version, 2), 2);
    QCOMPARE(add(list, QStringLiteral("dup.dat"), version, 3), 3);

    ReplayInfo info{};
    QVERIFY(list.FindReplayListByName(QStringLiteral("dup.dat"), &info));
    QCOMPARE(info.Score, 2);
    QCOMPARE(list.itemByName(QStringLiteral("dup.dat"))->Id, 2);

    const Texts t = texts(QByteArrayLiteral("new"), QByteArrayLiteral("text"));
    QVERIFY(list.UpdateReplayListText(QStringLiteral("dup.dat"), t.name, t.comment));
    QCOMPARE(fieldBytes(list.itemById(2)->info().PlayerName, PlayerNameSize), QByteArrayLiteral("new"));
    QCOMPARE(fieldBytes(list.itemById(3)->info().PlayerName, PlayerNameSize), QByteArray());

    // Every id still reaches its own item.
    QString fileName;
    QVERIFY(list.FindReplayListById(3, &fileName, &info));
    QCOMPARE(fileName, QStringLiteral("dup.dat"));
    QCOMPARE(info.Score, 3);

    // Items made elsewhere and appended at once follow the same rules: Ids
    // go on, no version no item, the first of a name stays the one found.
    std::vector<ReplayListItem> items(3);
    const QByteArray versions[] = {version, QByteArrayLiteral("NotReplay"), version};
    const QString names[] = {QStringLiteral("dup.dat"), QStringLiteral("x.dat"), QStringLiteral("c.dat")};
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].FileName = names[i];
        items[i].Head = headWith(versions[i], qint32(4 + i));
    }
    QCOMPARE(list.appendItems(std::move(items)), 2);
    QCOMPARE(list.Count(), 5);
    QCOMPARE(list.itemByName(QStringLiteral("dup.dat"))->Id, 2);
    QCOMPARE(list.itemByName(QStringLiteral("c.dat"))->Id, 5);
    QCOMPARE(list.itemById(4)->Head.Score, 4);
    QVERIFY(!list.itemByName(QStringLiteral("x.dat")));
}

void tst_ReplayList::update()
{
    ReplayList list;
    const QByteArray version = QByteArrayLiteral("QVreplay Ver107 ");
    add(list, QStringLiteral("a.dat"), version, 10, QByteArrayLiteral("old name"), QByteArrayLiteral("old comment"));
    add(list, QStringLiteral("b.dat"), version, 20, QByteArrayLiteral("other"), QByteArrayLiteral("other comment"));
    const ReplayInfo before = list.itemById(1)->info();
    const ReplayInfo otherBefore = list.itemById(2)->info();

    const Texts t = texts(QByteArray(PlayerNameSize, 'N'), QByteArrayLiteral("new comment"));
    QVERIFY(list.UpdateReplayListText(QStringLiteral("a.dat"), t.name, t.comment));

    ReplayInfo after{};
    QVERIFY(list.FindReplayListByName(QStringLiteral("a.dat"), &after));
    QVERIFY(std::memcmp(after.PlayerName, t.name, PlayerNameSize) == 0);
    QVERIFY(std::memcmp(after.Comment, t.comment, CommentSize) == 0);
    // The stream-decoded part and the other item stay as they were.
    QVERIFY(std::memcmp(static_cast<const ReplayHead *>(&after), static_cast<const ReplayHead *>(&before),
                        sizeof(ReplayHead)) == 0);
    const ReplayInfo other = list.itemById(2)->info();
    QVERIFY(std::memcmp(&other, &otherBefore, sizeof(ReplayInfo)) == 0);
    QCOMPARE(list.Count(), 2);
    QCOMPARE(list.itemById(1)->Id, 1);

    QVERIFY(!list.UpdateReplayListText(QStringLiteral("A.dat"), t.name, t.comment));
    QVERIFY(!list.UpdateReplayListText(QStringLiteral("missing.dat"), t.name, t.comment));
}

void tst_ReplayList::emptyList()
{
    ReplayList list;
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.LastId(), 0);
    for (qint32 id : {-1, 0, 1, 2}) {
        QVERIFY(!list.FindReplayListById(id, nullptr, nullptr));
        QCOMPARE(list.itemById(id), nullptr);
    }
    QVERIFY(!list.FindReplayListByName(QStringLiteral("a.dat"), nullptr));
    QCOMPARE(list.itemByName(QString()), nullptr);
    const Texts t = texts(QByteArrayLiteral("x"), QByteArrayLiteral("y"));
    QVERIFY(!list.UpdateReplayListText(QStringLiteral("a.dat"), t.name, t.comment));

    // Out-of-range ids of a filled list find nothing.
    add(list, QStringLiteral("a.dat"));
    for (qint32 id : {-1, 0, 2, 100}) {
        QVERIFY(!list.FindReplayListById(id, nullptr, nullptr));
        QCOMPARE(list.itemById(id), nullptr);
    }
}

QTEST_APPLESS_MAIN(tst_ReplayList)
#include "tst_ReplayList.moc"
