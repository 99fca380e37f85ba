// The stream reader, with each fast decoder built in, against the chunked
// zlib reader it replaced: the same results (length, head, texts, device
// position, also after a failure) for every kind of file the test-data maker
// makes, around every buffer limit.
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/StreamDecoders.h"
#include "tools/replaymaker/ReplayMaker.h"

#include "FailDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <thread>
#include <vector>

using ReplayMaker::Damage;
using ReplayMaker::ReplayRecipe;

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
// The reader's limits for decoding a stream whole: 8 MiB on disk, 32 MiB
// inflated; its first read is 64 KiB.
constexpr qint64 InputCap = 8 * MiB;
constexpr qint64 OutputCap = 32 * MiB;
constexpr qint64 Chunk = 64 * KiB;
constexpr int HeadBytes = ReplayInfoRecords * ReplayRecordSize;

struct Outcome {
    qint64 length = -1;
    qint64 position = -1;
    ReplayInfo info{};
    QByteArray streamBytes;
};

bool operator==(const Outcome &a, const Outcome &b)
{
    // Field by field: a copy need not keep the record's tail padding.
    return a.length == b.length && a.position == b.position
        && std::memcmp(static_cast<const ReplayHead *>(&a.info), static_cast<const ReplayHead *>(&b.info), sizeof(ReplayHead)) == 0
        && std::memcmp(a.info.PlayerName, b.info.PlayerName, PlayerNameSize) == 0
        && std::memcmp(a.info.Comment, b.info.Comment, CommentSize) == 0;
}

// A fast decoder in front of the zlib reader; null: the zlib reader alone.
using Reader = StreamDecoder;
constexpr Reader Zlib = nullptr;

Outcome readWith(Reader reader, QIODevice &device)
{
    Outcome r;
    if (reader)
        r.length = ReadReplayStreamWith(reader, device, r.info, [&r](QByteArrayView piece) { r.streamBytes += piece; });
    else
        r.length = ReadReplayStreamZlib(device, r.info);
    r.position = device.pos();
    if (r.length >= 0)
        ReadReplayText(device, r.info);
    return r;
}

// failAfter: bytes the device delivers before its reads fail (-1: never).
Outcome readBytes(Reader reader, const QByteArray &bytes, qint64 failAfter = -1)
{
    FailDevice device(-1, failAfter);
    device.setData(bytes);
    if (!device.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !device.seek(0))
        qFatal("cannot open the test device");
    return readWith(reader, device);
}

Outcome readFile(Reader reader, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open test file");
    return readWith(reader, file);
}

QByteArray describe(const Outcome &r)
{
    return "length " + QByteArray::number(r.length) + ", position " + QByteArray::number(r.position) + ", version "
        + QByteArray(r.info.ReplayVer, ReplayVerSize).toHex() + ", score " + QByteArray::number(r.info.Score);
}

ReplayRecipe withRun(qint64 runRecords, int level = 6)
{
    ReplayRecipe recipe;
    recipe.version = "QVreplay Ver106 ";
    recipe.score = 4321;
    recipe.playMillis = 3723999;
    recipe.runRecords = runRecords;
    recipe.compressionLevel = level;
    return recipe;
}

QByteArray texts() { return ReplayMaker::textFields("name", "comment\r\nline"); }

QByteArray flipped(QByteArray bytes, qint64 at)
{
    bytes[at] = char(bytes[at] ^ 0x40);
    return bytes;
}

} // namespace

class tst_ReplayStreamDecoders : public QObject
{
    Q_OBJECT

private slots:
    void sameAsZlib_data();
    void sameAsZlib();
    void headerRules();
    void threads();
};

