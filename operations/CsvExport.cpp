#include "operations/CsvExport.h"

#include "catalogue/ReplayList.h"
#include "catalogue/ReplayTableModel.h"
#include "replay/ContentTables.h"
#include "replay/ShiftJisText.h"

#include <QDir>
#include <QSaveFile>
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
    // Unbuffered, so that a short write (full disk) is seen here: commit()
    // would flush a buffer's last bytes without reporting a short write.
    QSaveFile file(path);
    const auto fail = [&file, reason](const QString &fallback) {
        if (reason)
            *reason = file.errorString().isEmpty() ? fallback : file.errorString();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(QStringLiteral("ファイルを作成できません。"));
    if (file.write(bytes) != bytes.size() || file.size() != bytes.size()) {
        fail(QStringLiteral("書き込みが途中で止まりました。"));
        file.cancelWriting();
        return false;
    }
    if (!file.commit())
        return fail(QStringLiteral("ファイルを保存できません。"));
    return true;
}

QString CsvExport::suggestedPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("リプレイ一覧.csv"));
}
