// bench_scan: times the replay scan and the stream reader against a bare zlib
// inflate of the same files on one thread. Builds a seeded corpus of replays
// with the test-data maker (kept on disk and used again by later runs with the
// same count and seed), warms the page cache, then runs the passes in turn and
// reports the best of each, the scans' peak memory and:
//   "ratio_decoder R"  = stream reader, one thread / inflate
//   "ratio_parallel R" = whole folder scan on all cores, no cache / inflate
//   "ratio_warm R"     = folder scan of the unchanged folder through the cache
//                        on disk (a new run: nothing in memory) / inflate
//   "identity_cost R"  = one-thread scan digesting each stream / the same
//                        scan without the digest (the digest alone is timed
//                        too, as the two scans differ by less than their noise)
// and last "ratio R" = one-thread scan / inflate.
//
//   bench_scan [--count N | --files N] [--dir DIR] [--seed S] [--repeat R]

#include "catalogue/FolderScanner.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"
#include "replay/ReplayIdentity.h"
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
#include <QThread>

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
        if ((arg == QLatin1String("--count") || arg == QLatin1String("--files")) && hasValue)
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

// Written last into a finished corpus: what it holds, so a later run with
// the same count and seed can use it instead of making it again (10,000 files
// take minutes).
QString corpusStamp(const Options &options, qint64 decompressedTotal)
{
    return QStringLiteral("bench_scan corpus 1 count %1 seed %2 decompressed %3\n")
        .arg(options.count)
        .arg(options.seed)
        .arg(decompressedTotal);
}

QString stampPath(const QString &dir)
{
    return QDir(dir).filePath(QStringLiteral("corpus.stamp"));
}

QString corpusFileName(const QString &dir, int i)
{
    return QDir(dir).filePath(QStringLiteral("bench_%1.dat").arg(i, 4, 10, QLatin1Char('0')));
}

// The corpus already in dir, when its stamp says it is the one asked for.
QStringList existingCorpus(const QString &dir, const Options &options, qint64 &decompressedTotal)
{
    QFile stamp(stampPath(dir));
    if (!stamp.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(stamp.readAll());
    const qint64 total = text.section(QLatin1Char(' '), -1).trimmed().toLongLong();
    if (text != corpusStamp(options, total))
        return {};
    QStringList files;
    for (int i = 0; i < options.count; ++i) {
        const QString path = corpusFileName(dir, i);
        if (!QFileInfo::exists(path))
            return {};
        files << path;
    }
    decompressedTotal = total;
    return files;
}

QStringList makeCorpus(const QString &dir, const Options &options, qint64 &decompressedTotal)
{
    QFile::remove(stampPath(dir));
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

        const QString path = corpusFileName(dir, i);
        const QByteArray name = "player" + QByteArray::number(i % 37);
        if (!ReplayMaker::writeFile(path, ReplayMaker::replayFile(recipe, name, "bench comment\r\nsecond line")))
            return {};
        files << path;
    }
    // The scanner trusts a file only once it has settled for a while.
    QThread::msleep(FolderScanner::DefaultSettleNs / 1000000 + 100);
    if (!ReplayMaker::writeFile(stampPath(dir), corpusStamp(options, decompressedTotal).toUtf8()))
        return {};
    return files;
}

// (a) What a folder scan does for each file, on one thread; with identity,
// also the digest of each stream.
PassResult scanPass(const QStringList &files, bool identity = false)
{
    PassResult result;
    QElapsedTimer timer;
    timer.start();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        ReplayInfo info{};
        ReplayIdentityDigest digest;
        const qint64 length = identity
            ? ReadReplayStream(file, info, [&digest](QByteArrayView bytes) { digest.add(bytes); })
            : ReadReplayStream(file, info);
        if (identity && length >= 0 && digest.result().isNull())
            continue;
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

// (e) The stream identity alone: the digest of every file's bytes, timed
// apart from reading them, for the absolute cost of identities.
PassResult digestPass(const QStringList &files)
{
    PassResult result;
    QByteArray bytes;
    qint64 nanoseconds = 0;
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        bytes = file.readAll();
        QElapsedTimer timer;
        timer.start();
        const ReplayIdentity identity = ReplayIdentityDigest::of(bytes);
        nanoseconds += timer.nsecsElapsed();
        if (!identity.isNull())
            ++result.accepted;
        result.bytes += bytes.size();
    }
    result.seconds = double(nanoseconds) / 1e9;
    return result;
}

