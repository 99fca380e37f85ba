// bench_scan: times the replay scan and the stream reader against a bare zlib
// inflate of the same files on one thread. Builds a seeded corpus of replays
// of one shape with the test-data maker (kept on disk and used again by later
// runs with the same shape, count and seed), warms the page cache, then runs
// the passes in turn and reports the best of each, the scans' peak memory and:
//   "ratio_decoder R"  = stream reader, one thread / inflate
//   "ratio_parallel R" = whole folder scan on all cores, no cache / inflate
//   "ratio_warm R"     = folder scan of the unchanged folder through the cache
//                        on disk (a new run: nothing in memory) / inflate
//   "identity_cost R"  = one-thread scan digesting each stream / the same
//                        scan without the digest (the digest alone is timed
//                        too, as the two scans differ by less than their noise)
//   "ratio R"          = one-thread scan / inflate
// then a table of the fast decoders built in (the per-file work of a scan with
// each, on one thread and on two) and the goal lines:
//   "goal one_core R"  = the program's folder scan on one worker thread / inflate
//   "goal two_cores R" = the folder scan on two worker threads / inflate
//
// --shape all runs every shape in turn and ends with a table of all of them.
// --warm-only times the start of a run over a large folder instead: the
// re-read of COUNT unchanged files through the cache in a new process, and
// that process's peak memory.
//
//   bench_scan [--shape NAME|all] [--count N | --files N] [--dir DIR] [--seed S] [--repeat R]
//   bench_scan --warm-only [--files N] [--dir DIR] [--seed S] [--repeat R]

#include "catalogue/FolderScanner.h"
#include "catalogue/ParallelReads.h"
#include "catalogue/ReplayList.h"
#include "catalogue/ScanCache.h"
#include "replay/ReplayIdentity.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/StreamDecoders.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <unistd.h>
#include <vector>

using ReplayMaker::RunShape;

namespace {

constexpr qint64 MinDecompressed = 50 * 1000;
constexpr qint64 MaxDecompressed = 2 * 1000 * 1000;
constexpr int InflateBufferSize = 64 * 1024;

// Goals of the scan against one-core zlib.
constexpr double OneCoreGoal = 0.65;
constexpr double TwoCoresGoal = 0.35;
constexpr double PresentTwoCoresGoal = 0.25;
// Goals of a start over a large folder.
constexpr double WarmGoalSeconds = 0.3;
constexpr double PeakGoalMB = 150;

// The warm corpus: this many distinct files, the rest hard links to them.
constexpr int WarmDistinct = 5000;

struct Shape {
    const char *name;
    RunShape run;
    int level;
    const char *what;
};

const Shape Shapes[] = {
    {"present", RunShape::Drift, 6, "drifting positions, deflate level 6 (the corpus of earlier versions)"},
    {"records-1", RunShape::Counter, 1, "12-byte records, a step counter and mostly repeating fields, level 1"},
    {"records-6", RunShape::Counter, 6, "the same records at level 6"},
    {"records-9", RunShape::Counter, 9, "the same records at level 9"},
    {"noise", RunShape::Noise, 6, "bytes of 200 values at random, nearly incompressible, level 6"},
};

struct Options {
    int count = 2000;
    QString dir;
    quint32 seed = 1;
    int repeat = 5;
    std::vector<const Shape *> shapes{&Shapes[0]};
    bool warmOnly = false;
    QString warmChild; // internal: the folder a child process scans warm
};

struct PassResult {
    double seconds = 0;
    double cpuSeconds = 0; // of every thread of the process: robust against a busy machine
    qint64 bytes = 0;   // file bytes read
    int accepted = 0;   // files read as replays (scan) or inflated to their end (zlib)
};

const Shape *shapeNamed(const QString &name)
{
    for (const Shape &shape : Shapes) {
        if (name == QLatin1String(shape.name))
            return &shape;
    }
    return nullptr;
}

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
        else if (arg == QLatin1String("--shape") && hasValue) {
            const QString name = args[++i];
            options.shapes.clear();
            if (name == QLatin1String("all")) {
                for (const Shape &shape : Shapes)
                    options.shapes.push_back(&shape);
            } else if (const Shape *shape = shapeNamed(name)) {
                options.shapes.push_back(shape);
            } else {
                return std::nullopt;
            }
        } else if (arg == QLatin1String("--warm-only"))
            options.warmOnly = true;
        else if (arg == QLatin1String("--warm-child") && hasValue)
            options.warmChild = args[++i];
        else
            return std::nullopt;
        if (!ok || options.count < 1 || options.repeat < 1)
            return std::nullopt;
    }
    // A corpus folder of one's own holds one shape.
    if (!options.dir.isEmpty() && options.shapes.size() > 1)
        return std::nullopt;
    return options;
}

