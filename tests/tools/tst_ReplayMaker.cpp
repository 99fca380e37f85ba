#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/ShiftJisText.h"
#include "tests/support/TestFiles.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <optional>
#include <set>

#include <zlib.h>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray errorOutput;
};

Run runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120'000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardError()};
}

// Inflates with the given window bits; nullopt unless the data is exactly one
// complete stream of that kind (trailing bytes allowed).
std::optional<QByteArray> inflateAll(const QByteArray &data, int windowBits)
{
    z_stream zs{};
    if (inflateInit2(&zs, windowBits) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    QByteArray out;
    int rc = Z_OK;
    char chunk[65536];
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef *>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(chunk, qsizetype(sizeof chunk - zs.avail_out));
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            break; // input ended inside the stream
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

struct ReadBack {
    qint64 streamLength = -1;
    ReplayInfo info{};
};

ReadBack readReplay(const QByteArray &bytes)
{
    ReadBack result;
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    result.streamLength = ReadReplayStream(buffer, result.info);
    if (result.streamLength >= 0)
        ReadReplayText(buffer, result.info);
    return result;
}

} // namespace

class tst_ReplayMaker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void brokenKinds_data();
    void brokenKinds();
    void fields_data();
    void fields();
    void layout_data();
    void layout();
    void badArguments_data();
    void badArguments();
    void unwritablePath();
    void samples();
    void samplesRefuseToOverwrite();

private:
    QTemporaryDir m_dir;
};

void tst_ReplayMaker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(QStringLiteral(QVMAKEREPLAY_PATH)).isExecutable());
    QVERIFY(QFileInfo(QStringLiteral(QVMAKESAMPLES_PATH)).isExecutable());
}

