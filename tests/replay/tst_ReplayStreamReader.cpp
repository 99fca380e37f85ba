#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "tools/replaymaker/ReplayMaker.h"

#include "FailDevice.h"

#include <QBuffer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

#include <cstring>
#include <limits>

using ReplayMaker::ReplayRecipe;

Q_DECLARE_METATYPE(ReplayRecipe)

namespace {

struct ReadResult {
    qint64 length = -1;
    qint64 position = -1;
    ReplayInfo info{};
};

ReadResult readThrough(QIODevice &device)
{
    ReadResult r;
    r.length = ReadReplayStream(device, r.info);
    r.position = device.pos();
    if (r.length >= 0)
        ReadReplayText(device, r.info);
    return r;
}

ReadResult readBytes(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readThrough(buffer);
}

ReadResult readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open test file");
    return readThrough(file);
}

qint32 le32(const QByteArray &data, qsizetype offset)
{
    const auto *p = reinterpret_cast<const uchar *>(data.constData() + offset);
    return qint32(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
}

// Straightforward reference: inflate the whole input in one go, L from the
// input consumed, then the records field by field.
ReadResult referenceRead(const QByteArray &file)
{
    ReadResult r;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        qFatal("inflateInit failed");
    QByteArray out(qMax<qsizetype>(1024, file.size() * 4), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(file.constData()));
    zs.avail_in = uInt(file.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (qsizetype(zs.total_out) == out.size())
            out.resize(out.size() * 2);
        zs.next_out = reinterpret_cast<Bytef *>(out.data() + zs.total_out);
        zs.avail_out = uInt(out.size() - qsizetype(zs.total_out));
        rc = inflate(&zs, Z_NO_FLUSH);
    }
    const qint64 consumed = qint64(zs.total_in);
    out.truncate(qsizetype(zs.total_out));
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        r.position = -1;
        return r;
    }
    r.length = consumed;
    r.position = consumed;
    ReplayHead &h = r.info;
    const qsizetype records = qMin<qsizetype>(out.size() / 12, 34);
    for (qsizetype n = 0; n < records; ++n) {
        const qint32 value = le32(out, 12 * n + 4);
        if (n < 8) {
            h.ReplayVer[2 * n] = out[12 * n + 4];
            h.ReplayVer[2 * n + 1] = out[12 * n + 8];
        }
        switch (n) {
        case 8: h.Dungeon = value; break;
        case 9: h.Floor = value; break;
        case 10: h.Chara = value; break;
        case 11: h.Score = value; break;
        case 12: h.PlayDate = value; break;
        case 33: {
            const qint64 s = value / 1000;
            h.PlayHour = qint32(s / 3600);
            h.PlayMinute = qint32(s % 3600 / 60);
            h.PlaySecond = qint32(s % 60);
            break;
        }
        default:
            if (n >= 13 && n <= 21)
                h.LimitPlay[n - 13] = value;
            else if (n >= 22 && n <= 32)
                h.Extra[n - 22] = value;
        }
    }
    const QByteArray text = file.mid(consumed, ReplayTextSize);
    std::memcpy(r.info.PlayerName, text.constData(), size_t(qMin<qsizetype>(text.size(), PlayerNameSize)));
    if (text.size() >= PlayerNameSize)
        std::memcpy(r.info.Comment, text.constData() + PlayerNameSize, size_t(text.size() - PlayerNameSize));
    return r;
}

// What the head should hold for a file made from recipe, apart from the play
// time (which the rows state themselves).
ReplayHead expectedHead(const ReplayRecipe &recipe)
{
    ReplayHead h{};
    const int records = qBound(0, recipe.infoRecords, 34);
    for (int n = 0; n < qMin(records, 8); ++n) {
        const QByteArray version = recipe.version.leftJustified(16, '\0', true);
        h.ReplayVer[2 * n] = version[2 * n];
        h.ReplayVer[2 * n + 1] = version[2 * n + 1];
    }
    const qint32 values[] = {recipe.dungeon, recipe.floor, recipe.chara, recipe.score, recipe.playDate};
    for (int n = 8; n < qMin(records, 13); ++n)
        (&h.Dungeon)[n - 8] = values[n - 8];
    for (int n = 13; n < qMin(records, 22); ++n)
        h.LimitPlay[n - 13] = recipe.limitPlay[size_t(n - 13)];
    for (int n = 22; n < qMin(records, 33); ++n)
        h.Extra[n - 22] = recipe.extra[size_t(n - 22)];
    return h;
}

