// bench_scan: times the replay scan and the stream reader against a bare zlib
// inflate of the same files. Builds a seeded corpus of replays with the
// test-data maker, warms the page cache, then runs the passes in turn and
// reports the best of each, the scan's peak memory, "ratio_decoder R" = reader
// time / inflate time and last "ratio R" = scan time / inflate time.
//
//   bench_scan [--count N] [--dir DIR] [--seed S] [--repeat R]

#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr qint64 MinDecompressed = 50 * 1000;
constexpr qint64 MaxDecompressed = 2 * 1000 * 1000;
constexpr int InflateBufferSize = 64 * 1024;

struct Options {
    int count = 2000;
    QString dir;
    quint32 seed = 1;
    int repeat = 5;
};

struct PassResult {
    double seconds = 0;
    qint64 bytes = 0;   // file bytes read
    int accepted = 0;   // files read as replays (scan) or inflated to their end (zlib)
};

std::optional<Options> parse(const QStringList &args)
{
    Options options;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (arg == QLatin1String("--count") && hasValue)
            options.count = args[++i].toInt(&ok);
        else if (arg == QLatin1String("--dir") && hasValue)
            options.dir = args[++i];
        else if (arg == QLatin1String("--seed") && hasValue)
            options.seed = args[++i].toUInt(&ok);
        else if (arg == QLatin1String("--repeat") && hasValue)
            options.repeat = args[++i].toInt(&ok);
        else
            return std::nullopt;
        if (!ok || options.count < 1 || options.repeat < 1)
            return std::nullopt;
    }
    return options;
}

// Sizes are spread evenly on a log scale: many short runs, fewer long ones.
qint64 pickSize(QRandomGenerator &random)
{
    const double lo = std::log(double(MinDecompressed));
    const double hi = std::log(double(MaxDecompressed));
    return qint64(std::exp(lo + (hi - lo) * random.generateDouble()));
}

QStringList makeCorpus(const QString &dir, const Options &options, qint64 &decompressedTotal)
{
    QRandomGenerator random(options.seed);
    QStringList files;
    decompressedTotal = 0;
    for (int i = 0; i < options.count; ++i) {
        ReplayMaker::ReplayRecipe recipe;
        recipe.version = random.bounded(4) == 0 ? QByteArrayLiteral("QVreplay Ver106 ") : QByteArrayLiteral("QVreplay Ver107 ");
        recipe.dungeon = qint32(random.bounded(14));
        recipe.floor = qint32(random.bounded(1, 62));
        recipe.chara = qint32(random.bounded(6));
        recipe.score = qint32(random.bounded(5000000));
        recipe.playDate = qint32(1150000000 + random.bounded(100000000));
        for (qint32 &flag : recipe.limitPlay)
            flag = random.bounded(3) == 0 ? 1 : 0;
        recipe.playMillis = qint32(random.bounded(4 * 3600 * 1000));
        recipe.runRecords = (pickSize(random) - ReplayInfoRecords * ReplayRecordSize) / ReplayRecordSize;
        recipe.runSeed = random.generate();
        decompressedTotal += (ReplayInfoRecords + recipe.runRecords) * ReplayRecordSize;

        const QString path = QDir(dir).filePath(QStringLiteral("bench_%1.dat").arg(i, 4, 10, QLatin1Char('0')));
        const QByteArray name = "player" + QByteArray::number(i % 37);
        if (!ReplayMaker::writeFile(path, ReplayMaker::replayFile(recipe, name, "bench comment\r\nsecond line")))
            return {};
        files << path;
    }
    return files;
}

// (a) What a folder scan does for each file.
PassResult scanPass(const QStringList &files)
{
    PassResult result;
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ReplayInfo info{};
        const qint64 length = ReadReplayStream(file, info);
        if (length >= 0) {
            ReadReplayText(file, info);
            if (hasReplayPrefix(info))
                ++result.accepted;
        }
        result.bytes += file.size();
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

// (b) The stream reader alone: find where each stream ends and decode its head.
PassResult decoderPass(const QStringList &files)
{
    PassResult result;
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ReplayHead head{};
        if (ReadReplayStream(file, head) >= 0 && hasReplayPrefix(head))
            ++result.accepted;
        result.bytes += file.size();
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

// (c) The least any reader must do: read the file and inflate it to its end.
PassResult zlibPass(const QStringList &files)
{
    PassResult result;
    std::vector<unsigned char> input;
    const auto output = std::make_unique<unsigned char[]>(InflateBufferSize);
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        input.resize(size_t(file.size()));
        const qint64 got = file.read(reinterpret_cast<char *>(input.data()), qint64(input.size()));
        file.close();
        if (got <= 0)
            continue;
        result.bytes += got;
        z_stream zs{};
        if (inflateInit(&zs) != Z_OK)
            continue;
        zs.next_in = input.data();
        zs.avail_in = uInt(got);
        int rc = Z_OK;
        while (rc == Z_OK) {
            zs.next_out = output.get();
            zs.avail_out = InflateBufferSize;
            rc = inflate(&zs, Z_NO_FLUSH);
        }
        if (rc == Z_STREAM_END)
            ++result.accepted;
        inflateEnd(&zs);
    }
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    return result;
}

void warmCache(const QStringList &files)
{
    QByteArray sink;
    for (const QString &path : files) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            sink = file.readAll();
    }
}

qint64 statusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Lets VmHWM start again from the current resident size.
bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1 && clear.flush();
}

