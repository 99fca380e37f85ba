// qvReplayDump: the command-line companion of qvReplayInfo. Prints what the
// program reads from replay files as JSON, one compact object per file and
// line, and rewrites a replay's player name and comment.

#include "platform/RegularFile.h"
#include "platform/StandardStreams.h"
#include "replay/ContentTables.h"
#include "replay/ReplayInfo.h"
#include "replay/ReplayStreamReader.h"
#include "replay/ReplayTextWriter.h"
#include "replay/ShiftJisText.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

enum ExitCode { Success = 0, FileFailed = 1, BadArguments = 2 };

const char Usage[] =
    "Usage: qvReplayDump FILE...\n"
    "       qvReplayDump --write-text NAME COMMENT FILE\n"
    "\n"
    "The first form prints one JSON object per FILE, one per line, in the order\n"
    "given. The second rewrites the player name and comment of the replay FILE,\n"
    "keeping its recorded run byte for byte.\n"
    "\n"
    "NAME and COMMENT are stored in Shift-JIS and may take at most 30 and 1024\n"
    "bytes there. A line break in COMMENT (a real newline character, for example\n"
    "$'first\\nsecond' in a POSIX shell) is stored as CR LF, as the game shows it.\n"
    "The two characters backslash and n are stored as they are: in a comment a\n"
    "backslash is ordinary text.\n"
    "\n"
    "Put -- before file names that begin with '-'. A file name is used as the bytes\n"
    "given; one that is not UTF-8 is shown in the JSON decoded from Shift-JIS\n"
    "(\"file\") together with its bytes in hex (\"fileHex\").\n"
    "\n"
    "Exit status: 0 when every file was read (even when one is no replay) or the\n"
    "text was written; 1 when a file could not be opened (it is missing, not a\n"
    "regular file, or not readable) or written; 2 for bad arguments.\n";

void printError(const QByteArray &message)
{
    const QByteArray bytes = "qvReplayDump: " + message + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

void printError(const QString &message)
{
    printError(message.toLocal8Bit());
}

// A message about a file: "%1" in pattern stands for the file's name, which is
// printed as the bytes given, so the user sees the name as typed.
void printError(const QString &pattern, const QByteArray &file)
{
    const QStringList parts = pattern.split(QStringLiteral("%1"));
    QByteArray message;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            message += file;
        message += parts[i].toLocal8Bit();
    }
    printError(message);
}

QString refusalText(const RegularFile::Result &result)
{
    using Refusal = RegularFile::Refusal;
    using Kind = RegularFile::Kind;
    switch (result.refusal) {
    case Refusal::None:
        return {};
    case Refusal::Missing:
        return QStringLiteral("no such file");
    case Refusal::Denied:
        return QStringLiteral("permission denied");
    case Refusal::NotRegular:
        switch (result.kind) {
        case Kind::Folder:
            return QStringLiteral("it is a folder, not a regular file");
        case Kind::Pipe:
            return QStringLiteral("it is a named pipe (FIFO), not a regular file");
        case Kind::Socket:
            return QStringLiteral("it is a socket, not a regular file");
        case Kind::Device:
            return QStringLiteral("it is a device, not a regular file");
        default:
            return QStringLiteral("not a regular file");
        }
    case Refusal::Failed:
        break;
    }
    return result.systemError ? qt_error_string(result.systemError)
                              : QStringLiteral("it cannot be opened");
}


// A file name as text. Each part between slashes that is valid UTF-8 reads as
// such; any other part is taken for Shift-JIS, as names unpacked from
// Japanese archives are.
QString nameText(const QByteArray &name)
{
    QString text;
    const QList<QByteArray> parts = name.split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('/');
        text += ShiftJisText::isUtf8(parts[i]) ? QString::fromUtf8(parts[i]) : ShiftJisText::decode(parts[i]);
    }
    return text;
}

void printUsage(FILE *to)
{
    std::fputs(Usage, to);
}

QString hexOfField(const char *field, int width)
{
    return QString::fromLatin1(fieldBytes(field, width).toHex());
}

