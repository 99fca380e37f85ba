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

#ifndef Q_OS_WIN
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cstdio>

using namespace ReplayMaker;

namespace {

struct Run {
    int exitCode = -1;
    QList<QJsonObject> objects; // one per line of standard output
    QByteArray out;
    QByteArray err;
};

// Runs the tool; one that has not ended within timeoutMs is killed and the
// run counts as failed (exit code -1), so a hang fails the test instead of
// stalling it.
Run runProgram(const QString &program, const QStringList &args, int timeoutMs)
{
    QProcess process;
    // The date text is local time; pin the zone the expectations are written for.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
#ifdef Q_OS_WIN
    env.insert(QStringLiteral("TZ"), QStringLiteral("JST-9")); // the only form the Windows C library reads
#else
    env.insert(QStringLiteral("TZ"), QStringLiteral("Asia/Tokyo"));
#endif
    process.setProcessEnvironment(env);
    process.start(program, args);
    Run run;
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit)
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

Run runDump(const QStringList &args, int timeoutMs = 60000)
{
    return runProgram(QStringLiteral(QVREPLAYDUMP_PATH), args, timeoutMs);
}

#ifndef Q_OS_WIN // names that are not UTF-8
// QProcess passes arguments as UTF-8 text; a name that is not UTF-8 is handed
// over as bytes by the shell, every byte spelled as an octal escape.
Run runDumpBytes(const QList<QByteArray> &args, int timeoutMs = 60000)
{
    QString script = QStringLiteral("exec \"$0\"");
    for (const QByteArray &arg : args) {
        script += QStringLiteral(" \"$(printf '");
        for (const char c : arg)
            script += QLatin1Char('\\') + QString::number(uchar(c), 8).rightJustified(3, QLatin1Char('0'));
        script += QStringLiteral("')\"");
    }
    return runProgram(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), script, QStringLiteral(QVREPLAYDUMP_PATH)},
                      timeoutMs);
}

// Writes a file under a name given as bytes.
bool writeNative(const QByteArray &path, const QByteArray &bytes)
{
    FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    return std::fclose(file) == 0 && written;
}
#endif

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
    void refusesSpecialFiles_data();
    void refusesSpecialFiles();
    void takesNamesAsBytes_data();
    void takesNamesAsBytes();

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

void TestReplayDump::refusesSpecialFiles_data()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: FIFOs, sockets and devices");
#else
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("writeText");
    QTest::addColumn<QByteArray>("kind"); // how the message names it

    const QString fifo = path("fifo.dat");
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString socketPath = path("socket.dat");
    const int socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    QVERIFY(socketFd >= 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketName = QFile::encodeName(socketPath);
    QVERIFY(size_t(socketName.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, socketName.constData(), size_t(socketName.size()));
    QCOMPARE(::bind(socketFd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    ::close(socketFd); // the socket file stays
    const QString device = QStringLiteral("/dev/null");
    // A link is followed: what it points to decides.
    QVERIFY(QFile::link(fifo, path("tofifo.dat")));

    for (const bool writeText : {false, true}) {
        const char *form = writeText ? "--write-text" : "dump";
        QTest::addRow("FIFO, %s", form) << fifo << writeText << QByteArray("named pipe (FIFO)");
        QTest::addRow("link to a FIFO, %s", form) << path("tofifo.dat") << writeText
                                                  << QByteArray("named pipe (FIFO)");
        QTest::addRow("socket, %s", form) << socketPath << writeText << QByteArray("socket");
        QTest::addRow("device, %s", form) << device << writeText << QByteArray("device");
        QTest::addRow("folder, %s", form) << m_dir.path() << writeText << QByteArray("folder");
    }
#endif
}

// A special file is refused at once, named on standard error, and makes the
// exit status 1; a plain open of a FIFO would wait for a writer for ever.
void TestReplayDump::refusesSpecialFiles()
{
    QFETCH(QString, file);
    QFETCH(bool, writeText);
    QFETCH(QByteArray, kind);

    const QStringList args =
        writeText ? QStringList{QStringLiteral("--write-text"), QStringLiteral("n"), QStringLiteral("c"), file}
                  : QStringList{file};
    const Run run = runDump(args, 10000);
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("cannot open " + QFile::encodeName(file) + ": it is a"), run.err.constData());
    QVERIFY2(run.err.contains(kind + ", not a regular file"), run.err.constData());
    if (writeText) {
        QVERIFY(run.out.isEmpty());
    } else {
        QCOMPARE(run.objects.size(), 1);
        QCOMPARE(keysOf(run.objects[0]), BaseKeys);
        QCOMPARE(run.objects[0][QStringLiteral("length")].toInteger(), -1);
    }
}

void TestReplayDump::takesNamesAsBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");   // "file" in the JSON
    QTest::addColumn<bool>("withHex");    // whether "fileHex" is given

    QTest::newRow("Shift-JIS name") << QByteArray("\x83\x65\x83\x58\x83\x67.dat") << QStringLiteral("テスト.dat") << true;
    QTest::newRow("Latin-1 name") << QByteArray("caf\xe9.dat") << QStringLiteral("caf\uFFFD.dat") << true;
    QTest::newRow("neither UTF-8 nor Shift-JIS") << QByteArray("bad\x83\xff.dat") << QStringLiteral("bad\uFFFD\uFFFD.dat") << true;
    QTest::newRow("UTF-8 name shows as before") << QByteArray("テスト.dat") << QStringLiteral("テスト.dat") << false;
}

// A name is opened by the bytes given, shown as text plus those bytes in hex,
// and rewritten under the same bytes.
void TestReplayDump::takesNamesAsBytes()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX only: file names that are not UTF-8 (Windows names are UTF-16)");
#else
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QFETCH(bool, withHex);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // A folder whose own name is UTF-8 keeps its spelling in "file".
    const QString folder = dir.filePath(QStringLiteral("フォルダ"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray file = QFile::encodeName(folder) + '/' + name;
    const QByteArray content = replayFile(sampleSpec(), "old", "old");
    QVERIFY(writeNative(file, content));

    const QByteArray missing = QFile::encodeName(folder) + "/x" + name;
    const Run run = runDumpBytes({file, missing});
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.objects.size(), 2);
    const QJsonObject o = run.objects[0];
    QCOMPARE(o[QStringLiteral("replay")].toBool(), true);
    QCOMPARE(o[QStringLiteral("file")].toString(), folder + QLatin1Char('/') + shown);
    QCOMPARE(o.contains(QStringLiteral("fileHex")), withHex);
    if (withHex)
        QCOMPARE(o[QStringLiteral("fileHex")].toString(), QString::fromLatin1(file.toHex()));
    // Bytes out: the message names the missing file by the bytes given.
    QVERIFY(run.err.contains("cannot open " + missing + ": no such file"));

    const Run write = runDumpBytes({"--write-text", "new", "comment", file});
    QCOMPARE(write.exitCode, 0);
    const Run after = runDumpBytes({file});
    QCOMPARE(after.objects.size(), 1);
    QCOMPARE(after.objects[0][QStringLiteral("playerName")].toString(), QStringLiteral("new"));
    QCOMPARE(after.objects[0][QStringLiteral("comment")].toString(), QStringLiteral("comment"));
    QCOMPARE(::unlink(file.constData()), 0); // QTemporaryDir cannot name it
#endif
}

QTEST_GUILESS_MAIN(TestReplayDump)
#include "tst_ReplayDump.moc"
