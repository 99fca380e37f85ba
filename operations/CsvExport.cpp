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

} // namespace

QStringList CsvExport::storageHeader()
{
    QStringList header = ReplayTableModel::headerTexts();
    header << QStringLiteral("リプレイ日時") << QStringLiteral("バージョン") << QStringLiteral("限定プレイ")
           << QStringLiteral("コメント");
    return header;
}

QByteArray CsvExport::storageTable(const ReplayTableModel &table, const QList<int> &gridRows, const ReplayList &list)
{
    QList<QStringList> lines{storageHeader()};
    for (int gridRow : gridRows) {
        if (gridRow < 1 || gridRow >= table.rowCountWithHeader())
            continue;
        const ReplayTableRow &cells = table.row(gridRow);
        const ReplayListItem *item = cells[0].isEmpty() ? nullptr : list.itemByName(cells[0]);
        if (!item)
            continue;
        QStringList line(cells.begin(), cells.end());
        const ReplayInfo info = item->info();
        line << FormatPlayDate(info.PlayDate) << ShiftJisText::decodeField(info.ReplayVer, ReplayVerSize)
             << LimitPlayText(info.LimitPlay) << ShiftJisText::decodeField(info.Comment, CommentSize);
        lines.append(line);
    }
    return document(lines);
}

QByteArray CsvExport::document(const QList<QStringList> &lines)
{
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList &line : lines) {
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0)
                out += ',';
            out += field(line[i]);
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