// Sizes are spread evenly on a log scale: many short runs, fewer long ones.
qint64 pickSize(QRandomGenerator &random, qint64 lo = MinDecompressed, qint64 hi = MaxDecompressed)
{
    const double a = std::log(double(lo));
    const double b = std::log(double(hi));
    return qint64(std::exp(a + (b - a) * random.generateDouble()));
}

QString corpusFileName(const QString &dir, int i, int width = 4)
{
    return QDir(dir).filePath(QStringLiteral("bench_%1.dat").arg(i, width, 10, QLatin1Char('0')));
}

QString stampPath(const QString &dir)
{
    return QDir(dir).filePath(QStringLiteral("corpus.stamp"));
}

// A corpus: the files and what its stamp says of it.
struct Corpus {
    QString dir;
    QStringList files;
    qint64 decompressed = 0;
    bool found = false; // made by an earlier run
};

// Written last into a finished corpus: what it holds, so a later run with
// the same shape, count and seed can use it instead of making it again
// (10,000 files take minutes). The present shape keeps the stamp of the
// versions before shapes, so their corpora still serve.
QString corpusStamp(const QString &kind, int count, quint32 seed, qint64 decompressedTotal)
{
    const QString shape = kind == QLatin1String("present") ? QString() : QStringLiteral("shape %1 ").arg(kind);
    return QStringLiteral("bench_scan corpus 1 %1count %2 seed %3 decompressed %4\n")
        .arg(shape)
        .arg(count)
        .arg(seed)
        .arg(decompressedTotal);
}

// The corpus already in dir, when its stamp says it is the one asked for.
bool findCorpus(Corpus &corpus, const QString &kind, int count, quint32 seed, int width)
{
    QFile stamp(stampPath(corpus.dir));
    if (!stamp.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(stamp.readAll());
    const qint64 total = text.section(QLatin1Char(' '), -1).trimmed().toLongLong();
    if (text != corpusStamp(kind, count, seed, total))
        return false;
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const QString path = corpusFileName(corpus.dir, i, width);
        if (!QFileInfo::exists(path))
            return false;
        files << path;
    }
    corpus.files = files;
    corpus.decompressed = total;
    corpus.found = true;
    return true;
}

ReplayMaker::ReplayRecipe recipeFor(QRandomGenerator &random, const Shape &shape, qint64 decompressed)
{
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
    recipe.runRecords = (decompressed - ReplayInfoRecords * ReplayRecordSize) / ReplayRecordSize;
    recipe.runSeed = random.generate();
    recipe.runShape = shape.run;
    recipe.compressionLevel = shape.level;
    return recipe;
}

// Writes the files on every core; false when one could not be written.
bool writeFiles(const std::vector<std::pair<QString, QByteArray>> &names,
                const std::vector<ReplayMaker::ReplayRecipe> &recipes)
{
    std::atomic<bool> ok{true};
    runInParallel(
        qsizetype(recipes.size()), 0,
        [&](qsizetype i) {
            const auto &[path, texts] = names[size_t(i)];
            if (!ReplayMaker::writeFile(path, ReplayMaker::compressedStream(recipes[size_t(i)]) + texts))
                ok = false;
        },
        nullptr);
    return ok;
}