bool sameHead(const ReplayHead &a, const ReplayHead &b)
{
    return std::memcmp(&a, &b, sizeof(ReplayHead)) == 0;
}

QByteArray presetDictionaryStream(const ReplayRecipe &recipe)
{
    const QByteArray data = ReplayMaker::decompressedStream(recipe);
    const QByteArray dictionary("QVreplay Ver107 dictionary");
    z_stream zs{};
    deflateInit(&zs, 6);
    deflateSetDictionary(&zs, reinterpret_cast<const Bytef *>(dictionary.constData()), uInt(dictionary.size()));
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size()))) + 64, '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.truncate(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return out;
}

ReplayRecipe fullSpec()
{
    ReplayRecipe s;
    s.version = "QVreplay Ver105 ";
    s.dungeon = 13;
    s.floor = 99;
    s.chara = 5;
    s.score = 123456789;
    s.playDate = 1234567890;
    s.limitPlay = {1, 0, 2, -1, 1, 0, 0, 1, 7};
    s.extra = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    s.playMillis = 3723999; // 1 h 2 min 3.999 s
    s.runRecords = 500;
    return s;
}

} // namespace

class tst_ReplayStreamReader : public QObject
{
    Q_OBJECT

private slots:
    void decodesFields_data();
    void decodesFields();
    void readsTexts_data();
    void readsTexts();
    void rejects_data();
    void rejects();
    void readErrors_data();
    void readErrors();
    void positionAtChunkEnds_data();
    void positionAtChunkEnds();
    void matchesReference();
};

void tst_ReplayStreamReader::decodesFields_data()
{
    QTest::addColumn<ReplayRecipe>("recipe");
    QTest::addColumn<int>("hour");
    QTest::addColumn<int>("minute");
    QTest::addColumn<int>("second");

    const ReplayRecipe full = fullSpec();
    QTest::newRow("all 34 records") << full << 1 << 2 << 3;

    ReplayRecipe s = full;
    s.version = "qvreplay ver107 "; // the prefix check is the caller's
    QTest::newRow("lower-case prefix still decoded") << s << 1 << 2 << 3;

    s = full;
    s.versionHighBits = qint32(0xA5C3B700);
    QTest::newRow("high bytes of version records ignored") << s << 1 << 2 << 3;

    s = full;
    s.dungeon = -5;
    s.floor = std::numeric_limits<qint32>::min();
    s.chara = -1;
    s.score = -123;
    s.playDate = -86400;
    s.playMillis = -3723999;
    QTest::newRow("negative values") << s << -1 << -2 << -3;

    s = full;
    s.playMillis = 90061999;
    QTest::newRow("play time over a day keeps its hours") << s << 25 << 1 << 1;
    s.playMillis = std::numeric_limits<qint32>::max();
    QTest::newRow("largest play time") << s << 596 << 31 << 23;
    s.playMillis = 999;
    QTest::newRow("under a second") << s << 0 << 0 << 0;

    for (int records : {0, 5, 8, 13, 33}) {
        s = full;
        s.infoRecords = records;
        s.runRecords = 0;
        QTest::addRow("only %d records", records) << s << 0 << 0 << 0;
    }
    s = full;
    s.infoRecords = 33;
    s.runRecords = 0;
    s.partialTail = 11;
    QTest::newRow("partial record 33 ignored") << s << 0 << 0 << 0;

    s = full;
    s.runRecords = 0;
    s.partialTail = 7;
    QTest::newRow("partial record after 34") << s << 1 << 2 << 3;

    // 408 + 12 * 5427 + 4 = 65536: the stream ends exactly when the output
    // buffer is full.
    s = full;
    s.runRecords = 5427;
    s.partialTail = 4;
    QTest::newRow("decompressed 64 KiB exactly") << s << 1 << 2 << 3;
    s.runRecords = 5427 + 5461;
    s.partialTail = 8;
    QTest::newRow("decompressed 128 KiB exactly") << s << 1 << 2 << 3;
    s.compressionLevel = 0;
    QTest::newRow("stored blocks, 128 KiB") << s << 1 << 2 << 3;
}