template <size_t N>
QJsonArray numbers(const qint32 (&values)[N])
{
    QJsonArray array;
    for (const qint32 value : values)
        array.append(value);
    return array;
}

QJsonObject displayTexts(const ReplayInfo &info)
{
    return QJsonObject{
        {QStringLiteral("date"), FormatPlayDate(info.PlayDate)},
        {QStringLiteral("chara"), CharaName(info.Chara)},
        {QStringLiteral("dungeon"), DungeonName(info.Dungeon)},
        {QStringLiteral("floors"), FormatFloor(info.Dungeon, info.Floor, FloorForm::Table)},
        {QStringLiteral("dungeonPanel"),
         DungeonName(info.Dungeon) + FormatFloor(info.Dungeon, info.Floor, FloorForm::Panel)},
        {QStringLiteral("score"), FormatScore(info.Score)},
        {QStringLiteral("limitPlay"), LimitPlayText(info.LimitPlay)},
        {QStringLiteral("editable"), !isEditLockedVersion(info)},
    };
}

QJsonObject describe(const QByteArray &file, qint64 length, const ReplayInfo &info)
{
    const bool accepted = length >= 0 && hasReplayPrefix(info);
    QJsonObject object{
        {QStringLiteral("file"), nameText(file)},
        {QStringLiteral("replay"), accepted},
        {QStringLiteral("length"), length},
    };
    // A JSON text cannot carry a name that is no valid text; its bytes can.
    if (!ShiftJisText::isUtf8(file))
        object.insert(QStringLiteral("fileHex"), QString::fromLatin1(file.toHex()));
    if (length < 0)
        return object;
    object.insert(QStringLiteral("version"), ShiftJisText::decode(versionText(info)));
    object.insert(QStringLiteral("dungeon"), info.Dungeon);
    object.insert(QStringLiteral("floor"), info.Floor);
    object.insert(QStringLiteral("chara"), info.Chara);
    object.insert(QStringLiteral("score"), info.Score);
    object.insert(QStringLiteral("playDate"), info.PlayDate);
    object.insert(QStringLiteral("limitPlay"), numbers(info.LimitPlay));
    object.insert(QStringLiteral("extra"), numbers(info.Extra));
    object.insert(QStringLiteral("playHour"), info.PlayHour);
    object.insert(QStringLiteral("playMinute"), info.PlayMinute);
    object.insert(QStringLiteral("playSecond"), info.PlaySecond);
    object.insert(QStringLiteral("playerName"), ShiftJisText::decodeField(info.PlayerName, PlayerNameSize));
    object.insert(QStringLiteral("comment"), ShiftJisText::decodeField(info.Comment, CommentSize));
    object.insert(QStringLiteral("playerNameHex"), hexOfField(info.PlayerName, PlayerNameSize));
    object.insert(QStringLiteral("commentHex"), hexOfField(info.Comment, CommentSize));
    if (accepted)
        object.insert(QStringLiteral("text"), displayTexts(info));
    return object;
}

int dump(const std::vector<QByteArray> &files)
{
    int status = Success;
    for (const QByteArray &path : files) {
        // A file that cannot be opened still gets its line (no replay, length
        // -1), so that output lines and arguments pair up one to one.
        ReplayInfo info{};
        qint64 length = -1;
        QFile file;
        if (const RegularFile::Result opened = RegularFile::open(file, path)) {
            length = ReadReplayStream(file, info);
            if (length >= 0)
                ReadReplayText(file, info);
            file.close();
        } else {
            printError(QStringLiteral("cannot open %1: ") + refusalText(opened), path);
            status = FileFailed;
        }
        const QByteArray line = QJsonDocument(describe(path, length, info)).toJson(QJsonDocument::Compact) + '\n';
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(QStringLiteral("cannot write the output"));
        return FileFailed;
    }
    return status;
}

// The first character that Shift-JIS cannot represent, as "U+XXXX".
QString firstUnencodable(QStringView text)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        if (ShiftJisText::encode(text.sliced(i, length), 4).unencodable) {
            const char32_t codePoint = length == 2 ? QChar::surrogateToUcs4(text[i], text[i + 1]) : text[i].unicode();
            return QStringLiteral("U+")
                + QString::number(uint(codePoint), 16).toUpper().rightJustified(4, QLatin1Char('0'));
        }
        i += length;
    }
    return {};
}

