// qvMakeReplay: writes one replay file from field values given as options.
// Exit codes: 0 written, 1 the file could not be written, 2 bad arguments.

#include "replay/ReplayInfo.h"
#include "replay/ShiftJisText.h"
#include "tools/replaymaker/ReplayMaker.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QTextStream>

#include <algorithm>
#include <array>
#include <climits>
#include <optional>
#include <type_traits>

namespace {

constexpr int ExitWriteFailed = 1;
constexpr int ExitBadArguments = 2;
// Far more than any real run; keeps a typo from filling the memory.
constexpr qint64 MaxRunRecords = 20'000'000;

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(int code, const QString &message)
{
    err() << "qvMakeReplay: " << message << Qt::endl;
    return code;
}

// Parses a whole decimal number in [min, max].
std::optional<qint64> parseNumber(const QString &text, qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return value;
}

// "105" stands for "QVreplay Ver105 "; anything else is taken as the version
// text itself (Latin-1, at most 16 bytes).
std::optional<QByteArray> parseVersion(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{3}$"));
    if (digits.match(text).hasMatch())
        return QByteArrayLiteral("QVreplay Ver") + text.toLatin1() + QByteArrayLiteral(" ");
    const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x100; });
    if (!latin1 || text.size() > ReplayVerSize)
        return std::nullopt;
    return text.toLatin1();
}

// "0,1,8" turns those conditions on; "3=2" stores another value.
std::optional<std::array<qint32, LimitPlayCount>> parseLimit(const QString &text)
{
    std::array<qint32, LimitPlayCount> limit{};
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList pair = part.split(QLatin1Char('='));
        if (pair.size() > 2)
            return std::nullopt;
        const auto index = parseNumber(pair[0], 0, LimitPlayCount - 1);
        const auto value = pair.size() == 2 ? parseNumber(pair[1], INT_MIN, INT_MAX) : std::optional<qint64>(1);
        if (!index || !value)
            return std::nullopt;
        limit[size_t(*index)] = qint32(*value);
    }
    return limit;
}

std::optional<ReplayMaker::Damage> parseDamage(const QString &kind)
{
    using D = ReplayMaker::Damage;
    static const QHash<QString, D> kinds = {
        {QStringLiteral("truncated"), D::TruncatedStream}, {QStringLiteral("bad-adler"), D::BadAdler},
        {QStringLiteral("raw-deflate"), D::RawDeflate},    {QStringLiteral("gzip"), D::GzipWrapper},
        {QStringLiteral("empty"), D::Empty},               {QStringLiteral("text"), D::PlainText},
        {QStringLiteral("lowercase"), D::LowerCasePrefix},
    };
    const auto it = kinds.constFind(kind);
    if (it == kinds.constEnd())
        return std::nullopt;
    return *it;
}

