#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace ReplayMaker;

namespace {

struct Run {
    int exitCode = -1;
    QList<QJsonObject> objects; // one per line of standard output
    QByteArray out;
    QByteArray err;
};

Run runDump(const QStringList &args)
{
    QProcess process;
    // The date text is local time; pin the zone the expectations are written for.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(QVREPLAYDUMP_PATH), args);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    for (const QByteArray &line : run.out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        run.objects.append(error.error == QJsonParseError::NoError && doc.isObject() ? doc.object()
                                                                                   : QJsonObject{});
    }
    return run;
}

QStringList keysOf(const QJsonObject &object)
{
    QStringList keys = object.keys();
    keys.sort();
    return keys;
}

const QStringList BaseKeys = {QStringLiteral("file"), QStringLiteral("length"), QStringLiteral("replay")};

QStringList fieldKeys(bool withText)
{
    QStringList keys = BaseKeys;
    keys << QStringLiteral("version") << QStringLiteral("dungeon") << QStringLiteral("floor")
         << QStringLiteral("chara") << QStringLiteral("score") << QStringLiteral("playDate")
         << QStringLiteral("limitPlay") << QStringLiteral("extra") << QStringLiteral("playHour")
         << QStringLiteral("playMinute") << QStringLiteral("playSecond") << QStringLiteral("playerName")
         << QStringLiteral("comment") << QStringLiteral("playerNameHex") << QStringLiteral("commentHex");
    if (withText)
        keys << QStringLiteral("text");
    keys.sort();
    return keys;
}

// "テスト" in Shift-JIS.
const QByteArray TestName = QByteArrayLiteral("\x83\x65\x83\x58\x83\x67");

ReplayRecipe sampleSpec()
{
    ReplayRecipe recipe;
    recipe.version = QByteArrayLiteral("QVreplay Ver107 ");
    recipe.dungeon = 9;    // 40 floors
    recipe.floor = 41;     // one past the last: cleared
    recipe.chara = 3;
    recipe.score = 1234567;
    recipe.playDate = 1200000000; // 2008-01-10 21:20:00 UTC
    recipe.limitPlay = {1, 1, 0, 2, -1, 0, 0, 0, 1};
    recipe.extra = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -11};
    recipe.playMillis = 3723999; // 1 h 2 min 3 s
    recipe.runRecords = 300;
    return recipe;
}

} // namespace

class TestReplayDump : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void dumpsReplay();
    void dumpsFilesInOrder();
    void lockedVersionIsNotEditable();
    void writeTextRoundTrip();
    void writeTextRefused_data();
    void writeTextRefused();
    void badArguments_data();
    void badArguments();

private:
    QTemporaryDir m_dir;
    QString path(const char *name) const { return m_dir.filePath(QString::fromUtf8(name)); }
};

void TestReplayDump::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFile::exists(QStringLiteral(QVREPLAYDUMP_PATH)));
}