// Encodes an argument into a field of width bytes, or explains why it cannot be.
bool encodeField(const QString &what, const QString &text, int width, char *field)
{
    // Shift-JIS needs at most two bytes a character; the bound only avoids a
    // needlessly large buffer while measuring.
    const ShiftJisEncoded whole = ShiftJisText::encode(text, int(qMin<qsizetype>(text.size() * 2 + 4, 1 << 20)));
    if (whole.unencodable) {
        printError(QStringLiteral("%1 holds a character that Shift-JIS cannot represent (%2)")
                       .arg(what, firstUnencodable(text)));
        return false;
    }
    if (whole.cut || whole.bytes.size() > width) {
        printError(QStringLiteral("%1 takes %2 bytes in Shift-JIS; at most %3 fit")
                       .arg(what)
                       .arg(whole.cut ? QStringLiteral("more than %1").arg(whole.bytes.size())
                                      : QString::number(whole.bytes.size()))
                       .arg(width));
        return false;
    }
    ShiftJisText::storeField(whole.bytes, field, width);
    return true;
}

// The comment as stored: every line break is CR LF.
QString withCrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

int writeText(const QString &name, const QString &comment, const QByteArray &path)
{
    ReplayInfo info{};
    if (!encodeField(QStringLiteral("NAME"), name, PlayerNameSize, info.PlayerName)
        || !encodeField(QStringLiteral("COMMENT"), withCrLf(comment), CommentSize, info.Comment))
        return BadArguments;

    // The program offers editing only for replays it lists and whose version
    // allows it; the companion keeps to the same rule.
    QFile file;
    if (const RegularFile::Result opened = RegularFile::open(file, path); !opened) {
        printError(QStringLiteral("cannot open %1: ") + refusalText(opened), path);
        return FileFailed;
    }
    const qint64 length = ReadReplayStream(file, info);
    file.close();
    if (length < 0 || !hasReplayPrefix(info)) {
        printError(QStringLiteral("%1 is not a replay file"), path);
        return FileFailed;
    }
    if (isEditLockedVersion(info)) {
        printError(QStringLiteral("%1 is a replay of version %2, whose name and comment cannot be changed")
                       .replace(QStringLiteral("%2"), QString::fromLatin1(versionText(info)).trimmed()),
                   path);
        return FileFailed;
    }
    if (!RewriteReplayText(path, info.PlayerName, info.Comment)) {
        printError(QStringLiteral("writing %1 failed; the file is unchanged"), path);
        return FileFailed;
    }
    return Success;
}

} // namespace

int main(int argc, char *argv[])
{
    // File operands are bytes: the system hands them over as such, and a name
    // that is no valid UTF-8 would not survive a trip through text. So argv is
    // read here, before Qt sees it.
    const QList<QByteArray> nativeArgs = StandardStreams::nativeArguments(argc, argv);
    const std::vector<QByteArray> args(nativeArgs.cbegin(), nativeArgs.cend());
    StandardStreams::keepLineEnds();
    QCoreApplication app(argc, argv);

    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        printUsage(stdout);
        return Success;
    }
    if (!args.empty() && args[0] == "--write-text") {
        if (args.size() != 4) {
            printError(QStringLiteral("--write-text takes NAME, COMMENT and one FILE"));
            printUsage(stderr);
            return BadArguments;
        }
        return writeText(QFile::decodeName(args[1]), QFile::decodeName(args[2]), args[3]);
    }

    std::vector<QByteArray> files;
    bool options = true;
    for (const QByteArray &arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && arg.startsWith('-') && arg.size() > 1) {
            printError(QStringLiteral("unknown option %1"), arg);
            printUsage(stderr);
            return BadArguments;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        printError(QStringLiteral("no file given"));
        printUsage(stderr);
        return BadArguments;
    }
    return dump(files);
}