void tst_ReplayStreamReader::decodesFields()
{
    QFETCH(ReplayRecipe, recipe);
    QFETCH(int, hour);
    QFETCH(int, minute);
    QFETCH(int, second);

    const QByteArray stream = ReplayMaker::compressedStream(recipe);
    const ReadResult r = readBytes(ReplayMaker::replayFile(recipe, "name", "comment"));
    QCOMPARE(r.length, stream.size());
    QCOMPARE(r.position, stream.size());

    ReplayHead expected = expectedHead(recipe);
    expected.PlayHour = hour;
    expected.PlayMinute = minute;
    expected.PlaySecond = second;
    QCOMPARE(QByteArray(r.info.ReplayVer, 16), QByteArray(expected.ReplayVer, 16));
    QCOMPARE(r.info.Dungeon, expected.Dungeon);
    QCOMPARE(r.info.Floor, expected.Floor);
    QCOMPARE(r.info.Chara, expected.Chara);
    QCOMPARE(r.info.Score, expected.Score);
    QCOMPARE(r.info.PlayDate, expected.PlayDate);
    QCOMPARE(r.info.PlayHour, expected.PlayHour);
    QCOMPARE(r.info.PlayMinute, expected.PlayMinute);
    QCOMPARE(r.info.PlaySecond, expected.PlaySecond);
    QVERIFY(sameHead(r.info, expected)); // LimitPlay and Extra as stored, 2 and -1 kept
    QCOMPARE(fieldBytes(r.info.PlayerName, PlayerNameSize), QByteArray("name"));
}

void tst_ReplayStreamReader::readsTexts_data()
{
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QByteArray>("name");    // all 30 bytes
    QTest::addColumn<QByteArray>("comment"); // all 1024 bytes

    const QByteArray forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcd0123456789";
    const QByteArray zeroName(30, '\0');
    const QByteArray zeroComment(1024, '\0');
    QTest::newRow("stream only") << QByteArray() << zeroName << zeroComment;
    QTest::newRow("40 bytes") << forty << forty.left(30) << QByteArray("0123456789").leftJustified(1024, '\0');
    QTest::newRow("10 bytes") << forty.left(10) << forty.left(10).leftJustified(30, '\0') << zeroComment;
    QTest::newRow("29 bytes: no comment") << forty.left(29) << forty.left(29).leftJustified(30, '\0') << zeroComment;
    QTest::newRow("30 bytes: full name, no NUL") << forty.left(30) << forty.left(30) << zeroComment;

    const QByteArray sjisName = QByteArray("\x83\x65\x83\x58\x83\x67", 6).leftJustified(30, '\0');
    QByteArray comment(1024, 'c');
    comment.replace(10, 2, "\r\n");
    QTest::newRow("full fields and trailing bytes ignored")
        << sjisName + comment + QByteArray(100, 'x') << sjisName << comment;
}

void tst_ReplayStreamReader::readsTexts()
{
    QFETCH(QByteArray, tail);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, comment);

    const ReplayRecipe recipe = fullSpec();
    const QByteArray file = ReplayMaker::replayFile(recipe, tail);
    const ReadResult r = readBytes(file);
    QCOMPARE(r.length, file.size() - tail.size());
    QCOMPARE(r.position, r.length);
    QCOMPARE(QByteArray(r.info.PlayerName, PlayerNameSize), name);
    QCOMPARE(QByteArray(r.info.Comment, CommentSize), comment);
}