void tst_ReplayMaker::brokenKinds_data()
{
    QTest::addColumn<QString>("kind");
    for (const char *kind : {"truncated", "bad-adler", "raw-deflate", "gzip", "empty", "text", "lowercase"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void tst_ReplayMaker::brokenKinds()
{
    QFETCH(QString, kind);
    const QString path = m_dir.filePath(kind + QStringLiteral(".dat"));
    QCOMPARE(runTool(QStringLiteral(QVMAKEREPLAY_PATH), {QStringLiteral("--broken"), kind, path}).exitCode, 0);
    const QByteArray bytes = readAll(path);
    const ReadBack read = readReplay(bytes);
    const QByteArray valid = ReplayMaker::compressedStream({});
    const QByteArray records = ReplayMaker::decompressedStream({});

    if (kind == QLatin1String("lowercase")) {
        // A sound stream whose version is the prefix in the wrong case.
        QVERIFY(read.streamLength > 0);
        QCOMPARE(QByteArray(read.info.ReplayVer, 8), QByteArrayLiteral("qvreplay"));
        QVERIFY(!hasReplayPrefix(read.info));
        return;
    }
    QCOMPARE(read.streamLength, qint64(-1));
    QVERIFY(!inflateAll(bytes, 15));
    if (kind == QLatin1String("truncated")) {
        QVERIFY(!bytes.isEmpty());
        QVERIFY(bytes.size() < valid.size());
        QVERIFY(valid.startsWith(bytes));
    } else if (kind == QLatin1String("bad-adler")) {
        QCOMPARE(bytes.left(valid.size() - 1), valid.left(valid.size() - 1));
        QVERIFY(bytes.at(valid.size() - 1) != valid.at(valid.size() - 1));
    } else if (kind == QLatin1String("raw-deflate")) {
        QCOMPARE(inflateAll(bytes, -15).value_or(QByteArray()), records);
    } else if (kind == QLatin1String("gzip")) {
        QVERIFY(bytes.startsWith("\x1f\x8b"));
        QCOMPARE(inflateAll(bytes, 31).value_or(QByteArray()), records);
    } else if (kind == QLatin1String("empty")) {
        QVERIFY(bytes.isEmpty());
    } else if (kind == QLatin1String("text")) {
        QVERIFY(!bytes.isEmpty());
        for (char c : bytes)
            QVERIFY(c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7f));
    }
}

void tst_ReplayMaker::fields_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QList<qint32>>("values"); // dungeon, floor, chara, score, date, hours, minutes, seconds
    QTest::addColumn<QList<qint32>>("limit");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("comment");

    using L = QList<qint32>;
    QTest::newRow("defaults") << QStringList() << QByteArrayLiteral("QVreplay Ver107 ")
                              << L{0, 1, 0, 0, 1200000000, 0, 0, 0} << L{0, 0, 0, 0, 0, 0, 0, 0, 0}
                              << QByteArray() << QByteArray();
    QTest::newRow("everything")
        << QStringList{QStringLiteral("--version"), QStringLiteral("105"), QStringLiteral("--dungeon"),
                       QStringLiteral("9"), QStringLiteral("--floor"), QStringLiteral("41"),
                       QStringLiteral("--chara"), QStringLiteral("1"), QStringLiteral("--score"),
                       QStringLiteral("-1234567"), QStringLiteral("--date"), QStringLiteral("-1"),
                       QStringLiteral("--limit"), QStringLiteral("0,1,8,3=2,4=-1"), QStringLiteral("--play-ms"),
                       QStringLiteral("3723999"), QStringLiteral("--run-records"), QStringLiteral("2000"),
                       QStringLiteral("--seed"), QStringLiteral("7"), QStringLiteral("--name"),
                       QStringLiteral("ケイナ使い"), QStringLiteral("--comment"),
                       QStringLiteral("一行目\n二行目\r\nthird")}
        << QByteArrayLiteral("QVreplay Ver105 ") << L{9, 41, 1, -1234567, -1, 1, 2, 3}
        << L{1, 1, 0, 2, -1, 0, 0, 0, 1}
        << ShiftJisText::encode(QStringLiteral("ケイナ使い"), 30).bytes
        << ShiftJisText::encode(QStringLiteral("一行目\r\n二行目\r\nthird"), 1024).bytes;
    QTest::newRow("full text version, 30-byte name")
        << QStringList{QStringLiteral("--version"), QStringLiteral("QVREPLAY ver106 "), QStringLiteral("--name"),
                       QStringLiteral("あいうえおかきくけこさしすせそ")}
        << QByteArrayLiteral("QVREPLAY ver106 ") << L{0, 1, 0, 0, 1200000000, 0, 0, 0}
        << L{0, 0, 0, 0, 0, 0, 0, 0, 0}
        << ShiftJisText::encode(QStringLiteral("あいうえおかきくけこさしすせそ"), 30).bytes << QByteArray();
}

void tst_ReplayMaker::fields()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, version);
    QFETCH(QList<qint32>, values);
    QFETCH(QList<qint32>, limit);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, comment);

    const QString path = m_dir.filePath(QStringLiteral("fields.dat"));
    const Run run = runTool(QStringLiteral(QVMAKEREPLAY_PATH), arguments << path);
    QVERIFY2(run.exitCode == 0, run.errorOutput.constData());
    const ReadBack read = readReplay(readAll(path));
    QVERIFY(read.streamLength > 0);
    const ReplayInfo &info = read.info;
    QCOMPARE(versionText(info), version);
    const QList<qint32> actual{info.Dungeon,  info.Floor,    info.Chara,      info.Score,
                   info.PlayDate, info.PlayHour, info.PlayMinute, info.PlaySecond};
    QCOMPARE(actual, values);
    QCOMPARE(QList<qint32>(std::begin(info.LimitPlay), std::end(info.LimitPlay)), limit);
    QCOMPARE(QByteArray(info.PlayerName, PlayerNameSize), name + QByteArray(PlayerNameSize - name.size(), '\0'));
    QCOMPARE(QByteArray(info.Comment, CommentSize), comment + QByteArray(CommentSize - comment.size(), '\0'));
}

void tst_ReplayMaker::layout_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<qint64>("records");     // complete records in the stream
    QTest::addColumn<int>("partial");        // bytes of an incomplete last record
    QTest::addColumn<qint64>("afterStream"); // bytes behind the stream

    const auto a = [](std::initializer_list<const char *> list) {
        QStringList out;
        for (const char *s : list)
            out << QString::fromLatin1(s);
        return out;
    };
    QTest::newRow("plain") << QStringList() << qint64(34) << 0 << qint64(1054);
    QTest::newRow("run records") << a({"--run-records", "50000", "--seed", "3"}) << qint64(50034) << 0
                                 << qint64(1054);
    QTest::newRow("partial record") << a({"--partial", "5"}) << qint64(34) << 5 << qint64(1054);
    QTest::newRow("few info records") << a({"--info-records", "10"}) << qint64(10) << 0 << qint64(1054);
    QTest::newRow("no text") << a({"--no-text"}) << qint64(34) << 0 << qint64(0);
    QTest::newRow("short text") << a({"--short-text", "40"}) << qint64(34) << 0 << qint64(40);
    QTest::newRow("trailing") << a({"--trailing", "2000"}) << qint64(34) << 0 << qint64(3054);
}