void TestReplayDump::dumpsReplay()
{
    const ReplayRecipe recipe = sampleSpec();
    const QByteArray stream = compressedStream(recipe);
    // A full 30-byte name has no NUL: its hex is the whole field.
    const QByteArray name = TestName + QByteArray(24, 'n');
    const QByteArray comment = QByteArrayLiteral("line one\r\nline two");
    QVERIFY(writeFile(path("sample.dat"), stream + textFields(name, comment) + "ignored tail"));

    const Run run = runDump({path("sample.dat")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.objects.size(), 1);
    const QJsonObject o = run.objects.first();
    QCOMPARE(keysOf(o), fieldKeys(true));
    QCOMPARE(o[QStringLiteral("file")].toString(), path("sample.dat"));
    QCOMPARE(o[QStringLiteral("replay")].toBool(), true);
    QCOMPARE(o[QStringLiteral("length")].toInteger(), stream.size());
    QCOMPARE(o[QStringLiteral("version")].toString(), QStringLiteral("QVreplay Ver107 "));
    QCOMPARE(o[QStringLiteral("dungeon")].toInt(), 9);
    QCOMPARE(o[QStringLiteral("floor")].toInt(), 41);
    QCOMPARE(o[QStringLiteral("chara")].toInt(), 3);
    QCOMPARE(o[QStringLiteral("score")].toInt(), 1234567);
    QCOMPARE(o[QStringLiteral("playDate")].toInt(), 1200000000);
    QCOMPARE(o[QStringLiteral("limitPlay")].toArray(), (QJsonArray{1, 1, 0, 2, -1, 0, 0, 0, 1}));
    QCOMPARE(o[QStringLiteral("extra")].toArray(), (QJsonArray{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -11}));
    QCOMPARE(o[QStringLiteral("playHour")].toInt(), 1);
    QCOMPARE(o[QStringLiteral("playMinute")].toInt(), 2);
    QCOMPARE(o[QStringLiteral("playSecond")].toInt(), 3);
    QCOMPARE(o[QStringLiteral("playerName")].toString(), QStringLiteral("テスト") + QString(24, QLatin1Char('n')));
    QCOMPARE(o[QStringLiteral("comment")].toString(), QStringLiteral("line one\r\nline two"));
    QCOMPARE(o[QStringLiteral("playerNameHex")].toString(), QString::fromLatin1(name.toHex()));
    QCOMPARE(o[QStringLiteral("commentHex")].toString(), QString::fromLatin1(comment.toHex()));

    const QJsonObject text = o[QStringLiteral("text")].toObject();
    QCOMPARE(text[QStringLiteral("date")].toString(), QStringLiteral("2008/01/11 06:20:00")); // TZ=Asia/Tokyo
    QCOMPARE(text[QStringLiteral("chara")].toString(), QStringLiteral("ノエラ"));
    QCOMPARE(text[QStringLiteral("dungeon")].toString(), QStringLiteral("ザインの洞"));
    QCOMPARE(text[QStringLiteral("floors")].toString(), QStringLiteral("クリア"));
    QCOMPARE(text[QStringLiteral("dungeonPanel")].toString(), QStringLiteral("ザインの洞　クリア"));
    QCOMPARE(text[QStringLiteral("score")].toString(), QStringLiteral("1,234,567"));
    QCOMPARE(text[QStringLiteral("limitPlay")].toString(), QStringLiteral("草　肉　スキル"));
    QCOMPARE(text[QStringLiteral("editable")].toBool(), true);
}

// Every file gets its line in the order given; a file that cannot be opened
// gets none, is named on standard error, and makes the exit status 1.
void TestReplayDump::dumpsFilesInOrder()
{
    ReplayRecipe floorSpec;
    floorSpec.dungeon = 14; // unknown dungeon: never cleared
    floorSpec.floor = 999;
    QVERIFY(writeFile(path("floor.dat"), replayFile(floorSpec))); // ends right after the stream
    QVERIFY(writeFile(path("text.dat"), brokenFile(Damage::PlainText)));
    QVERIFY(writeFile(path("lower.dat"), brokenFile(Damage::LowerCasePrefix)));

    const Run run = runDump({path("floor.dat"), path("missing.dat"), path("text.dat"), path("lower.dat")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains(QFile::encodeName(path("missing.dat"))));
    QCOMPARE(run.objects.size(), 4);

    const QJsonObject floor = run.objects[0];
    QCOMPARE(floor[QStringLiteral("file")].toString(), path("floor.dat"));
    QCOMPARE(floor[QStringLiteral("replay")].toBool(), true);
    QCOMPARE(floor[QStringLiteral("playerName")].toString(), QString());
    QCOMPARE(floor[QStringLiteral("commentHex")].toString(), QString());
    const QJsonObject floorText = floor[QStringLiteral("text")].toObject();
    QCOMPARE(floorText[QStringLiteral("dungeon")].toString(), QStringLiteral("unknown"));
    QCOMPARE(floorText[QStringLiteral("floors")].toString(), QStringLiteral("999 階"));
    QCOMPARE(floorText[QStringLiteral("dungeonPanel")].toString(), QStringLiteral("unknown　999 階"));
    QCOMPARE(floorText[QStringLiteral("limitPlay")].toString(), QString());

    const QJsonObject missing = run.objects[1];
    QCOMPARE(keysOf(missing), BaseKeys);
    QCOMPARE(missing[QStringLiteral("file")].toString(), path("missing.dat"));
    QCOMPARE(missing[QStringLiteral("replay")].toBool(), false);
    QCOMPARE(missing[QStringLiteral("length")].toInteger(), -1);

    const QJsonObject text = run.objects[2];
    QCOMPARE(keysOf(text), BaseKeys);
    QCOMPARE(text[QStringLiteral("file")].toString(), path("text.dat"));
    QCOMPARE(text[QStringLiteral("replay")].toBool(), false);
    QCOMPARE(text[QStringLiteral("length")].toInteger(), -1);

    const QJsonObject lower = run.objects[3];
    QCOMPARE(keysOf(lower), fieldKeys(false));
    QCOMPARE(lower[QStringLiteral("replay")].toBool(), false);
    QVERIFY(lower[QStringLiteral("length")].toInteger() > 0);
    QCOMPARE(lower[QStringLiteral("version")].toString(), QStringLiteral("qvreplay Ver107 "));
    QCOMPARE(lower[QStringLiteral("playerName")].toString(), QStringLiteral("name"));
}

void TestReplayDump::lockedVersionIsNotEditable()
{
    const QByteArray versions[] = {"QVreplay Ver105 ", "QVreplay ver106 ", "QVreplay Ver107 "};
    QStringList files;
    for (const QByteArray &version : versions) {
        ReplayRecipe recipe;
        recipe.version = version;
        files << path(version.mid(13, 3).constData()) + QStringLiteral(".dat");
        QVERIFY(writeFile(files.last(), replayFile(recipe, "n", "c")));
    }
    const Run run = runDump(files);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.objects.size(), 3);
    const bool editable[] = {false, false, true};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(run.objects[i][QStringLiteral("replay")].toBool(), true);
        QCOMPARE(run.objects[i][QStringLiteral("text")].toObject()[QStringLiteral("editable")].toBool(),
                 editable[i]);
    }
}