double mb(qint64 bytes) { return double(bytes) / 1e6; }

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> parsed = parse(QCoreApplication::arguments());
    if (!parsed) {
        std::fputs("Usage: bench_scan [--count N] [--dir DIR] [--seed S] [--repeat R]\n", stderr);
        return 2;
    }
    const Options options = *parsed;

    QTemporaryDir temporary;
    QString dir = options.dir;
    if (dir.isEmpty()) {
        if (!temporary.isValid()) {
            std::fputs("bench_scan: cannot create a temporary folder\n", stderr);
            return 1;
        }
        dir = temporary.path();
    } else if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "bench_scan: cannot create %s\n", qPrintable(dir));
        return 1;
    }

    QElapsedTimer buildTimer;
    buildTimer.start();
    qint64 decompressed = 0;
    const QStringList files = makeCorpus(dir, options, decompressed);
    if (files.isEmpty()) {
        std::fprintf(stderr, "bench_scan: cannot write the corpus into %s\n", qPrintable(dir));
        return 1;
    }
    qint64 onDisk = 0;
    for (const QString &path : files)
        onDisk += QFileInfo(path).size();
    std::printf("corpus: %d replays in %s, %.1f MB on disk, %.1f MB decompressed (%lld KB to %lld KB, seed %u), built in %.1f s\n",
                int(files.size()), qPrintable(dir), mb(onDisk), mb(decompressed),
                MinDecompressed / 1000, MaxDecompressed / 1000, options.seed, double(buildTimer.elapsed()) / 1000);

    warmCache(files);
    // One untimed round of each, so all start with warm code and allocator.
    scanPass(files);
    decoderPass(files);
    zlibPass(files);

    PassResult bestScan, bestDecoder, bestZlib;
    qint64 peakKiB = -1, growthKiB = -1;
    std::vector<double> roundRatios, roundDecoderRatios;
    for (int round = 0; round < options.repeat; ++round) {
        PassResult scan, decoder, zlib;
        // Rotate which pass goes first, so none always inherits another's state.
        for (int turn = 0; turn < 3; ++turn) {
            switch ((round + turn) % 3) {
            case 0: {
                const qint64 baseKiB = statusKiB("VmRSS");
                const bool reset = resetPeak();
                scan = scanPass(files);
                if (reset && baseKiB >= 0) {
                    const qint64 hwm = statusKiB("VmHWM");
                    peakKiB = qMax(peakKiB, hwm);
                    growthKiB = qMax(growthKiB, hwm - baseKiB);
                }
                break;
            }
            case 1:
                decoder = decoderPass(files);
                break;
            default:
                zlib = zlibPass(files);
            }
        }
        if (scan.accepted != files.size() || decoder.accepted != files.size() || zlib.accepted != files.size()) {
            std::fprintf(stderr, "bench_scan: only %d (scan), %d (reader) and %d (zlib) of %d files were read\n",
                         scan.accepted, decoder.accepted, zlib.accepted, int(files.size()));
            return 1;
        }
        roundRatios.push_back(scan.seconds / zlib.seconds);
        roundDecoderRatios.push_back(decoder.seconds / zlib.seconds);
        std::printf("round %d: scan %.3f s, reader %.3f s, zlib %.3f s, ratio %.3f, ratio_decoder %.3f\n", round + 1,
                    scan.seconds, decoder.seconds, zlib.seconds, roundRatios.back(), roundDecoderRatios.back());
        if (round == 0 || scan.seconds < bestScan.seconds)
            bestScan = scan;
        if (round == 0 || decoder.seconds < bestDecoder.seconds)
            bestDecoder = decoder;
        if (round == 0 || zlib.seconds < bestZlib.seconds)
            bestZlib = zlib;
    }

    std::printf("scan: %.3f s, %.1f MB/s of files, %.1f MB/s decompressed (best of %d)\n", bestScan.seconds,
                mb(bestScan.bytes) / bestScan.seconds, mb(decompressed) / bestScan.seconds, options.repeat);
    std::printf("reader: %.3f s, %.1f MB/s of files, %.1f MB/s decompressed (best of %d)\n", bestDecoder.seconds,
                mb(bestDecoder.bytes) / bestDecoder.seconds, mb(decompressed) / bestDecoder.seconds, options.repeat);
    std::printf("zlib: %.3f s, %.1f MB/s of files, %.1f MB/s decompressed (best of %d)\n", bestZlib.seconds,
                mb(bestZlib.bytes) / bestZlib.seconds, mb(decompressed) / bestZlib.seconds, options.repeat);
    if (peakKiB >= 0)
        std::printf("scan peak memory: VmHWM %lld kB, %lld kB above the resident size before the scan\n", peakKiB,
                    growthKiB);
    else
        std::printf("scan peak memory: unavailable (/proc/self/clear_refs cannot be written)\n");
    // On a busy machine single rounds wander; the median of the rounds' own
    // ratios shows whether the best times were a fluke.
    std::sort(roundRatios.begin(), roundRatios.end());
    std::sort(roundDecoderRatios.begin(), roundDecoderRatios.end());
    std::printf("median of round ratios %.3f, ratio_decoder %.3f\n", roundRatios[roundRatios.size() / 2],
                roundDecoderRatios[roundDecoderRatios.size() / 2]);
    std::printf("ratio_decoder %.3f\n", bestDecoder.seconds / bestZlib.seconds);
    std::printf("ratio %.3f\n", bestScan.seconds / bestZlib.seconds);
    return 0;
}