bool finishCorpus(Corpus &corpus, const QString &kind, int count, quint32 seed)
{
    // The scanner trusts a file only once it has settled for a while.
    QThread::msleep(FolderScanner::DefaultSettleNs / 1000000 + 100);
    return ReplayMaker::writeFile(stampPath(corpus.dir), corpusStamp(kind, count, seed, corpus.decompressed).toUtf8());
}

bool makeCorpus(Corpus &corpus, const Shape &shape, int count, quint32 seed)
{
    QFile::remove(stampPath(corpus.dir));
    QRandomGenerator random(seed);
    std::vector<ReplayMaker::ReplayRecipe> recipes;
    std::vector<std::pair<QString, QByteArray>> names;
    corpus.decompressed = 0;
    for (int i = 0; i < count; ++i) {
        recipes.push_back(recipeFor(random, shape, pickSize(random)));
        corpus.decompressed += (ReplayInfoRecords + recipes.back().runRecords) * ReplayRecordSize;
        const QByteArray name = "player" + QByteArray::number(i % 37);
        names.emplace_back(corpusFileName(corpus.dir, i), ReplayMaker::textFields(name, "bench comment\r\nsecond line"));
        corpus.files << names.back().first;
    }
    return writeFiles(names, recipes) && finishCorpus(corpus, QLatin1String(shape.name), count, seed);
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

// (d) The program's folder scan: listing, stamps, reading on `threads`
// worker threads (0: every core), identities, the catalogue in listing
// order. With a cache, through it.
PassResult folderPass(const QString &dir, ScanCache *cache, int threads = 0)
{
    PassResult result;
    QElapsedTimer timer;
    timer.start();
    FolderScanner scanner(cache);
    scanner.setThreads(threads);
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    const ScanCounts counts = scanner.scanStorage(dir + QLatin1Char('/'), list, leftOut, nullptr);
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    result.accepted = list.Count();
    result.bytes = counts.read; // files read, for the report
    return result;
}

// (f) The per-file work of a scan (open, read, decode, digest, texts) with
// the given fast decoder, on `threads` threads.
PassResult workPass(const QStringList &files, StreamDecoder decoder, int threads)
{
    std::atomic<int> accepted{0};
    std::atomic<qint64> bytes{0};
    QElapsedTimer timer;
    timer.start();
    runInParallel(
        files.size(), threads,
        [&](qsizetype i) {
            QFile file(files[i]);
            if (!file.open(QIODevice::ReadOnly))
                return;
            ReplayInfo info{};
            ReplayIdentityDigest digest;
            const qint64 length =
                ReadReplayStreamWith(decoder, file, info, [&digest](QByteArrayView piece) { digest.add(piece); });
            if (length >= 0 && !digest.result().isNull()) {
                ReadReplayText(file, info);
                if (hasReplayPrefix(info))
                    ++accepted;
            }
            bytes += file.size();
        },
        nullptr);
    PassResult result;
    result.seconds = double(timer.nsecsElapsed()) / 1e9;
    result.accepted = accepted;
    result.bytes = bytes;
    return result;
}

void warmPageCache(const QStringList &files)
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

double processCpuSeconds()
{
    struct timespec now {};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

const char *verdict(double value, double goal) { return value <= goal ? "met" : "MISSED"; }

// What one shape's run found, for the table of all shapes.
struct ShapeSummary {
    const Shape *shape = nullptr;
    double oneCore = 0;
    double twoCores = 0;
    std::vector<std::pair<double, double>> decoders; // one core, two cores; as builtInStreamDecoders()
};

int threadsLabel() { return QThread::idealThreadCount(); }

std::optional<ShapeSummary> runShape(const Options &options, const Shape &shape, const QString &tempDir)
{
    // Without --dir the corpus lives in the temporary folder under a name
    // of its shape, count and seed, and stays there for the next run.
    const QString kind = QLatin1String(shape.name);
    const QString folderName = kind == QLatin1String("present")
        ? QStringLiteral("qvReplayInfo-bench-%1-%2").arg(options.count).arg(options.seed)
        : QStringLiteral("qvReplayInfo-bench-%1-%2-%3").arg(kind).arg(options.count).arg(options.seed);
    Corpus corpus;
    corpus.dir = options.dir.isEmpty() ? QDir::temp().filePath(folderName) : options.dir;
    if (!QDir().mkpath(corpus.dir)) {
        std::fprintf(stderr, "bench_scan: cannot create %s\n", qPrintable(corpus.dir));
        return std::nullopt;
    }
    QElapsedTimer buildTimer;
    buildTimer.start();
    if (!findCorpus(corpus, kind, options.count, options.seed, 4) && !makeCorpus(corpus, shape, options.count, options.seed)) {
        std::fprintf(stderr, "bench_scan: cannot write the corpus into %s\n", qPrintable(corpus.dir));
        return std::nullopt;
    }
    const QStringList &files = corpus.files;
    const QString &dir = corpus.dir;
    qint64 onDisk = 0;
    for (const QString &path : files)
        onDisk += QFileInfo(path).size();
    std::printf("\nshape %s: %s\n", shape.name, shape.what);
    std::printf("corpus: %d replays in %s, %.1f MB on disk, %.1f MB decompressed (%lld KB to %lld KB, seed %u), %s in %.1f s\n",
                int(files.size()), qPrintable(dir), mb(onDisk), mb(corpus.decompressed), MinDecompressed / 1000,
                MaxDecompressed / 1000, options.seed, corpus.found ? "found" : "built",
                double(buildTimer.elapsed()) / 1000);
    std::printf("threads: %d; decoder of the program: %s\n", threadsLabel(), builtInStreamDecoders().front().name);
    std::fflush(stdout);

    warmPageCache(files);
    // The cache the warm pass reads: filled by one cold scan.
    const QString cachePath = QDir(tempDir).filePath(QStringLiteral("scan-cache-%1.sqlite").arg(kind));
    {
        ScanCache fill(cachePath);
        if (folderPass(dir, &fill).bytes != files.size()) {
            std::fputs("bench_scan: the cold scan did not read every file\n", stderr);
            return std::nullopt;
        }
    }
    // One untimed round of each, so all start with warm code and allocator.
    scanPass(files);
    scanPass(files, true);
    decoderPass(files);
    zlibPass(files);
    folderPass(dir, nullptr);

    const auto decoders = builtInStreamDecoders();
    enum Pass { Scan, Identity, Decoder, Zlib, Parallel, Warm, OneWorker, FixedPasses };
    const int passCount = FixedPasses + 2 * int(decoders.size());
    std::vector<PassResult> best(static_cast<size_t>(passCount));
    std::vector<qint64> peakKiB(static_cast<size_t>(passCount), -1);
    std::vector<double> bestCpu(static_cast<size_t>(passCount), 0);
    std::vector<std::vector<double>> roundRatios(static_cast<size_t>(passCount));
    for (int round = 0; round < options.repeat; ++round) {
        std::vector<PassResult> got(static_cast<size_t>(passCount));
        // Rotate which pass goes first, so none always inherits another's state.
        for (int turn = 0; turn < passCount; ++turn) {
            const int pass = (round + turn) % passCount;
            const qint64 baseKiB = statusKiB("VmRSS");
            const bool reset = resetPeak();
            const double cpuBefore = processCpuSeconds();
            PassResult &r = got[size_t(pass)];
            switch (pass) {
            case Scan:
                r = scanPass(files);
                break;
            case Identity:
                r = scanPass(files, true);
                break;
            case Decoder:
                r = decoderPass(files);
                break;
            case Zlib:
                r = zlibPass(files);
                break;
            case Parallel:
                r = folderPass(dir, nullptr);
                break;
            case Warm: {
                // A new run: a new connection to the cache, nothing in memory.
                ScanCache cache(cachePath);
                r = folderPass(dir, &cache);
                if (r.bytes != 0) {
                    std::fprintf(stderr, "bench_scan: the warm scan read %lld files\n", r.bytes);
                    return std::nullopt;
                }
                break;
            }
            case OneWorker:
                r = folderPass(dir, nullptr, 1);
                break;
            default: {
                const int d = (pass - FixedPasses) / 2;
                r = workPass(files, decoders[size_t(d)].decode, (pass - FixedPasses) % 2 == 0 ? 1 : 2);
                break;
            }
            }
            r.cpuSeconds = processCpuSeconds() - cpuBefore;
            if (reset && baseKiB >= 0)
                peakKiB[size_t(pass)] = qMax(peakKiB[size_t(pass)], statusKiB("VmHWM") - baseKiB);
        }
        for (int pass = 0; pass < passCount; ++pass) {
            const PassResult &r = got[size_t(pass)];
            if (r.accepted != files.size()) {
                std::fprintf(stderr, "bench_scan: pass %d read only %d of %d files\n", pass, r.accepted,
                             int(files.size()));
                return std::nullopt;
            }
            if (round == 0 || r.seconds < best[size_t(pass)].seconds)
                best[size_t(pass)] = r;
            if (round == 0 || r.cpuSeconds < bestCpu[size_t(pass)])
                bestCpu[size_t(pass)] = r.cpuSeconds;
            const double base = pass == Identity ? got[Scan].seconds : got[Zlib].seconds;
            roundRatios[size_t(pass)].push_back(r.seconds / base);
        }
        std::printf("round %d: zlib %.3f s, scan %.3f s (%.3f), reader %.3f s (%.3f), parallel %.3f s (%.3f), "
                    "one worker %.3f s (%.3f), warm %.4f s (%.4f), scan with identity %.3f s (%.3f of the scan)\n",
                    round + 1, got[Zlib].seconds, got[Scan].seconds, roundRatios[Scan].back(), got[Decoder].seconds,
                    roundRatios[Decoder].back(), got[Parallel].seconds, roundRatios[Parallel].back(),
                    got[OneWorker].seconds, roundRatios[OneWorker].back(), got[Warm].seconds,
                    roundRatios[Warm].back(), got[Identity].seconds, roundRatios[Identity].back());
        std::fflush(stdout);
    }

    const auto line = [&](const char *name, int pass) {
        std::printf("%s: %.4f s, %.1f MB/s decompressed (best of %d)", name, best[size_t(pass)].seconds,
                    mb(corpus.decompressed) / best[size_t(pass)].seconds, options.repeat);
        if (peakKiB[size_t(pass)] >= 0)
            std::printf(", peak %lld kB above the resident size before", peakKiB[size_t(pass)]);
        std::printf("\n");
    };
    line("zlib", Zlib);
    line("scan", Scan);
    line("scan with identity", Identity);
    line("reader", Decoder);
    line("parallel", Parallel);
    line("one worker", OneWorker);
    line("warm", Warm);
    // On a busy machine single rounds wander; the median of the rounds' own
    // ratios shows whether the best times were a fluke.
    std::printf("median of round ratios: ratio %.3f, ratio_decoder %.3f, ratio_parallel %.3f, ratio_warm %.4f, "
                "identity_cost %.3f, one worker %.3f\n",
                median(roundRatios[Scan]), median(roundRatios[Decoder]), median(roundRatios[Parallel]),
                median(roundRatios[Warm]), median(roundRatios[Identity]), median(roundRatios[OneWorker]));
    const PassResult digest = digestPass(files);
    std::printf("identity digest alone: %.4f s for %.1f MB of files (%.1f GB/s), %.4f of the one-thread scan\n",
                digest.seconds, mb(digest.bytes), mb(digest.bytes) / 1000 / digest.seconds,
                digest.seconds / best[Scan].seconds);
    const double zlib = best[Zlib].seconds;
    std::printf("identity_cost %.3f\n", best[Identity].seconds / best[Scan].seconds);
    std::printf("ratio_decoder %.3f\n", best[Decoder].seconds / zlib);
    std::printf("ratio_parallel %.3f\n", best[Parallel].seconds / zlib);
    std::printf("ratio_warm %.4f\n", best[Warm].seconds / zlib);
    std::printf("ratio %.3f\n", best[Scan].seconds / zlib);

    ShapeSummary summary;
    summary.shape = &shape;
    std::printf("decoders on %s (open, read, decode, digest and texts of every file, against one-core zlib; "
                "best of %d, median in brackets; cpu: processor time against zlib's, which a busy machine "
                "disturbs less):\n",
                shape.name, options.repeat);
    for (size_t d = 0; d < decoders.size(); ++d) {
        const int one = FixedPasses + 2 * int(d);
        const int two = one + 1;
        summary.decoders.emplace_back(best[size_t(one)].seconds / zlib, best[size_t(two)].seconds / zlib);
        std::printf("  %-16s one core %.3f (%.3f, cpu %.3f)  two cores %.3f (%.3f)%s\n", decoders[d].name,
                    summary.decoders.back().first, median(roundRatios[size_t(one)]),
                    bestCpu[size_t(one)] / bestCpu[Zlib], summary.decoders.back().second,
                    median(roundRatios[size_t(two)]), d == 0 ? "  <- the program's" : "");
    }
    summary.oneCore = best[OneWorker].seconds / zlib;
    summary.twoCores = best[Parallel].seconds / zlib;
    std::printf("goal one_core %.3f <= %.2f %s (%s: the folder scan on one worker thread / one-core zlib; "
                "cpu %.3f)\n",
                summary.oneCore, OneCoreGoal, verdict(summary.oneCore, OneCoreGoal), shape.name,
                bestCpu[OneWorker] / bestCpu[Zlib]);
    std::printf("goal two_cores %.3f <= %.2f %s (%s: the folder scan on %d worker threads / one-core zlib)\n",
                summary.twoCores, TwoCoresGoal, verdict(summary.twoCores, TwoCoresGoal), shape.name, threadsLabel());
    if (&shape == &Shapes[0])
        std::printf("goal present_two_cores %.3f <= %.2f %s\n", summary.twoCores, PresentTwoCoresGoal,
                    verdict(summary.twoCores, PresentTwoCoresGoal));
    std::fflush(stdout);
    return summary;
}

// ---- --warm-only: a start over a large folder ----

// The child process: one start's worth of scanning, nothing else. Prints
// "child SECONDS SECONDS_AGAIN BASE_KIB PEAK_KIB AFTER_KIB FILES READ".
int warmChild(const QString &dir)
{
    const qint64 baseKiB = statusKiB("VmRSS");
    QElapsedTimer timer;
    timer.start();
    ScanCache cache(QDir(dir).filePath(QStringLiteral("scan-cache.sqlite")));
    FolderScanner scanner(&cache);
    ReplayList list;
    std::vector<LeftOutFile> leftOut;
    const ScanCounts counts = scanner.scanStorage(dir + QLatin1Char('/'), list, leftOut, nullptr);
    const double first = double(timer.nsecsElapsed()) / 1e9;
    const qint64 afterKiB = statusKiB("VmRSS");
    const qint64 peakKiB = statusKiB("VmHWM");
    // A reload within the run, as after a copy: the old catalogue stays shown
    // while the new one is made.
    timer.restart();
    ReplayList again;
    const ScanCounts second = scanner.scanStorage(dir + QLatin1Char('/'), again, leftOut, nullptr);
    const double reload = double(timer.nsecsElapsed()) / 1e9;
    std::printf("child %.6f %.6f %lld %lld %lld %d %d %d\n", first, reload, baseKiB, peakKiB, afterKiB, list.Count(),
                counts.read + second.read, again.Count());
    return 0;
}

bool makeWarmCorpus(Corpus &corpus, int count, quint32 seed)
{
    QFile::remove(stampPath(corpus.dir));
    QFile::remove(QDir(corpus.dir).filePath(QStringLiteral("scan-cache.sqlite")));
    QRandomGenerator random(seed);
    const int distinct = qMin(count, WarmDistinct);
    std::vector<ReplayMaker::ReplayRecipe> recipes;
    std::vector<std::pair<QString, QByteArray>> names;
    corpus.decompressed = 0;
    for (int i = 0; i < distinct; ++i) {
        // Short runs: only the first start reads them.
        recipes.push_back(recipeFor(random, Shapes[0], pickSize(random, MinDecompressed, 4 * MinDecompressed)));
        corpus.decompressed += (ReplayInfoRecords + recipes.back().runRecords) * ReplayRecordSize;
        // Comments of 0 to 160 bytes, a line break in some.
        QByteArray comment;
        const int words = int(random.bounded(21));
        for (int w = 0; w < words; ++w)
            comment += (w % 7 == 6 ? QByteArrayLiteral("\r\n") : QByteArrayLiteral(" ")) + "word" + QByteArray::number(w);
        names.emplace_back(corpusFileName(corpus.dir, i, 6),
                           ReplayMaker::textFields("player" + QByteArray::number(i % 53), comment.trimmed()));
    }
    if (!writeFiles(names, recipes))
        return false;
    for (int i = distinct; i < count; ++i) {
        const QByteArray from = QFile::encodeName(corpusFileName(corpus.dir, i % distinct, 6));
        const QByteArray to = QFile::encodeName(corpusFileName(corpus.dir, i, 6));
        ::unlink(to.constData());
        if (::link(from.constData(), to.constData()) != 0)
            return false;
    }
    for (int i = 0; i < count; ++i)
        corpus.files << corpusFileName(corpus.dir, i, 6);
    return finishCorpus(corpus, QStringLiteral("warm"), count, seed);
}

int runWarm(const Options &options)
{
    Corpus corpus;
    corpus.dir = options.dir.isEmpty()
        ? QDir::temp().filePath(QStringLiteral("qvReplayInfo-bench-warm-%1-%2").arg(options.count).arg(options.seed))
        : options.dir;
    if (!QDir().mkpath(corpus.dir)) {
        std::fprintf(stderr, "bench_scan: cannot create %s\n", qPrintable(corpus.dir));
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    if (!findCorpus(corpus, QStringLiteral("warm"), options.count, options.seed, 6)
        && !makeWarmCorpus(corpus, options.count, options.seed)) {
        std::fprintf(stderr, "bench_scan: cannot write the corpus into %s\n", qPrintable(corpus.dir));
        return 1;
    }
    std::printf("corpus: %d replays in %s (hard links to %d files), %s in %.1f s\n", int(corpus.files.size()),
                qPrintable(corpus.dir), qMin(options.count, WarmDistinct), corpus.found ? "found" : "built",
                double(timer.elapsed()) / 1000);
    // The cache beside the files, as the previous run left it: one scan fills
    // what is missing (everything the first time).
    timer.restart();
    {
        ScanCache cache(QDir(corpus.dir).filePath(QStringLiteral("scan-cache.sqlite")));
        const PassResult fill = folderPass(corpus.dir, &cache);
        std::printf("cache: %lld files read to fill it, %.1f s\n", fill.bytes, double(timer.elapsed()) / 1000);
    }
    std::fflush(stdout);

    std::vector<double> firsts, reloads;
    qint64 baseKiB = 0, peakKiB = 0, afterKiB = 0;
    for (int round = 0; round < options.repeat; ++round) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--warm-child"), corpus.dir});
        if (!child.waitForFinished(600'000) || child.exitCode() != 0) {
            std::fputs("bench_scan: the warm scan process failed\n", stderr);
            return 1;
        }
        const QList<QByteArray> f = child.readAllStandardOutput().trimmed().split(' ');
        if (f.size() != 9 || f[0] != "child" || f[6].toInt() != options.count || f[7].toInt() != 0
            || f[8].toInt() != options.count) {
            std::fprintf(stderr, "bench_scan: the warm scan did not take every file from the cache\n");
            return 1;
        }
        firsts.push_back(f[1].toDouble());
        reloads.push_back(f[2].toDouble());
        // The peak of the round with the fastest start.
        if (firsts.back() <= *std::min_element(firsts.begin(), firsts.end())) {
            baseKiB = f[3].toLongLong();
            peakKiB = f[4].toLongLong();
            afterKiB = f[5].toLongLong();
        }
        std::printf("round %d: start %.4f s, reload %.4f s, peak %.1f MB\n", round + 1, firsts.back(), reloads.back(),
                    double(f[4].toLongLong()) / 1024);
        std::fflush(stdout);
    }
    const double best = *std::min_element(firsts.begin(), firsts.end());
    const double worst = *std::max_element(firsts.begin(), firsts.end());
    std::printf("reload within the run (the old catalogue still held): %.4f s best, %.4f s median\n",
                *std::min_element(reloads.begin(), reloads.end()), median(reloads));
    std::printf("process before the scan: %.1f MB resident; after: %.1f MB\n", double(baseKiB) / 1024,
                double(afterKiB) / 1024);
    std::printf("memory per replay: %lld bytes (resident after the scan, above the process before it: the "
                "catalogue, the scanner's records and the listing)\n",
                (afterKiB - baseKiB) * 1024 / options.count);
    std::printf("goal warm_reread %.4f s <= %.1f s %s (%d unchanged files, a new process with the cache on disk; "
                "best of %d, %.4f to %.4f s)\n",
                best, WarmGoalSeconds, verdict(best, WarmGoalSeconds), options.count, options.repeat, best, worst);
    std::printf("goal peak_memory %.1f MB <= %.0f MB %s (the process's peak, holding the catalogue of %d replays)\n",
                double(peakKiB) / 1024, PeakGoalMB, verdict(double(peakKiB) / 1024, PeakGoalMB), options.count);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const std::optional<Options> parsed = parse(QCoreApplication::arguments());
    if (!parsed) {
        std::fputs("Usage: bench_scan [--shape present|records-1|records-6|records-9|noise|all] [--count N | --files N]"
                   " [--dir DIR] [--seed S] [--repeat R]\n"
                   "       bench_scan --warm-only [--files N] [--dir DIR] [--seed S] [--repeat R]\n",
                   stderr);
        return 2;
    }
    const Options &options = *parsed;
    if (!options.warmChild.isEmpty())
        return warmChild(options.warmChild);
    if (options.warmOnly)
        return runWarm(options);

    QTemporaryDir cacheDir;
    if (!cacheDir.isValid()) {
        std::fputs("bench_scan: cannot create a temporary folder\n", stderr);
        return 1;
    }
    std::vector<ShapeSummary> summaries;
    for (const Shape *shape : options.shapes) {
        const std::optional<ShapeSummary> summary = runShape(options, *shape, cacheDir.path());
        if (!summary)
            return 1;
        summaries.push_back(*summary);
    }
    if (summaries.size() > 1) {
        const auto decoders = builtInStreamDecoders();
        std::printf("\nall shapes (against one-core zlib; one core / two cores):\n%-10s", "shape");
        for (const NamedStreamDecoder &decoder : decoders)
            std::printf("  %-22s", decoder.name);
        std::printf("  %-22s\n", "program's folder scan");
        for (const ShapeSummary &s : summaries) {
            std::printf("%-10s", s.shape->name);
            for (const auto &[one, two] : s.decoders)
                std::printf("  %.3f / %.3f          ", one, two);
            std::printf("  %.3f / %.3f\n", s.oneCore, s.twoCores);
        }
        double worstOne = 0, worstTwo = 0;
        for (const ShapeSummary &s : summaries) {
            worstOne = qMax(worstOne, s.oneCore);
            worstTwo = qMax(worstTwo, s.twoCores);
        }
        std::printf("goal one_core (worst shape) %.3f <= %.2f %s\n", worstOne, OneCoreGoal, verdict(worstOne, OneCoreGoal));
        std::printf("goal two_cores (worst shape) %.3f <= %.2f %s\n", worstTwo, TwoCoresGoal,
                    verdict(worstTwo, TwoCoresGoal));
    }
    return 0;
}