void TestReplayDump::writeTextRoundTrip()
{
    const ReplayRecipe recipe = sampleSpec();
    const QByteArray stream = compressedStream(recipe);
    const QString file = path("edit.dat");
    QVERIFY(writeFile(file, stream + textFields("old", "old comment") + QByteArray(2000, 'x')));

    // A newline is stored as CR LF; one already written as CR LF is not doubled;
    // the two characters backslash and n stay as they are.
    // A name of exactly 30 bytes fits.
    const QString name = QStringLiteral("テスト") + QString(24, QLatin1Char('x'));
    const QByteArray nameBytes = TestName + QByteArray(24, 'x');
    const Run write = runDump({QStringLiteral("--write-text"), name,
                               QStringLiteral("ａ\nb\r\nc\\n"), file});
    QCOMPARE(write.exitCode, 0);
    QVERIFY(write.out.isEmpty());

    const QByteArray comment = QByteArrayLiteral("\x82\x81\r\nb\r\nc\\n"); // "ａ" is 82 81
    QCOMPARE(readAll(file), stream + textFields(nameBytes, comment));

    const Run dump = runDump({file});
    QCOMPARE(dump.exitCode, 0);
    QCOMPARE(dump.objects.size(), 1);
    QCOMPARE(dump.objects[0][QStringLiteral("playerName")].toString(), name);
    QCOMPARE(dump.objects[0][QStringLiteral("comment")].toString(), QStringLiteral("ａ\r\nb\r\nc\\n"));
    QCOMPARE(dump.objects[0][QStringLiteral("playerNameHex")].toString(),
             QStringLiteral("836583588367") + QString::fromLatin1(QByteArray(24, 'x').toHex()));
    QCOMPARE(dump.objects[0][QStringLiteral("length")].toInteger(), stream.size());
}

void TestReplayDump::writeTextRefused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("comment");
    QTest::addColumn<int>("exitCode");

    const QByteArray replay = replayFile(sampleSpec(), "old", "old");
    ReplayRecipe locked = sampleSpec();
    locked.version = QByteArrayLiteral("QVreplay Ver105 ");

    // 16 two-byte characters are 32 bytes.
    QTest::newRow("name of 31 bytes") << replay << QString(31, QLatin1Char('a')) << QString() << 2;
    QTest::newRow("name of 32 bytes") << replay << QString(16, QChar(0x3042)) << QString() << 2;
    QTest::newRow("comment of 1025 bytes") << replay << QString() << QString(1025, QLatin1Char('c')) << 2;
    QTest::newRow("newlines push comment over") << replay << QString()
                                                << QString(1023, QLatin1Char('c')) + QLatin1Char('\n') << 2;
    QTest::newRow("name not in Shift-JIS") << replay << QStringLiteral("Ωé€") << QString() << 2;
    QTest::newRow("comment not in Shift-JIS") << replay << QString() << QStringLiteral("smile 😀") << 2;
    QTest::newRow("not a replay") << brokenFile(Damage::PlainText) << QStringLiteral("n") << QString() << 1;
    QTest::newRow("lower-case prefix") << brokenFile(Damage::LowerCasePrefix) << QStringLiteral("n") << QString() << 1;
    QTest::newRow("version 105") << replayFile(locked, "old", "old") << QStringLiteral("n") << QString() << 1;
}

void TestReplayDump::writeTextRefused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, name);
    QFETCH(QString, comment);
    QFETCH(int, exitCode);

    const QString file = path("refused.dat");
    QVERIFY(writeFile(file, content));
    const Run run = runDump({QStringLiteral("--write-text"), name, comment, file});
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(!run.err.isEmpty());
    QCOMPARE(readAll(file), content);
}

void TestReplayDump::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no arguments") << QStringList();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate"), path("x.dat")};
    QTest::newRow("only end of options") << QStringList{QStringLiteral("--")};
    QTest::newRow("write-text without file") << QStringList{QStringLiteral("--write-text"), QStringLiteral("n"),
                                                            QStringLiteral("c")};
    QTest::newRow("write-text with two files")
        << QStringList{QStringLiteral("--write-text"), QStringLiteral("n"), QStringLiteral("c"), path("a.dat"),
                       path("b.dat")};
}

void TestReplayDump::badArguments()
{
    QFETCH(QStringList, args);
    const Run run = runDump(args);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(run.err.contains("Usage"));
}

QTEST_GUILESS_MAIN(TestReplayDump)
#include "tst_ReplayDump.moc"