void tst_ReplayStreamReader::rejects_data()
{
    using ReplayMaker::Damage;
    QTest::addColumn<QByteArray>("file");

    ReplayRecipe recipe = fullSpec();
    recipe.runRecords = 20000; // several input chunks
    const QByteArray stream = ReplayMaker::compressedStream(recipe);
    QTest::newRow("empty") << ReplayMaker::brokenFile(Damage::Empty);
    QTest::newRow("plain text") << ReplayMaker::brokenFile(Damage::PlainText);
    QTest::newRow("truncated") << ReplayMaker::brokenFile(Damage::TruncatedStream, recipe);
    QTest::newRow("bad Adler-32") << ReplayMaker::brokenFile(Damage::BadAdler, recipe);
    QTest::newRow("raw deflate") << ReplayMaker::brokenFile(Damage::RawDeflate, recipe);
    QTest::newRow("gzip wrapper") << ReplayMaker::brokenFile(Damage::GzipWrapper, recipe);
    QTest::newRow("preset dictionary") << presetDictionaryStream(recipe);
    QTest::newRow("trailer cut by one byte") << stream.chopped(1);
    QTest::newRow("header only") << stream.left(2);
    QTest::newRow("window of 64 KiB") << QByteArray("\x88\x98", 2) + stream.mid(2);
    QByteArray damaged = stream;
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0xff);
    QTest::newRow("damaged deflate data") << damaged + ReplayMaker::textFields("n", "c");
}

void tst_ReplayStreamReader::rejects()
{
    QFETCH(QByteArray, file);
    const ReadResult r = readBytes(file);
    QCOMPARE(r.length, -1);
    // Nothing of a rejected stream reaches the head.
    QVERIFY(sameHead(r.info, ReplayHead{}));
}

void tst_ReplayStreamReader::readErrors_data()
{
    QTest::addColumn<qint64>("failAfter"); // bytes delivered before reads fail
    QTest::addColumn<bool>("fromEnd");     // failAfter counts back from L
    QTest::addColumn<bool>("succeeds");

    QTest::newRow("first read fails") << qint64(0) << false << false;
    QTest::newRow("fails inside the first chunk") << qint64(100) << false << false;
    QTest::newRow("fails after the first 64 KiB") << qint64(65536) << false << false;
    QTest::newRow("fails on the last stream byte") << qint64(1) << true << false;
    QTest::newRow("fails right after the stream") << qint64(0) << true << true;
}

void tst_ReplayStreamReader::readErrors()
{
    QFETCH(qint64, failAfter);
    QFETCH(bool, fromEnd);
    QFETCH(bool, succeeds);

    const ReplayRecipe recipe = fullSpec();
    const QByteArray stream = ReplayMaker::compressedStreamOfLength(recipe, 3 * 65536 + 1000);
    const qint64 length = stream.size();
    if (fromEnd)
        failAfter = length - failAfter;
    const qint64 expected = succeeds ? length : -1;

    FailDevice device(-1, failAfter);
    device.setData(stream + ReplayMaker::textFields("name", "comment"));
    QVERIFY(device.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    QVERIFY(device.seek(0)); // arms the read limit
    ReplayInfo info{};
    QCOMPARE(ReadReplayStream(device, info), expected);
    if (expected < 0)
        return;
    // The texts behind the stream cannot be read: they stay empty.
    QCOMPARE(device.pos(), length);
    ReadReplayText(device, info);
    QCOMPARE(fieldBytes(info.PlayerName, PlayerNameSize), QByteArray());
    QCOMPARE(info.Score, recipe.score);
}

void tst_ReplayStreamReader::positionAtChunkEnds_data()
{
    QTest::addColumn<qint64>("length");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("onDisk");

    for (bool onDisk : {false, true}) {
        const char *where = onDisk ? "file" : "buffer";
        QTest::addRow("%s: end of first 1 KiB chunk", where) << qint64(1024) << 6 << onDisk;
        QTest::addRow("%s: end of a later 1 KiB chunk", where) << qint64(7 * 1024) << 9 << onDisk;
        QTest::addRow("%s: middle of a 1 KiB chunk", where) << qint64(3 * 1024 + 517) << 1 << onDisk;
        QTest::addRow("%s: end of first 64 KiB chunk", where) << qint64(65536) << 6 << onDisk;
        QTest::addRow("%s: end of second 64 KiB chunk", where) << qint64(2 * 65536) << 0 << onDisk;
        QTest::addRow("%s: one byte into a 64 KiB chunk", where) << qint64(65537) << 6 << onDisk;
        QTest::addRow("%s: one byte short of 64 KiB", where) << qint64(65535) << 3 << onDisk;
    }
}

void tst_ReplayStreamReader::positionAtChunkEnds()
{
    QFETCH(qint64, length);
    QFETCH(int, level);
    QFETCH(bool, onDisk);

    ReplayRecipe recipe = fullSpec();
    recipe.compressionLevel = level;
    recipe.runRecords = 40; // small enough for a 1 KiB stream
    const QByteArray stream = ReplayMaker::compressedStreamOfLength(recipe, length);
    QCOMPARE(stream.size(), length);

    for (const QByteArray &tail : {QByteArray(), ReplayMaker::textFields("name", "comment") + "more"}) {
        const QByteArray bytes = stream + tail;
        ReadResult r;
        if (onDisk) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("chunk.dat"));
            QVERIFY(ReplayMaker::writeFile(path, bytes));
            r = readFile(path);
        } else {
            r = readBytes(bytes);
        }
        QCOMPARE(r.length, length);
        QCOMPARE(r.position, length);
        QCOMPARE(r.info.Score, recipe.score);
        QCOMPARE(fieldBytes(r.info.PlayerName, PlayerNameSize), tail.isEmpty() ? QByteArray() : QByteArray("name"));
        QCOMPARE(fieldBytes(r.info.Comment, CommentSize), tail.isEmpty() ? QByteArray() : QByteArray("comment"));
    }
}