void tst_ReplayMaker::layout()
{
    QFETCH(QStringList, arguments);
    QFETCH(qint64, records);
    QFETCH(int, partial);
    QFETCH(qint64, afterStream);

    const QString path = m_dir.filePath(QStringLiteral("layout.dat"));
    const Run run = runTool(QStringLiteral(QVMAKEREPLAY_PATH), arguments << path);
    QVERIFY2(run.exitCode == 0, run.errorOutput.constData());
    const QByteArray bytes = readAll(path);
    const ReadBack read = readReplay(bytes);
    QVERIFY(read.streamLength > 0);
    QCOMPARE(qint64(bytes.size()) - read.streamLength, afterStream);
    const auto data = inflateAll(bytes, 15);
    QVERIFY(data);
    QCOMPARE(qint64(data->size()), records * ReplayRecordSize + partial);
}

void tst_ReplayMaker::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    const QString out = QStringLiteral("out.dat");
    QTest::newRow("no path") << QStringList();
    QTest::newRow("two paths") << QStringList{out, out};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), out};
    QTest::newRow("score not a number") << QStringList{QStringLiteral("--score"), QStringLiteral("abc"), out};
    QTest::newRow("score too large") << QStringList{QStringLiteral("--score"), QStringLiteral("2147483648"), out};
    QTest::newRow("limit index 9") << QStringList{QStringLiteral("--limit"), QStringLiteral("9"), out};
    QTest::newRow("info records 35") << QStringList{QStringLiteral("--info-records"), QStringLiteral("35"), out};
    QTest::newRow("unknown damage") << QStringList{QStringLiteral("--broken"), QStringLiteral("worse"), out};
    QTest::newRow("name without Shift-JIS form")
        << QStringList{QStringLiteral("--name"), QStringLiteral("a\U0001F600"), out};
    QTest::newRow("name of 31 bytes") << QStringList{QStringLiteral("--name"), QString(31, QLatin1Char('n')), out};
    QTest::newRow("version of 17 characters")
        << QStringList{QStringLiteral("--version"), QStringLiteral("QVreplay Ver1070 "), out};
}

void tst_ReplayMaker::badArguments()
{
    QFETCH(QStringList, arguments);
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(QStringLiteral(QVMAKEREPLAY_PATH), arguments);
    QVERIFY(process.waitForFinished());
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(!process.readAllStandardError().isEmpty());
    QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("out.dat"))));
}

