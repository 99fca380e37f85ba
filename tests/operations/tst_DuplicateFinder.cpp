// The duplicate finder: identities only propose candidates, the stream bytes
// on disk decide; the oldest file of a group is the one kept.

#include "catalogue/ReplayList.h"
#include "operations/DuplicateFinder.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

using namespace ReplayMaker;

namespace {

QByteArray stream(qint32 score, int level = 6)
{
    ReplayRecipe recipe;
    recipe.score = score;
    recipe.compressionLevel = level;
    return compressedStream(recipe);
}

bool setModified(const QString &path, const QDateTime &when)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(when, QFileDevice::FileModificationTime);
}

// Files by name; the list holds them in this order, with the given identities.
struct Fixture {
    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    ReplayList list;

    bool add(const QString &name, const QByteArray &bytes, const ReplayIdentity &identity, const QByteArray &player)
    {
        if (!bytes.isNull() && !writeAll(folder + name, bytes))
            return false;
        ReplayHead head{};
        std::memcpy(head.ReplayVer, "QVreplay Ver107 ", ReplayVerSize);
        char playerName[PlayerNameSize]{};
        char comment[CommentSize]{};
        std::memcpy(playerName, player.constData(), size_t(player.size()));
        return list.AddReplayList(name, head, playerName, comment, identity) > 0;
    }
};

QStringList groupNames(const DuplicateGroup &group)
{
    QStringList names;
    for (const DuplicateFile &file : group.files)
        names.append(file.fileName);
    return names;
}

} // namespace

class TestDuplicateFinder : public QObject {
    Q_OBJECT

private slots:
    void groupsAndOldest();
    void bytesDecide_data();
    void bytesDecide();
};

// Two groups: the same stream behind other names and texts is one replay. The
// oldest file leads its group; equal times fall back on the name.
void TestDuplicateFinder::groupsAndOldest()
{
    Fixture f;
    QVERIFY(f.dir.isValid());
    const QByteArray one = stream(100);
    const QByteArray two = stream(200);
    const QDateTime base = QDateTime::currentDateTime().addDays(-10);
    struct File {
        const char *name;
        QByteArray stream;
        const char *player;
        int day;
    };
    const File files[] = {
        {"a.dat", one, "Alice", 3},    {"B.dat", one, "Bob", 1},  {"c.dat", one, "Carol", 2},
        {"single.dat", stream(300), "Solo", 0},
        {"z.dat", two, "Zed", 5},      {"y.dat", two, "Yu", 5},
    };
    for (const File &file : files) {
        const QString name = QString::fromLatin1(file.name);
        QVERIFY(f.add(name, file.stream + textFields(file.player, "comment of " + QByteArray(file.name)),
                      ReplayIdentityDigest::of(file.stream), file.player));
        QVERIFY(setModified(f.folder + name, base.addDays(file.day)));
    }

    const DuplicateGroups groups = DuplicateFinder(f.list, f.folder).find();
    QCOMPARE(groups.size(), size_t(2));
    // Groups by the name of the file kept; files from older to newer.
    QCOMPARE(groupNames(groups[0]), (QStringList{QStringLiteral("B.dat"), QStringLiteral("c.dat"), QStringLiteral("a.dat")}));
    QCOMPARE(groupNames(groups[1]), (QStringList{QStringLiteral("y.dat"), QStringLiteral("z.dat")}));
    const DuplicateFile &bob = groups[0].files[0];
    QCOMPARE(bob.playerName, QStringLiteral("Bob"));
    QCOMPARE(bob.size, qint64(one.size() + PlayerNameSize + CommentSize));
    QCOMPARE(bob.modified.toSecsSinceEpoch(), base.addDays(1).toSecsSinceEpoch());

    QCOMPARE(DuplicateFinder::allButOldest(groups),
             (QStringList{QStringLiteral("c.dat"), QStringLiteral("a.dat"), QStringLiteral("z.dat")}));
    QVERIFY(DuplicateFinder::allButOldest({}).isEmpty());
    QCOMPARE(DuplicateFinder::streamBytes(f.folder + QStringLiteral("a.dat")), std::optional<QByteArray>(one));
}

// Every file here claims the same identity (as a digest collision would); only
// files whose streams are byte for byte the same, as read now, are grouped.
void TestDuplicateFinder::bytesDecide_data()
{
    QTest::addColumn<QStringList>("contents"); // per file: "s<score>", "z<score>" (stored, not deflated), "text" or "gone"
    QTest::addColumn<QStringList>("group");    // the one group expected, empty for none

    QTest::newRow("same stream") << QStringList{QStringLiteral("s1"), QStringLiteral("s1")}
                                 << QStringList{QStringLiteral("f0.dat"), QStringLiteral("f1.dat")};
    QTest::newRow("collision: streams differ") << QStringList{QStringLiteral("s1"), QStringLiteral("s2")}
                                               << QStringList();
    // Stored blocks: the two streams have one length and differ only where
    // the score (and the checksum) is.
    QTest::newRow("collision: same length, one field differs") << QStringList{QStringLiteral("z1"), QStringLiteral("z2")}
                                                                << QStringList();
    QTest::newRow("two alike of three") << QStringList{QStringLiteral("s1"), QStringLiteral("s2"), QStringLiteral("s2")}
                                        << QStringList{QStringLiteral("f1.dat"), QStringLiteral("f2.dat")};
    QTest::newRow("one is gone") << QStringList{QStringLiteral("s1"), QStringLiteral("gone")} << QStringList();
    QTest::newRow("one is no replay now") << QStringList{QStringLiteral("text"), QStringLiteral("s1")} << QStringList();
}

void TestDuplicateFinder::bytesDecide()
{
    QFETCH(QStringList, contents);
    QFETCH(QStringList, group);
    Fixture f;
    QVERIFY(f.dir.isValid());
    ReplayIdentity claimed;
    claimed.bytes.fill(0x5a);
    const QDateTime when = QDateTime::currentDateTime().addDays(-1);
    for (int i = 0; i < contents.size(); ++i) {
        const QString name = QStringLiteral("f%1.dat").arg(i);
        QByteArray bytes;
        if (contents[i] == QLatin1String("text"))
            bytes = QByteArrayLiteral("no replay here");
        else if (contents[i] != QLatin1String("gone"))
            bytes = stream(contents[i].mid(1).toInt(), contents[i].startsWith(u'z') ? 0 : 6)
                    + textFields("name", QByteArray::number(i));
        QVERIFY(f.add(name, bytes, claimed, "name"));
        if (!bytes.isNull())
            QVERIFY(setModified(f.folder + name, when));
    }
    if (contents == QStringList{QStringLiteral("z1"), QStringLiteral("z2")})
        QCOMPARE(stream(1, 0).size(), stream(2, 0).size());
    const DuplicateGroups groups = DuplicateFinder(f.list, f.folder).find();
    if (group.isEmpty()) {
        QVERIFY(groups.empty());
        return;
    }
    QCOMPARE(groups.size(), size_t(1));
    QCOMPARE(groupNames(groups[0]), group);
}

QTEST_GUILESS_MAIN(TestDuplicateFinder)
#include "tst_DuplicateFinder.moc"