// (d) The program's folder scan: listing, stamps, reading on every core,
// identities, the catalogue in listing order. With a cache, through it.
PassResult folderPass(const QString &dir, ScanCache *cache)
{
    PassResult result;
    QElapsedTimer timer;
    timer.start();
    FolderScanner scanner(cache);
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    const ScanCounts counts = scanner.scanStorage(dir + QLatin1Char('/'), list, leftOut, nullptr);
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    result.accepted = list.Count();
    result.bytes = counts.read; // files read, for the report
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
        std::fputs("Usage: bench_scan [--count N | --files N] [--dir DIR] [--seed S] [--repeat R]\n", stderr);
        return 2;
    }
    const Options options = *parsed;

    // Without --dir the corpus lives in the temporary folder under a name
    // of its count and seed, and stays there for the next run.
    const QString dir = options.dir.isEmpty()
        ? QDir::temp().filePath(QStringLiteral("qvReplayInfo-bench-%1-%2").arg(options.count).arg(options.seed))
        : options.dir;
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "bench_scan: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    QTemporaryDir cacheDir;
    if (!cacheDir.isValid()) {
        std::fputs("bench_scan: cannot create a temporary folder\n", stderr);
        return 1;
    }

    QElapsedTimer buildTimer;
    buildTimer.start();
    qint64 decompressed = 0;
    QStringList files = existingCorpus(dir, options, decompressed);
    const bool reused = !files.isEmpty();
    if (!reused)
        files = makeCorpus(dir, options, decompressed);
    if (files.isEmpty()) {
        std::fprintf(stderr, "bench_scan: cannot write the corpus into %s\n", qPrintable(dir));
        return 1;
    }
    qint64 onDisk = 0;
    for (const QString &path : files)
        onDisk += QFileInfo(path).size();
    std::printf("corpus: %d replays in %s, %.1f MB on disk, %.1f MB decompressed (%lld KB to %lld KB, seed %u), %s in %.1f s\n",
                int(files.size()), qPrintable(dir), mb(onDisk), mb(decompressed), MinDecompressed / 1000,
                MaxDecompressed / 1000, options.seed, reused ? "found" : "built", double(buildTimer.elapsed()) / 1000);
    std::printf("threads: %d\n", QThread::idealThreadCount());

    warmCache(files);
    // The cache the warm pass reads: filled by one cold scan.
    ScanCache fill(cacheDir.filePath(QStringLiteral("scan-cache.sqlite")));
    if (folderPass(dir, &fill).bytes != files.size()) {
        std::fputs("bench_scan: the cold scan did not read every file\n", stderr);
        return 1;
    }
    // One untimed round of each, so all start with warm code and allocator.
    scanPass(files);
    scanPass(files, true);
    decoderPass(files);
    zlibPass(files);
    folderPass(dir, nullptr);

    enum Pass { Scan, Identity, Decoder, Zlib, Parallel, Warm, PassCount };
    PassResult best[PassCount];
    qint64 peakKiB[PassCount] = {-1, -1, -1, -1, -1, -1};
    std::vector<double> roundRatios[PassCount];
    for (int round = 0; round < options.repeat; ++round) {
        PassResult got[PassCount];
        // Rotate which pass goes first, so none always inherits another's state.
        for (int turn = 0; turn < PassCount; ++turn) {
            const int pass = (round + turn) % PassCount;
            const qint64 baseKiB = statusKiB("VmRSS");
            const bool reset = resetPeak();
            switch (pass) {
            case Scan:
                got[pass] = scanPass(files);
                break;
            case Identity:
                got[pass] = scanPass(files, true);
                break;
            case Decoder:
                got[pass] = decoderPass(files);
                break;
            case Zlib:
                got[pass] = zlibPass(files);
                break;
            case Parallel:
                got[pass] = folderPass(dir, nullptr);
                break;
            case Warm: {
                // A new run: a new connection to the cache, nothing in memory.
                ScanCache cache(cacheDir.filePath(QStringLiteral("scan-cache.sqlite")));
                got[pass] = folderPass(dir, &cache);
                if (got[pass].bytes != 0) {
                    std::fprintf(stderr, "bench_scan: the warm scan read %lld files\n", got[pass].bytes);
                    return 1;
                }
                break;
            }
            }
            if (reset && baseKiB >= 0)
                peakKiB[pass] = qMax(peakKiB[pass], statusKiB("VmHWM") - baseKiB);
        }
        for (int pass = 0; pass < PassCount; ++pass) {
            if (got[pass].accepted != files.size()) {
                std::fprintf(stderr, "bench_scan: pass %d read only %d of %d files\n", pass, got[pass].accepted,
                             int(files.size()));
                return 1;
            }
            if (round == 0 || got[pass].seconds < best[pass].seconds)
                best[pass] = got[pass];
            const double base = pass == Identity ? got[Scan].seconds : got[Zlib].seconds;
            roundRatios[pass].push_back(got[pass].seconds / base);
        }
        std::printf("round %d: zlib %.3f s, scan %.3f s (%.3f), reader %.3f s (%.3f), parallel %.3f s (%.3f), "
                    "warm %.4f s (%.4f), scan with identity %.3f s (%.3f of the scan)\n",
                    round + 1, got[Zlib].seconds, got[Scan].seconds, roundRatios[Scan].back(), got[Decoder].seconds,
                    roundRatios[Decoder].back(), got[Parallel].seconds, roundRatios[Parallel].back(),
                    got[Warm].seconds, roundRatios[Warm].back(), got[Identity].seconds, roundRatios[Identity].back());
    }

    const auto line = [&](const char *name, Pass pass) {
        std::printf("%s: %.4f s, %.1f MB/s decompressed (best of %d)", name, best[pass].seconds,
                    mb(decompressed) / best[pass].seconds, options.repeat);
        if (peakKiB[pass] >= 0)
            std::printf(", peak %lld kB above the resident size before", peakKiB[pass]);
        std::printf("\n");
    };
    line("zlib", Zlib);
    line("scan", Scan);
    line("scan with identity", Identity);
    line("reader", Decoder);
    line("parallel", Parallel);
    line("warm", Warm);
    // On a busy machine single rounds wander; the median of the rounds' own
    // ratios shows whether the best times were a fluke.
    const auto median = [&](Pass pass) {
        std::vector<double> ratios = roundRatios[pass];
        std::sort(ratios.begin(), ratios.end());
        return ratios[ratios.size() / 2];
    };
    std::printf("median of round ratios: ratio %.3f, ratio_decoder %.3f, ratio_parallel %.3f, ratio_warm %.4f, "
                "identity_cost %.3f\n",
                median(Scan), median(Decoder), median(Parallel), median(Warm), median(Identity));
    const PassResult digest = digestPass(files);
    std::printf("identity digest alone: %.4f s for %.1f MB of files (%.1f GB/s), %.4f of the one-thread scan\n",
                digest.seconds, mb(digest.bytes), mb(digest.bytes) / 1000 / digest.seconds,
                digest.seconds / best[Scan].seconds);
    std::printf("identity_cost %.3f\n", best[Identity].seconds / best[Scan].seconds);
    std::printf("ratio_decoder %.3f\n", best[Decoder].seconds / best[Zlib].seconds);
    std::printf("ratio_parallel %.3f\n", best[Parallel].seconds / best[Zlib].seconds);
    std::printf("ratio_warm %.4f\n", best[Warm].seconds / best[Zlib].seconds);
    std::printf("ratio %.3f\n", best[Scan].seconds / best[Zlib].seconds);
    return 0;
}