void tst_ReplayStreamDecoders::sameAsZlib_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<qint64>("failAfter");
    QTest::addColumn<bool>("onDisk");

    const auto row = [](const char *name, const QByteArray &file, qint64 failAfter = -1, bool onDisk = false) {
        QTest::newRow(name) << file << failAfter << onDisk;
    };

    // Every kind of file that is no replay, with a stream of several chunks.
    const ReplayRecipe mid = withRun(60000);
    row("empty", ReplayMaker::brokenFile(Damage::Empty));
    row("plain text", ReplayMaker::brokenFile(Damage::PlainText));
    row("truncated", ReplayMaker::brokenFile(Damage::TruncatedStream, mid));
    row("bad Adler-32", ReplayMaker::brokenFile(Damage::BadAdler, mid));
    row("raw deflate", ReplayMaker::brokenFile(Damage::RawDeflate, mid));
    row("gzip wrapper", ReplayMaker::brokenFile(Damage::GzipWrapper, mid));
    row("preset dictionary", ReplayMaker::brokenFile(Damage::PresetDictionary, mid));
    row("lower-case prefix", ReplayMaker::brokenFile(Damage::LowerCasePrefix, mid));

    const QByteArray stream = ReplayMaker::compressedStream(mid);
    row("one byte", stream.left(1));
    row("header only", stream.left(2));
    row("trailer cut by one byte", stream.chopped(1));
    row("window of 64 KiB in the header", QByteArray("\x88\x98", 2) + stream.mid(2));
    row("damaged in the first chunk", flipped(stream, 100) + texts());
    row("damaged in a later chunk", flipped(stream, stream.size() - 50) + texts());
    row("read fails in a later chunk", stream + texts(), stream.size() - 1000);
    row("read fails right after the stream", stream + texts(), stream.size());

    // Sound files: texts whole or absent, trailing bytes, few records.
    row("stream only", stream);
    row("stream and texts", stream + texts());
    row("stream, texts and trailing bytes", stream + texts() + QByteArray(5000, 'x'));
    row("on disk", stream + texts(), -1, true);
    ReplayRecipe few = withRun(0);
    few.infoRecords = 20;
    few.partialTail = 5;
    row("20 records and a partial one", ReplayMaker::compressedStream(few) + texts());
    few.infoRecords = 0;
    few.partialTail = 0;
    row("nothing decompressed", ReplayMaker::compressedStream(few) + texts());

    // Streams ending around the end of the first 64 KiB read, and of the
    // first 8 KiB that ISA-L is given.
    for (const qint64 length : {8 * KiB - 1, 8 * KiB, 8 * KiB + 1, Chunk - 1, Chunk, Chunk + 1}) {
        const QByteArray exact = ReplayMaker::compressedStreamOfLength(withRun(40), length);
        QTest::addRow("stream of %lld bytes", length) << exact + texts() << qint64(-1) << false;
        QTest::addRow("stream of %lld bytes, nothing after", length) << exact << qint64(-1) << false;
    }

    // Decompressed sizes around the output buffer's growth, from barely
    // compressed (stored) to highly compressed data.
    row("stored, 3 MiB decompressed", ReplayMaker::compressedStream(withRun(3 * MiB / ReplayRecordSize, 0)) + texts());
    for (const qint64 size : {256 * KiB - 1, 256 * KiB, 256 * KiB + 1, 3 * MiB}) {
        QTest::addRow("zeros, %lld decompressed", size)
            << ReplayMaker::compressedStreamWithZeros(withRun(0), size - HeadBytes) + texts() << qint64(-1) << false;
    }
    // Around the ends of ISA-L's output pieces of 256 KiB.
    for (const qint64 size : {512 * KiB - 1, 512 * KiB, 512 * KiB + 1}) {
        QTest::addRow("zeros, %lld decompressed", size)
            << ReplayMaker::compressedStreamWithZeros(withRun(0), size - HeadBytes) + texts() << qint64(-1) << false;
    }
    // Runs of other shapes: short matches, and nearly all literals (which go
    // from ISA-L to libdeflate after the first piece), sound and damaged.
    for (const auto shape : {ReplayMaker::RunShape::Counter, ReplayMaker::RunShape::Noise}) {
        ReplayRecipe recipe = withRun(60000);
        recipe.runShape = shape;
        const QByteArray shaped = ReplayMaker::compressedStream(recipe);
        const char *name = shape == ReplayMaker::RunShape::Noise ? "noise" : "counter";
        QTest::addRow("%s, stream and texts", name) << shaped + texts() << qint64(-1) << false;
        QTest::addRow("%s, damaged in a later chunk", name) << flipped(shaped, shaped.size() - 50) + texts() << qint64(-1) << false;
        QTest::addRow("%s, truncated", name) << shaped.left(shaped.size() / 2) << qint64(-1) << false;
    }
    // At the cap of 32 MiB the whole decoding still applies; beyond it (a
    // zlib bomb) the chunked reader takes over.
    for (const qint64 size : {OutputCap, OutputCap + 1, OutputCap + 8 * MiB}) {
        QTest::addRow("zeros, %lld decompressed", size)
            << ReplayMaker::compressedStreamWithZeros(withRun(0), size - HeadBytes) + texts() << qint64(-1) << false;
    }
    row("zlib bomb on disk", ReplayMaker::compressedStreamWithZeros(withRun(0), OutputCap + 1) + texts(), -1, true);
    row("damaged zlib bomb",
        flipped(ReplayMaker::compressedStreamWithZeros(withRun(0), OutputCap + 8 * MiB), 20 * KiB) + texts());

    // Files around the input cap of 8 MiB: a stream of 8 MiB is decoded whole,
    // a longer one in chunks; a short stream in a huge file still ends early.
    ReplayRecipe stored = withRun(40, 0);
    for (const qint64 length : {InputCap, InputCap + 1}) {
        QTest::addRow("stream of %lld bytes", length)
            << ReplayMaker::compressedStreamOfLength(stored, length) + texts() << qint64(-1) << false;
    }
    row("truncated stream of over 8 MiB", ReplayMaker::compressedStreamOfLength(stored, InputCap + Chunk).left(InputCap + 100));
    row("short stream in a 9 MiB file", stream + texts() + QByteArray(9 * MiB, 'x'));
}

