// Writes the seed corpus of the fuzz targets: a dozen varied replay files,
// valid and broken, into every directory named on the command line.
#include "tools/replaymaker/ReplayMaker.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>

#include <cstdio>
#include <utility>

using namespace ReplayMaker;

namespace {

QList<std::pair<QString, QByteArray>> seeds()
{
    QList<std::pair<QString, QByteArray>> files;
    const QByteArray sjisName("\x83\x65\x83\x58\x83\x67\x90\x6c", 8); // double-byte characters
    const QByteArray comment("first line\r\nsecond line \x82\xa0\x82\xa2");

    ReplayRecipe v105;
    v105.version = "QVreplay Ver105 ";
    v105.runRecords = 40;
    files.append({QStringLiteral("v105_texts.dat"), replayFile(v105, sjisName, comment)});

    ReplayRecipe v106 = v105;
    v106.version = "QVreplay Ver106 ";
    v106.limitPlay = {1, 2, -1, 0, 1, 0, 0, 0, 1};
    v106.playMillis = 90061999;
    files.append({QStringLiteral("v106_stream_only.dat"), replayFile(v106)});

    ReplayRecipe v107;
    v107.score = -5;
    v107.versionHighBits = 0x7f00;
    v107.runRecords = 200;
    v107.compressionLevel = 9;
    files.append({QStringLiteral("v107_trailing.dat"), replayFile(v107, "name", comment, "trailing bytes")});
    files.append({QStringLiteral("v107_short_name.dat"), replayFile(v107, QByteArray("ABCDEFGHIJ"))});

    ReplayRecipe few;
    few.infoRecords = 10;
    few.partialTail = 5;
    few.compressionLevel = 0;
    files.append({QStringLiteral("few_records_stored.dat"), replayFile(few, QByteArray(30, 'N'), QByteArray(1024, 'C'))});

    ReplayRecipe empty;
    empty.infoRecords = 0;
    files.append({QStringLiteral("empty_stream.dat"), replayFile(empty)});

    files.append({QStringLiteral("lower_prefix.dat"), brokenFile(Damage::LowerCasePrefix, v107)});
    files.append({QStringLiteral("truncated.dat"), brokenFile(Damage::TruncatedStream, v107)});
    files.append({QStringLiteral("bad_adler.dat"), brokenFile(Damage::BadAdler, v105)});
    files.append({QStringLiteral("raw_deflate.dat"), brokenFile(Damage::RawDeflate, v105)});
    files.append({QStringLiteral("gzip.dat"), brokenFile(Damage::GzipWrapper, v105)});
    files.append({QStringLiteral("dictionary.dat"), brokenFile(Damage::PresetDictionary, v105)});
    files.append({QStringLiteral("plain_text.dat"), brokenFile(Damage::PlainText)});
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-dir...\n", argv[0]);
        return 2;
    }
    const auto files = seeds();
    for (int i = 1; i < argc; ++i) {
        const QString dirPath = QString::fromLocal8Bit(argv[i]);
        if (!QDir().mkpath(dirPath)) {
            std::fprintf(stderr, "cannot create %s\n", argv[i]);
            return 1;
        }
        const QDir dir(dirPath);
        for (const auto &[name, bytes] : files) {
            if (!writeFile(dir.filePath(name), bytes)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(dir.filePath(name)));
                return 1;
            }
        }
    }
    return 0;
}
