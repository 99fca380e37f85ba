#include "app/CommandLine.h"

#include "platform/UserFolders.h"

#include <QCommandLineParser>
#include <QList>

namespace {

struct Switch {
    QStringList names;
    const char *description; // UTF-8
    bool CommandLineOptions::*member;
};

// The program's own switches besides --help and --version, one row each:
//     {{QStringLiteral("no-cache")}, "…", &CommandLineOptions::noCache},
const QList<Switch> &switches()
{
    static const QList<Switch> table = {
        {{QStringLiteral("no-cache")}, "読み込み結果のキャッシュを使わず、すべてのファイルを読みます。",
         &CommandLineOptions::noCache},
    };
    return table;
}

const QString ProgramName = QStringLiteral("qvReplayInfo");

struct Entry {
    QStringList names;
    QString description;
};

QString optionColumn(const QStringList &names)
{
    QStringList shown;
    for (const QString &name : names)
        shown.append((name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name);
    return shown.join(QStringLiteral(", "));
}

// The usage in Japanese; Qt's own help text would be in English.
QString helpText(const QList<Entry> &entries)
{
    qsizetype width = 0;
    for (const Entry &entry : entries)
        width = qMax(width, optionColumn(entry.names).size());
    QString text = QStringLiteral("使い方: %1 [オプション]\n"
                                  "Tarnelのリプレイファイルを一覧表示し、内容の表示、並べ替え、コピー、\n"
                                  "名前とコメントの編集、削除を行います。\n"
                                  "\n"
                                  "オプション:\n")
                       .arg(ProgramName);
    for (const Entry &entry : entries)
        text += QStringLiteral("  ") + optionColumn(entry.names).leftJustified(width + 2) + entry.description
            + u'\n';
    text += QStringLiteral("\n"
                           "設定ファイル: プログラムと同じフォルダに qvReplayInfo.dat があればそれを、\n"
                           "なければ %1 を使います。\n"
                           "読み込み結果のキャッシュ: %2。フォルダごと削除して構いません。\n")
                .arg(UserFolders::settingsHint(QStringLiteral("qvReplayInfo/qvReplayInfo.dat")),
                     UserFolders::cacheHint(QStringLiteral("qvReplayInfo/")));
    return text;
}

CommandLine mistake(const QString &what, const QString &usage)
{
    CommandLine result;
    result.start = false;
    result.exitCode = 2;
    result.errors = ProgramName + QStringLiteral(": ") + what + u'\n' + usage;
    return result;
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    QList<Entry> entries = {
        {help.names(), QStringLiteral("この説明を表示して終了します。")},
        {version.names(), QStringLiteral("バージョンを表示して終了します。")},
    };
    QCommandLineParser parser;
    parser.addOption(help);
    parser.addOption(version);
    for (const Switch &row : switches()) {
        parser.addOption(QCommandLineOption(row.names));
        entries.append({row.names, QString::fromUtf8(row.description)});
    }
    const QString usage = helpText(entries);

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return mistake(QStringLiteral("不明なオプションです：%1").arg(optionColumn({unknown.first()})), usage);
        return mistake(QStringLiteral("コマンドラインを解釈できません：%1").arg(parser.errorText()), usage);
    }
    if (parser.isSet(help)) {
        CommandLine result;
        result.start = false;
        result.output = usage;
        return result;
    }
    if (parser.isSet(version)) {
        CommandLine result;
        result.start = false;
        result.output = ProgramName + u' ' + programVersion() + u'\n';
        return result;
    }
    // The program opens no files given on the command line.
    if (!parser.positionalArguments().isEmpty())
        return mistake(QStringLiteral("引数は受け付けません：%1").arg(parser.positionalArguments().first()), usage);

    CommandLine result;
    for (const Switch &row : switches())
        result.options.*row.member = parser.isSet(row.names.first());
    return result;
}

const QString &programVersion()
{
    static const QString version = QStringLiteral(QV_VERSION_TEXT);
    return version;
}