void tst_ReplayStreamDecoders::sameAsZlib()
{
    QFETCH(QByteArray, file);
    QFETCH(qint64, failAfter);
    QFETCH(bool, onDisk);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.dat"));
    if (onDisk)
        QVERIFY(ReplayMaker::writeFile(path, file));
    const auto read = [&](Reader reader) { return onDisk ? readFile(reader, path) : readBytes(reader, file, failAfter); };
    const Outcome zlib = read(Zlib);
    for (const NamedStreamDecoder &decoder : builtInStreamDecoders()) {
        const Outcome fast = read(decoder.decode);
        QVERIFY2(fast == zlib, (QByteArray(decoder.name) + ": " + describe(fast) + "; zlib: " + describe(zlib)).constData());
        if (fast.length >= 0)
            QVERIFY(fast.streamBytes == file.left(fast.length)); // every stream byte, once, in order
    }
}

void tst_ReplayStreamDecoders::headerRules()
{
    // Every possible two-byte header in front of a sound deflate body: check
    // bits, method, window size and the dictionary flag decide as inflate does.
    const QByteArray stream = ReplayMaker::compressedStream(withRun(30)) + texts();
    for (const NamedStreamDecoder &decoder : builtInStreamDecoders()) {
        int accepted = 0;
        for (int header = 0; header < 0x10000; ++header) {
            QByteArray file = stream;
            file[0] = char(header >> 8);
            file[1] = char(header & 0xff);
            const Outcome fast = readBytes(decoder.decode, file);
            const Outcome zlib = readBytes(Zlib, file);
            if (!(fast == zlib))
                QFAIL(qPrintable(QStringLiteral("%1, header %2: ")
                                     .arg(QLatin1String(decoder.name))
                                     .arg(header, 4, 16, QLatin1Char('0'))
                                 + QString::fromLatin1(describe(fast) + " / " + describe(zlib))));
            accepted += fast.length >= 0;
        }
        QCOMPARE(accepted, 32); // windows of 256 bytes to 32 KiB, four levels each
    }
}

void tst_ReplayStreamDecoders::threads()
{
    // Threads reading at once, each through its own buffers: a zlib bomb and
    // files of every size, each read the same as alone.
    std::vector<QByteArray> files;
    for (int i = 0; i < 12; ++i)
        files.push_back(ReplayMaker::compressedStream(withRun(qint64(1) << (4 + i))) + texts());
    files.push_back(ReplayMaker::compressedStreamWithZeros(withRun(0), OutputCap + MiB) + texts());
    files.push_back(ReplayMaker::brokenFile(Damage::BadAdler, withRun(5000)));
    std::vector<Outcome> alone;
    for (const QByteArray &file : files)
        alone.push_back(readBytes(Zlib, file));

    constexpr int Threads = 3;
    std::vector<int> mismatches(Threads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < Threads; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 2; ++round) {
                for (size_t k = 0; k < files.size(); ++k) {
                    const size_t i = (k * 5 + size_t(t) * 3 + size_t(round)) % files.size();
                    const Reader reader = builtInStreamDecoders()[(i + size_t(t)) % builtInStreamDecoders().size()].decode;
                    if (!(readBytes(reader, files[i]) == alone[i]))
                        ++mismatches[size_t(t)];
                }
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(mismatches, std::vector<int>(Threads, 0));
}

QTEST_GUILESS_MAIN(tst_ReplayStreamDecoders)
#include "tst_ReplayStreamDecoders.moc"
