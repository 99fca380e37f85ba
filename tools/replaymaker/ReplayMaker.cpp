#include "tools/replaymaker/ReplayMaker.h"

#include <QFile>

#include <zlib.h>


namespace ReplayMaker {
namespace {

constexpr int InfoRecords = 34;
constexpr int RecordSize = 12;

void appendLe32(QByteArray &out, qint32 value)
{
    const quint32 v = quint32(value);
    const char bytes[4] = {char(v & 0xff), char((v >> 8) & 0xff), char((v >> 16) & 0xff), char((v >> 24) & 0xff)};
    out.append(bytes, 4);
}

void appendRecord(QByteArray &out, qint32 first, qint32 second, qint32 third)
{
    appendLe32(out, first);
    appendLe32(out, second);
    appendLe32(out, third);
}

// Deterministic, compressible "recorded run": small values that drift like
// positions and key states of a real run.
struct RunGenerator {
    quint32 state;
    quint32 next()
    {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    }
};

// Deflates data in one call. Z_FINISH ends the stream with its trailer;
// Z_SYNC_FLUSH leaves it byte-aligned and open, so that more blocks can follow.
QByteArray deflateWith(const QByteArray &data, int level, int windowBits, int flush = Z_FINISH,
                       const QByteArray &dictionary = {})
{
    z_stream zs{};
    if (deflateInit2(&zs, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("ReplayMaker: deflateInit2 failed");
    if (!dictionary.isEmpty()
        && deflateSetDictionary(&zs, reinterpret_cast<const Bytef *>(dictionary.constData()), uInt(dictionary.size())) != Z_OK)
        qFatal("ReplayMaker: deflateSetDictionary failed");
    QByteArray out;
    out.resize(qsizetype(deflateBound(&zs, uLong(data.size()))) + 64);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, flush);
    const auto produced = qsizetype(zs.total_out);
    const bool complete = flush == Z_FINISH ? rc == Z_STREAM_END : rc == Z_OK && zs.avail_in == 0;
    deflateEnd(&zs);
    if (!complete)
        qFatal("ReplayMaker: deflate did not finish");
    out.truncate(produced);
    return out;
}

} // namespace

QByteArray decompressedStream(const ReplayRecipe &recipe)
{
    QByteArray out;
    out.reserve(qsizetype((InfoRecords + recipe.runRecords) * 12 + recipe.partialTail));
    QByteArray version = recipe.version.left(16);
    version.append(QByteArray(16 - version.size(), '\0'));

    auto infoRecord = [&](int n) {
        if (n < 8) {
            appendRecord(out, n, qint32(quint8(version[2 * n])) | recipe.versionHighBits,
                         qint32(quint8(version[2 * n + 1])) | recipe.versionHighBits);
            return;
        }
        qint32 value = 0;
        switch (n) {
        case 8: value = recipe.dungeon; break;
        case 9: value = recipe.floor; break;
        case 10: value = recipe.chara; break;
        case 11: value = recipe.score; break;
        case 12: value = recipe.playDate; break;
        case 33: value = recipe.playMillis; break;
        default:
            value = n <= 21 ? recipe.limitPlay[size_t(n - 13)] : recipe.extra[size_t(n - 22)];
        }
        appendRecord(out, n, value, 0);
    };
    const int info = qBound(0, recipe.infoRecords, InfoRecords);
    for (int n = 0; n < info; ++n)
        infoRecord(n);

    RunGenerator run{recipe.runSeed};
    qint32 x = 100, y = 100;
    for (qint64 i = 0; i < recipe.runRecords; ++i) {
        const quint32 r = run.next();
        switch (recipe.runShape) {
        case RunShape::Drift:
            x += qint32(r % 3) - 1;
            y += qint32((r >> 2) % 3) - 1;
            appendRecord(out, qint32(r >> 20) & 0x3f, x, y);
            break;
        case RunShape::Counter:
            // One record per step: the keys change every eighth step or so,
            // the position every fourth.
            if (r % 8 == 0)
                x = qint32((r >> 4) % 16);
            if ((r >> 8) % 4 == 0)
                y += (r >> 10) & 1 ? 1 : -1;
            appendRecord(out, qint32(i), x, y);
            break;
        case RunShape::Noise:
            out.append(char((r >> 16) % 200));
            for (int k = 1; k < RecordSize; ++k)
                out.append(char((run.next() >> 16) % 200));
            break;
        }
    }
    const quint32 tailSeed = run.next();
    for (int i = 0; i < qBound(0, recipe.partialTail, 11); ++i)
        out.append(char((tailSeed >> (i % 4 * 8)) & 0xff));
    return out;
}

QByteArray compressedStream(const ReplayRecipe &recipe)
{
    return deflateWith(decompressedStream(recipe), qBound(0, recipe.compressionLevel, 9), 15);
}

QByteArray compressedStreamOfLength(const ReplayRecipe &recipe, qint64 length)
{
    const QByteArray data = decompressedStream(recipe);
    // Byte-aligned with no final block yet, so hand-made stored blocks can follow.
    QByteArray out = deflateWith(data, qBound(0, recipe.compressionLevel, 9), 15, Z_SYNC_FLUSH);
    const qint64 prefix = out.size();

    constexpr qint64 BlockHeader = 5; // header byte (aligned) + LEN + NLEN
    constexpr qint64 MaxBlock = 65535;
    constexpr qint64 Trailer = 4;
    qint64 room = length - prefix - Trailer;
    if (room < BlockHeader)
        return {};
    uLong adler = adler32(adler32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size()));
    quint32 filler = recipe.runSeed;
    while (room > 0) {
        qint64 n = qMin(room - BlockHeader, MaxBlock);
        const qint64 rest = room - BlockHeader - n;
        if (rest > 0 && rest < BlockHeader)
            n -= BlockHeader; // leave room for a whole further block
        const bool last = room - BlockHeader - n == 0;
        const auto len = quint16(n);
        const char header[5] = {char(last ? 1 : 0), char(len & 0xff), char(len >> 8), char(~len & 0xff),
                                char((~len >> 8) & 0xff)};
        out.append(header, 5);
        QByteArray block(qsizetype(n), Qt::Uninitialized);
        for (char &c : block) {
            filler = filler * 1664525u + 1013904223u;
            c = char(filler >> 24);
        }
        adler = adler32(adler, reinterpret_cast<const Bytef *>(block.constData()), uInt(block.size()));
        out.append(block);
        room -= BlockHeader + n;
    }
    const char trailer[4] = {char((adler >> 24) & 0xff), char((adler >> 16) & 0xff), char((adler >> 8) & 0xff),
                             char(adler & 0xff)};
    out.append(trailer, 4);
    return out;
}

QByteArray compressedStreamWithZeros(const ReplayRecipe &recipe, qint64 zeros)
{
    z_stream zs{};
    if (deflateInit(&zs, 9) != Z_OK)
        qFatal("ReplayMaker: deflateInit failed");
    QByteArray out;
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    // Deflates `size` bytes at data, or finishes the stream when flush is Z_FINISH.
    auto feed = [&](const char *data, qint64 size, int flush) {
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
        zs.avail_in = uInt(size);
        int rc = Z_OK;
        do {
            zs.next_out = reinterpret_cast<Bytef *>(piece.data());
            zs.avail_out = uInt(piece.size());
            rc = deflate(&zs, flush);
            out.append(piece.constData(), piece.size() - qsizetype(zs.avail_out));
        } while (zs.avail_out == 0 || (flush == Z_FINISH && rc != Z_STREAM_END));
    };
    const QByteArray records = decompressedStream(recipe);
    feed(records.constData(), records.size(), Z_NO_FLUSH);
    const QByteArray zeroPiece(1024 * 1024, '\0');
    for (qint64 left = zeros; left > 0; left -= zeroPiece.size())
        feed(zeroPiece.constData(), qMin<qint64>(left, zeroPiece.size()), Z_NO_FLUSH);
    feed(nullptr, 0, Z_FINISH);
    deflateEnd(&zs);
    return out;
}

QByteArray textFields(const QByteArray &name, const QByteArray &comment)
{
    QByteArray out = name.left(30);
    out.append(QByteArray(30 - out.size(), '\0'));
    const QByteArray c = comment.left(1024);
    out.append(c);
    out.append(QByteArray(1024 - c.size(), '\0'));
    return out;
}

QByteArray replayFile(const ReplayRecipe &recipe, const QByteArray &tail)
{
    return compressedStream(recipe) + tail;
}

QByteArray replayFile(const ReplayRecipe &recipe, const QByteArray &name, const QByteArray &comment,
                      const QByteArray &trailing)
{
    return compressedStream(recipe) + textFields(name, comment) + trailing;
}

QByteArray brokenFile(Damage damage, const ReplayRecipe &recipe)
{
    switch (damage) {
    case Damage::TruncatedStream: {
        const QByteArray stream = compressedStream(recipe);
        return stream.left(qMax<qsizetype>(1, stream.size() / 2));
    }
    case Damage::BadAdler: {
        QByteArray stream = compressedStream(recipe);
        stream[stream.size() - 1] = char(stream[stream.size() - 1] ^ 0x5a);
        return stream + textFields("name", "comment");
    }
    case Damage::RawDeflate:
        return deflateWith(decompressedStream(recipe), 6, -15) + textFields("name", "comment");
    case Damage::GzipWrapper:
        return deflateWith(decompressedStream(recipe), 6, 31) + textFields("name", "comment");
    case Damage::Empty:
        return {};
    case Damage::PlainText:
        return QByteArrayLiteral("This is not a replay, just a line of text.\r\n");
    case Damage::LowerCasePrefix: {
        ReplayRecipe lower = recipe;
        lower.version = QByteArrayLiteral("qvreplay Ver107 ");
        return replayFile(lower, textFields("name", "comment"));
    }
    case Damage::PresetDictionary:
        return deflateWith(decompressedStream(recipe), 6, 15, Z_FINISH, QByteArrayLiteral("QVreplay Ver107 dictionary"))
            + textFields("name", "comment");
    }
    return {};
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace ReplayMaker