void tst_ReplayStreamReader::matchesReference()
{
    QRandomGenerator random(20240601);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    for (int i = 0; i < 200; ++i) {
        ReplayRecipe recipe;
        recipe.version = QByteArray("QVreplay Ver10") + char('0' + random.bounded(10)) + ' ';
        recipe.versionHighBits = random.bounded(4) == 0 ? qint32(random.generate() & 0xffffff00u) : 0;
        recipe.dungeon = qint32(random.generate());
        recipe.floor = random.bounded(100);
        recipe.chara = random.bounded(-2, 8);
        recipe.score = qint32(random.generate());
        recipe.playDate = qint32(random.generate());
        for (qint32 &v : recipe.limitPlay)
            v = random.bounded(-1, 3);
        for (qint32 &v : recipe.extra)
            v = qint32(random.generate());
        recipe.playMillis = qint32(random.generate());
        recipe.infoRecords = random.bounded(5) == 0 ? random.bounded(35) : 34;
        // Mostly small runs, some of a few hundred KiB.
        recipe.runRecords = random.bounded(1 << random.bounded(16));
        recipe.runSeed = random.generate();
        recipe.partialTail = random.bounded(12);
        recipe.compressionLevel = random.bounded(10);

        QByteArray stream = ReplayMaker::compressedStream(recipe);
        if (i % 4 == 1) {
            // Make the stream end on an input chunk boundary.
            const qint64 chunk = i % 8 == 1 ? 65536 : 1024;
            const qint64 target = (stream.size() + 64 + chunk - 1) / chunk * chunk;
            stream = ReplayMaker::compressedStreamOfLength(recipe, target);
            QCOMPARE(stream.size(), target);
        }
        QByteArray file = stream;
        file += QByteArray(random.bounded(1200), char(random.bounded(256)));
        if (i % 10 == 9 && file.size() > 3)
            file[random.bounded(file.size())] ^= char(1 + random.bounded(255)); // usually fatal

        ReadResult actual;
        if (i % 10 == 0) {
            const QString path = dir.filePath(QStringLiteral("ref%1.dat").arg(i));
            QVERIFY(ReplayMaker::writeFile(path, file));
            actual = readFile(path);
        } else {
            actual = readBytes(file);
        }
        const ReadResult expected = referenceRead(file);
        const QByteArray row = QByteArray::number(i);
        QVERIFY2(actual.length == expected.length, row.constData());
        if (expected.length < 0) {
            QVERIFY2(sameHead(actual.info, ReplayHead{}), row.constData());
            continue;
        }
        QVERIFY2(actual.position == expected.position, row.constData());
        // Field by field: the record's tail padding is not part of it.
        QVERIFY2(sameHead(actual.info, expected.info), row.constData());
        QVERIFY2(std::memcmp(actual.info.PlayerName, expected.info.PlayerName, sizeof(ReplayInfo::PlayerName)) == 0,
                 row.constData());
        QVERIFY2(std::memcmp(actual.info.Comment, expected.info.Comment, sizeof(ReplayInfo::Comment)) == 0,
                 row.constData());
    }
}

QTEST_GUILESS_MAIN(tst_ReplayStreamReader)
#include "tst_ReplayStreamReader.moc"