void tst_ReplayMaker::unwritablePath()
{
    const QString path = m_dir.filePath(QStringLiteral("no/such/folder/x.dat"));
    const Run run = runTool(QStringLiteral(QVMAKEREPLAY_PATH), {path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.errorOutput.contains("cannot write"));
}

void tst_ReplayMaker::samples()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString game = dir.filePath(QStringLiteral("game"));
    const QString storage = dir.filePath(QStringLiteral("storage"));
    const Run run = runTool(QStringLiteral(QVMAKESAMPLES_PATH), {game, storage, QStringLiteral("--seed"),
                                                                 QStringLiteral("5")});
    QVERIFY2(run.exitCode == 0, run.errorOutput.constData());

    // Game folder: seven slots, one of version 105 and one of 106, all readable.
    const QStringList slotFiles = QDir(game).entryList(QDir::Files);
    QCOMPARE(slotFiles.size(), 7);
    std::multiset<QByteArray> slotVersions;
    for (const QString &file : slotFiles) {
        QVERIFY(QRegularExpression(QStringLiteral("^qv_replay[0-9]\\.dat$")).match(file).hasMatch());
        const ReadBack read = readReplay(readAll(QDir(game).filePath(file)));
        QVERIFY(read.streamLength > 0);
        slotVersions.insert(versionText(read.info));
    }
    QCOMPARE(slotVersions.count(QByteArrayLiteral("QVreplay Ver105 ")), size_t(1));
    QCOMPARE(slotVersions.count(QByteArrayLiteral("QVreplay Ver106 ")), size_t(1));

    // Storage folder: 40 replays plus two files that are no replay.
    std::set<qint32> charas, dungeons;
    std::set<QByteArray> versions;
    int replays = 0, rejected = 0, cleared = 0, notCleared = 0, upperCase = 0, japaneseNames = 0,
        multiLine = 0;
    const QStringList storageFiles = QDir(storage).entryList(QDir::Files);
    QCOMPARE(storageFiles.size(), 42);
    for (const QString &file : storageFiles) {
        QVERIFY(file.endsWith(QLatin1String(".dat"), Qt::CaseInsensitive));
        upperCase += file.endsWith(QLatin1String(".DAT"));
        const QByteArray bytes = readAll(QDir(storage).filePath(file));
        const ReadBack read = readReplay(bytes);
        if (read.streamLength < 0 || !hasReplayPrefix(read.info)) {
            ++rejected;
            continue;
        }
        ++replays;
        const ReplayInfo &info = read.info;
        charas.insert(info.Chara);
        dungeons.insert(info.Dungeon);
        versions.insert(versionText(info));
        ++(isCleared(info.Dungeon, info.Floor) ? cleared : notCleared);
        const QString name = ShiftJisText::decodeField(info.PlayerName, PlayerNameSize);
        japaneseNames += std::any_of(name.begin(), name.end(), [](QChar c) { return c.unicode() >= 0x3000; });
        multiLine += QByteArray(info.Comment, CommentSize).contains("\r\n");
        const qint64 records = inflateAll(bytes, 15).value_or(QByteArray()).size() / ReplayRecordSize;
        QVERIFY(records >= 34 + 3000 && records <= 34 + 50000);
        QCOMPARE(qint64(bytes.size()), read.streamLength + ReplayTextSize);
    }
    QCOMPARE(replays, 40);
    QCOMPARE(rejected, 2);
    QCOMPARE(charas, (std::set<qint32>{0, 1, 2, 3, 4, 5}));
    QCOMPARE(dungeons, (std::set<qint32>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    QCOMPARE(versions, (std::set<QByteArray>{"QVreplay Ver105 ", "QVreplay Ver106 ", "QVreplay Ver107 "}));
    QVERIFY(cleared > 0 && notCleared > 0);
    QCOMPARE(upperCase, 1);
    QVERIFY(japaneseNames > 0);
    QVERIFY(multiLine > 0);

    // The same seed gives the same files; another seed other files.
    QTemporaryDir again;
    QCOMPARE(runTool(QStringLiteral(QVMAKESAMPLES_PATH),
                     {again.filePath(QStringLiteral("g")), again.filePath(QStringLiteral("s")),
                      QStringLiteral("--seed"), QStringLiteral("5"), QStringLiteral("--count"), QStringLiteral("3")})
                 .exitCode,
             0);
    for (const QString &file : QDir(again.filePath(QStringLiteral("g"))).entryList(QDir::Files))
        QCOMPARE(readAll(again.filePath(QStringLiteral("g/") + file)), readAll(QDir(game).filePath(file)));
    QCOMPARE(QDir(again.filePath(QStringLiteral("s"))).entryList(QDir::Files).size(), 5);
}

void tst_ReplayMaker::samplesRefuseToOverwrite()
{
    QTemporaryDir dir;
    const QString game = dir.filePath(QStringLiteral("game"));
    const QString storage = dir.filePath(QStringLiteral("storage"));
    QVERIFY(QDir().mkpath(game));
    const QString slot = QDir(game).filePath(QStringLiteral("qv_replay0.dat"));
    for (int i = 0; i < 10; ++i)
        QVERIFY(ReplayMaker::writeFile(QDir(game).filePath(QStringLiteral("qv_replay%1.dat").arg(i)), "mine"));
    const Run run = runTool(QStringLiteral(QVMAKESAMPLES_PATH), {game, storage, QStringLiteral("--count"),
                                                                 QStringLiteral("2")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.errorOutput.contains("--force"));
    QCOMPARE(readAll(slot), QByteArrayLiteral("mine"));
    QVERIFY(QDir(storage).entryList(QDir::Files).isEmpty());

    QCOMPARE(runTool(QStringLiteral(QVMAKESAMPLES_PATH), {game, storage, QStringLiteral("--count"),
                                                          QStringLiteral("2"), QStringLiteral("--force")})
                 .exitCode,
             0);
    int replaced = 0, kept = 0;
    for (int i = 0; i < 10; ++i) {
        const QByteArray bytes = readAll(QDir(game).filePath(QStringLiteral("qv_replay%1.dat").arg(i)));
        replaced += readReplay(bytes).streamLength > 0;
        kept += bytes == QByteArrayLiteral("mine");
    }
    QCOMPARE(replaced, 7);
    QCOMPARE(kept, 3);
    QCOMPARE(QDir(storage).entryList(QDir::Files).size(), 4);
}

QTEST_GUILESS_MAIN(tst_ReplayMaker)
#include "tst_ReplayMaker.moc"
