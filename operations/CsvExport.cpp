#include "operations/CsvExport.h"

#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableModel.h"
#include "platform/ReplacementFile.h"
#include "replay/ContentTables.h"
#include "replay/ShiftJisText.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool startsFormula(QChar first)
{
    // Full-width forms too: a spreadsheet on a Japanese system takes them
    // for the ASCII ones.
    static const QString starters = QStringLiteral("=+-@\t\r＝＋－＠");
    return starters.contains(first);
}

// A text field of a replay without the blanks (half-width or ideographic)
// and line breaks it ends with: the game pads its fields.
QString withoutPadding(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
        --end;
    text.truncate(end);
    return text;
}

} // namespace

QStringList CsvExport::storageHeader()
{
    const QStringList &table = ReplayTableModel::headerTexts();
    QStringList header = table.mid(0, 4);
    header << QStringLiteral("クリア");
    header << table.mid(4);
    header << QStringLiteral("リプレイ日時") << QStringLiteral("バージョン") << QStringLiteral("限定プレイ")
           << QStringLiteral("コメント");
    return header;
}

QByteArray CsvExport::storageTable(const ReplayTableModel &table, const QList<int> &gridRows, const ReplayList &list,
                                   int *rowsWritten)
{
    QList<QStringList> lines{storageHeader()};
    for (int gridRow : gridRows) {
        if (gridRow < 1 || gridRow >= table.rowCountWithHeader())
            continue;
        const QString &fileName = table.cell(gridRow, 0);
        const ReplayListItem *item = fileName.isEmpty() ? nullptr : list.itemByName(fileName);
        if (!item)
            continue;
        const ReplayInfo info = item->info();
        // Numbers as numbers: a spreadsheet sums and sorts them.
        lines.append(QStringList{
            fileName,
            QString::number(info.Score),
            DungeonName(info.Dungeon),
            QString::number(info.Floor),
            isCleared(info.Dungeon, info.Floor) ? QStringLiteral("1") : QStringLiteral("0"),
            CharaName(info.Chara),
            withoutPadding(ShiftJisText::decodeField(info.PlayerName, PlayerNameSize)),
            FormatPlayDate(info.PlayDate),
            withoutPadding(ShiftJisText::decodeField(info.ReplayVer, ReplayVerSize)),
            withoutPadding(LimitPlayText(info.LimitPlay)),
            withoutPadding(ShiftJisText::decodeField(info.Comment, CommentSize)),
        });
    }
    if (rowsWritten)
        *rowsWritten = int(lines.size()) - 1;
    return document(lines, {1, 3, 4});
}

QByteArray CsvExport::document(const QList<QStringList> &lines, const QList<int> &numberColumns)
{
    QByteArray out("\xEF\xBB\xBF");
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QStringList &line = lines[n];
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0)
                out += ',';
            // A number below the header is written as it is: "-5" is a
            // negative score, not a formula.
            out += n > 0 && numberColumns.contains(int(i)) ? line[i].toLatin1() : field(line[i]);
        }
        out += "\r\n";
    }
    return out;
}

QByteArray CsvExport::field(const QString &text)
{
    if (text.isEmpty())
        return {};
    QString value = text;
    if (startsFormula(value.front()))
        value.prepend(QLatin1Char('\''));
    const bool quote = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
                       || value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n'))
                       || value.front().isSpace() || value.back().isSpace();
    if (!quote)
        return value.toUtf8();
    value.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return '"' + value.toUtf8() + '"';
}

bool CsvExport::save(const QString &path, const QByteArray &bytes, QString *reason)
{
    // A link the player chose is written through, as an editor would: the
    // file it points to gets the table, the link stays.
    const QFileInfo chosen(path);
    const QString filePath = chosen.isSymbolicLink() && chosen.exists() ? chosen.canonicalFilePath() : path;
    ReplacementFile file(QFile::encodeName(filePath));
    FileError error = file.open();
    if (!error.failed())
        error = file.write(bytes.constData(), bytes.size());
    if (!error.failed())
        error = file.commit();
    if (error.failed() && reason)
        *reason = error.reasonText();
    return !error.failed();
}

QString CsvExport::suggestedPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("リプレイ一覧.csv"));
}
