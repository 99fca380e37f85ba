// qvMakeSamples: fills a game replay folder and a storage folder with a varied,
// reproducible set of replays for a demonstration.
// Exit codes: 0 done, 1 a folder or file could not be written (or would have
// been overwritten without --force), 2 bad arguments.

#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <vector>

namespace {

constexpr int ExitWriteFailed = 1;
constexpr int ExitBadArguments = 2;
constexpr int GameSlots = 10;

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(int code, const QString &message)
{
    err() << "qvMakeSamples: " << message << Qt::endl;
    return code;
}

QByteArray sjis(const QString &text, int width)
{
    const ShiftJisEncoded encoded = ShiftJisText::encode(text, width);
    Q_ASSERT(encoded.isExact());
    return encoded.bytes;
}

QByteArray versionOf(int number)
{
    return QByteArrayLiteral("QVreplay Ver") + QByteArray::number(number) + QByteArrayLiteral(" ");
}

// Player names as players type them: Japanese, ASCII, half-width kana, one that
// fills all 30 bytes, and none at all.
const QStringList PlayerNames = {
    QStringLiteral("ケイナ使い"),
    QStringLiteral("たろう"),
    QStringLiteral("名無しさん"),
    QStringLiteral("Player1"),
    QStringLiteral("ﾀﾙﾈﾙﾏｽﾀｰ"),
    QStringLiteral("あいうえおかきくけこさしすせそ"), // exactly 30 bytes
    QString(),
    QStringLiteral("迷宮探索者"),
    QStringLiteral("nightowl"),
};

QString longComment()
{
    QString text;
    const QString line = QStringLiteral("地下%1階：回復アイテムを温存して進む。\r\n");
    for (int i = 1; text.size() < 400; ++i)
        text += line.arg(i);
    // Cut to the field at a character boundary; the demo shows a full comment.
    return ShiftJisText::decode(ShiftJisText::encode(text, CommentSize).bytes);
}

const QStringList Comments = {
    QString(),
    QStringLiteral("初クリア！\r\n最後のボスが強かった。"),
    QStringLiteral("Score attack run.\r\nNo healing items used."),
    QStringLiteral("途中で罠にかかって全滅……"),
    QStringLiteral("アイテム縛り\r\n・草なし\r\n・肉なし\r\n・スキルなし"),
    QStringLiteral("ﾊﾝｶｸ ｶﾀｶﾅ ﾃｽﾄ"),
    longComment(),
};

struct Sample {
    ReplayMaker::ReplayRecipe recipe;
    QByteArray name;
    QByteArray comment;
};

// One replay with plausible values. Dungeon and character are given so that
// the set covers all of them; everything else comes from the generator.
Sample makeSample(QRandomGenerator &random, int dungeon, int chara, int version)
{
    Sample sample;
    ReplayMaker::ReplayRecipe &recipe = sample.recipe;
    recipe.version = versionOf(version);
    recipe.dungeon = dungeon;
    recipe.chara = chara;
    const qint32 floors = DungeonFloorTbl[dungeon];
    recipe.floor = random.bounded(3) == 0 ? floors + 1 : 1 + random.bounded(floors);
    // Scores over several orders of magnitude, 0 to 50 million: first a
    // magnitude, then a value below it.
    static constexpr qint32 Magnitudes[] = {50, 500, 5'000, 50'000, 500'000, 5'000'000, 50'000'000};
    const qint32 magnitude = Magnitudes[random.bounded(int(std::size(Magnitudes)))];
    recipe.score = random.bounded(6) == 0 ? 0 : random.bounded(magnitude);
    // 2006-01-01 to 2010-12-31, Japan time.
    recipe.playDate = qint32(1136041200 + random.bounded(qint64(157766400)));
    for (qint32 &flag : recipe.limitPlay)
        flag = random.bounded(5) == 0 ? 1 : 0;
    recipe.playMillis = qint32(random.bounded(10 * 60'000, 5 * 3'600'000));
    recipe.runRecords = random.bounded(3'000, 50'001);
    recipe.runSeed = random.generate();
    sample.name = sjis(PlayerNames.at(random.bounded(int(PlayerNames.size()))), PlayerNameSize);
    sample.comment = sjis(Comments.at(random.bounded(int(Comments.size()))), CommentSize);
    return sample;
}

QByteArray fileOf(const Sample &sample)
{
    return ReplayMaker::replayFile(sample.recipe, sample.name, sample.comment);
}

// Fisher-Yates with the seeded generator, so that a seed gives the same order
// whatever the standard library.
void shuffle(std::vector<int> &values, QRandomGenerator &random)
{
    for (int i = int(values.size()) - 1; i > 0; --i)
        std::swap(values[size_t(i)], values[size_t(random.bounded(i + 1))]);
}

struct Output {
    QString path;
    QByteArray bytes;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qvMakeSamples"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Fills a game replay folder and a storage folder with sample replays."));
    parser.addHelpOption();
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Seed of the sample set (default 1)."),
                                        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption countOption(QStringLiteral("count"),
                                         QStringLiteral("Replays in the storage folder (default 40)."),
                                         QStringLiteral("N"), QStringLiteral("40"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Overwrite files that exist."));
    parser.addOptions({seedOption, countOption, forceOption});
    parser.addPositionalArgument(QStringLiteral("GAMEDIR"), QStringLiteral("The game replay folder."));
    parser.addPositionalArgument(QStringLiteral("STORAGEDIR"), QStringLiteral("The storage folder."));

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(ExitBadArguments, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() != 2)
        return fail(ExitBadArguments, QStringLiteral("expected GAMEDIR and STORAGEDIR"));
    bool ok = false;
    const quint32 seed = parser.value(seedOption).toUInt(&ok);
    if (!ok)
        return fail(ExitBadArguments, QStringLiteral("--seed: expected a whole number from 0 to 4294967295"));
    const int count = parser.value(countOption).toInt(&ok);
    if (!ok || count < 0 || count > 10'000)
        return fail(ExitBadArguments, QStringLiteral("--count: expected a whole number from 0 to 10000"));

    QRandomGenerator random(seed);
    std::vector<Output> outputs;
    const QDir gameDir(folders[0]);
    const QDir storageDir(folders[1]);

    // Game folder: seven of the ten slots, one of version 105 and one of 106.
    std::vector<int> presentSlots(GameSlots);
    std::iota(presentSlots.begin(), presentSlots.end(), 0);
    shuffle(presentSlots, random);
    presentSlots.resize(7);
    std::sort(presentSlots.begin(), presentSlots.end());
    for (size_t i = 0; i < presentSlots.size(); ++i) {
        const int version = i == 1 ? 105 : i == 4 ? 106 : 107;
        // Drawn one after the other: argument order is unspecified.
        const int dungeon = random.bounded(KnownDungeonCount);
        const int chara = random.bounded(KnownCharaCount);
        const Sample sample = makeSample(random, dungeon, chara, version);
        outputs.push_back({gameDir.filePath(QStringLiteral("qv_replay%1.dat").arg(presentSlots[i])), fileOf(sample)});
    }

    // Storage folder: every dungeon and every character, in a shuffled order.
    std::vector<int> dungeons(KnownDungeonCount);
    std::iota(dungeons.begin(), dungeons.end(), 0);
    shuffle(dungeons, random);
    for (int i = 0; i < count; ++i) {
        const int dungeon = dungeons[size_t(i % KnownDungeonCount)];
        const int chara = i % KnownCharaCount;
        const int version = i % 7 == 2 ? 105 : i % 7 == 5 ? 106 : 107;
        const Sample sample = makeSample(random, dungeon, chara, version);
        QString fileName;
        if (i % 9 == 4)
            fileName = QStringLiteral("run%1.dat").arg(i + 1, 3, 10, QLatin1Char('0'));
        else if (i == 7)
            fileName = QStringLiteral("BEST_SCORE_%1.DAT").arg(i + 1, 2, 10, QLatin1Char('0'));
        else
            fileName = QStringLiteral("%1_%2_%3.dat")
                           .arg(DungeonName(dungeon), CharaName(chara))
                           .arg(i + 1, 2, 10, QLatin1Char('0'));
        outputs.push_back({storageDir.filePath(fileName), fileOf(sample)});
    }
    // Two files the program must skip.
    outputs.push_back({storageDir.filePath(QStringLiteral("壊れたリプレイ.dat")),
                       ReplayMaker::brokenFile(ReplayMaker::Damage::BadAdler)});
    outputs.push_back({storageDir.filePath(QStringLiteral("readme.dat")),
                       sjis(QStringLiteral("これはリプレイではありません。\r\n"), 1000)});

    for (const QDir &dir : {gameDir, storageDir}) {
        if (!QDir().mkpath(dir.path()))
            return fail(ExitWriteFailed, QStringLiteral("cannot create the folder \"%1\"").arg(dir.path()));
    }
    // Never overwrite someone's real replays by pointing at the wrong folder.
    if (!parser.isSet(forceOption)) {
        for (const Output &output : outputs) {
            if (QFileInfo::exists(output.path))
                return fail(ExitWriteFailed, QStringLiteral("\"%1\" exists already; nothing was written "
                                                            "(use --force to overwrite)")
                                                 .arg(output.path));
        }
    }
    for (const Output &output : outputs) {
        if (!ReplayMaker::writeFile(output.path, output.bytes))
            return fail(ExitWriteFailed, QStringLiteral("cannot write \"%1\"").arg(output.path));
    }
    QTextStream(stdout) << "qvMakeSamples: " << presentSlots.size() << " game slots, " << outputs.size() - presentSlots.size()
                        << " storage files" << Qt::endl;
    return 0;
}