// A text option encoded for its field; refuses what would not be stored whole.
std::optional<QByteArray> encodeField(const QString &option, const QString &text, int width, QString *message)
{
    const ShiftJisEncoded encoded = ShiftJisText::encode(text, width);
    if (encoded.unencodable) {
        *message = QStringLiteral("--%1: the text has characters that Shift-JIS cannot store").arg(option);
        return std::nullopt;
    }
    if (encoded.cut) {
        *message = QStringLiteral("--%1: the text is longer than %2 bytes in Shift-JIS").arg(option).arg(width);
        return std::nullopt;
    }
    return encoded.bytes;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qvMakeReplay"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes one replay file built from the given field values."));
    parser.addHelpOption();
    const auto opt = [&](const QString &name, const QString &help, const QString &value = {}) {
        QCommandLineOption option(name, help, value);
        parser.addOption(option);
        return option;
    };
    const auto version = opt(QStringLiteral("version"), QStringLiteral("Version: three digits (105) or the full text."),
                             QStringLiteral("V"));
    const auto dungeon = opt(QStringLiteral("dungeon"), QStringLiteral("Dungeon number."), QStringLiteral("N"));
    const auto floor = opt(QStringLiteral("floor"), QStringLiteral("Floors reached."), QStringLiteral("N"));
    const auto chara = opt(QStringLiteral("chara"), QStringLiteral("Character number."), QStringLiteral("N"));
    const auto score = opt(QStringLiteral("score"), QStringLiteral("Score."), QStringLiteral("N"));
    const auto date = opt(QStringLiteral("date"), QStringLiteral("Play date, seconds since 1970 UTC."),
                          QStringLiteral("SECONDS"));
    const auto limit = opt(QStringLiteral("limit"),
                           QStringLiteral("Limited-play conditions that are on, e.g. 0,1,8; i=v stores value v."),
                           QStringLiteral("LIST"));
    const auto playMs = opt(QStringLiteral("play-ms"), QStringLiteral("Play time in milliseconds."),
                            QStringLiteral("MS"));
    const auto runRecords = opt(QStringLiteral("run-records"), QStringLiteral("Records of the recorded run."),
                                QStringLiteral("N"));
    const auto seed = opt(QStringLiteral("seed"), QStringLiteral("Seed of the recorded run."), QStringLiteral("S"));
    const auto infoRecords = opt(QStringLiteral("info-records"),
                                 QStringLiteral("Information records in the stream, 0 to 34."), QStringLiteral("N"));
    const auto partial = opt(QStringLiteral("partial"), QStringLiteral("Bytes of a last incomplete record, 0 to 11."),
                             QStringLiteral("N"));
    const auto name = opt(QStringLiteral("name"), QStringLiteral("Player name (stored as Shift-JIS, 30 bytes)."),
                          QStringLiteral("TEXT"));
    const auto comment = opt(QStringLiteral("comment"),
                             QStringLiteral("Comment (stored as Shift-JIS, 1024 bytes; newlines as CR LF)."),
                             QStringLiteral("TEXT"));
    const auto noText = opt(QStringLiteral("no-text"), QStringLiteral("End the file right after the stream."));
    const auto shortText = opt(QStringLiteral("short-text"),
                               QStringLiteral("Keep only the first N bytes of name and comment."), QStringLiteral("N"));
    const auto trailing = opt(QStringLiteral("trailing"), QStringLiteral("Bytes to append after the comment."),
                              QStringLiteral("N"));
    const auto broken = opt(QStringLiteral("broken"),
                            QStringLiteral("Write a file that is no replay: truncated, bad-adler, raw-deflate, gzip, "
                                           "empty, text or lowercase."),
                            QStringLiteral("KIND"));
    parser.addPositionalArgument(QStringLiteral("path"), QStringLiteral("The replay file to write."));

    if (!parser.parse(QCoreApplication::arguments()))
        return fail(ExitBadArguments, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 1)
        return fail(ExitBadArguments, QStringLiteral("exactly one output path is needed"));

    ReplayMaker::ReplayRecipe recipe;
    // Reads a numeric option into target; false (after a message) when it is malformed.
    bool bad = false;
    const auto number = [&](const QCommandLineOption &option, qint64 min, qint64 max, auto &target) {
        if (!parser.isSet(option) || bad)
            return;
        const auto value = parseNumber(parser.value(option), min, max);
        if (!value) {
            fail(ExitBadArguments, QStringLiteral("--%1: expected a whole number from %2 to %3, got \"%4\"")
                                       .arg(option.names().constFirst()).arg(min).arg(max)
                                       .arg(parser.value(option)));
            bad = true;
            return;
        }
        target = static_cast<std::remove_reference_t<decltype(target)>>(*value);
    };
    number(dungeon, INT_MIN, INT_MAX, recipe.dungeon);
    number(floor, INT_MIN, INT_MAX, recipe.floor);
    number(chara, INT_MIN, INT_MAX, recipe.chara);
    number(score, INT_MIN, INT_MAX, recipe.score);
    number(date, INT_MIN, INT_MAX, recipe.playDate);
    number(playMs, INT_MIN, INT_MAX, recipe.playMillis);
    number(runRecords, 0, MaxRunRecords, recipe.runRecords);
    number(seed, 0, UINT_MAX, recipe.runSeed);
    number(infoRecords, 0, ReplayInfoRecords, recipe.infoRecords);
    number(partial, 0, ReplayRecordSize - 1, recipe.partialTail);
    qint64 shortTextBytes = -1;
    number(shortText, 0, ReplayTextSize, shortTextBytes);
    qint64 trailingBytes = 0;
    number(trailing, 0, 100'000'000, trailingBytes);
    if (bad)
        return ExitBadArguments;

    if (parser.isSet(version)) {
        const auto text = parseVersion(parser.value(version));
        if (!text)
            return fail(ExitBadArguments, QStringLiteral("--version: expected three digits or at most 16 Latin-1 "
                                                         "characters"));
        recipe.version = *text;
    }
    if (parser.isSet(limit)) {
        const auto values = parseLimit(parser.value(limit));
        if (!values)
            return fail(ExitBadArguments, QStringLiteral("--limit: expected indices 0 to 8 separated by commas"));
        std::copy(values->begin(), values->end(), recipe.limitPlay.begin());
    }
    if (parser.isSet(noText) && (parser.isSet(shortText) || parser.isSet(trailing)))
        return fail(ExitBadArguments, QStringLiteral("--no-text cannot be combined with --short-text or --trailing"));

    QString message;
    const auto nameBytes = encodeField(QStringLiteral("name"), parser.value(name), PlayerNameSize, &message);
    if (!nameBytes)
        return fail(ExitBadArguments, message);
    // Line breaks of a comment are stored as CR LF, as a multi-line edit field writes them.
    QString commentText = parser.value(comment);
    commentText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    commentText.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    const auto commentBytes = encodeField(QStringLiteral("comment"), commentText, CommentSize, &message);
    if (!commentBytes)
        return fail(ExitBadArguments, message);

    QByteArray file;
    if (parser.isSet(broken)) {
        const auto damage = parseDamage(parser.value(broken));
        if (!damage)
            return fail(ExitBadArguments, QStringLiteral("--broken: unknown kind \"%1\"").arg(parser.value(broken)));
        file = ReplayMaker::brokenFile(*damage, recipe);
    } else if (parser.isSet(noText)) {
        file = ReplayMaker::compressedStream(recipe);
    } else {
        QByteArray text = ReplayMaker::textFields(*nameBytes, *commentBytes);
        if (shortTextBytes >= 0)
            text.truncate(qsizetype(shortTextBytes));
        // Recognisable filler, so that a reader that shows it stands out.
        file = ReplayMaker::compressedStream(recipe) + text + QByteArray(qsizetype(trailingBytes), 'T');
    }

    if (!ReplayMaker::writeFile(paths.constFirst(), file))
        return fail(ExitWriteFailed, QStringLiteral("cannot write \"%1\"").arg(paths.constFirst()));
    return 0;
}
