#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class ReplayList;
class ReplayTableModel;

// The storage table as a CSV file for spreadsheets: UTF-8 with a byte-order
// mark (so that a spreadsheet on a Japanese system does not read it as
// Shift-JIS), fields quoted where needed, CR LF after every line.
class CsvExport {
public:
    // The table's headers with クリア after 達成階数, then リプレイ日時,
    // バージョン, 限定プレイ, コメント.
    static QStringList storageHeader();

    // The header line and one line per grid row of the storage table, in the
    // order given, from the file's replay in the catalogue: file name, score
    // (a plain number), dungeon, floor (a number), cleared (1 or 0),
    // character, player name, play date, version, limited play and comment;
    // texts without the blanks they are padded with. Rows without a file name
    // (the empty row of an empty folder) are left out. rowsWritten: the lines
    // after the header.
    static QByteArray storageTable(const ReplayTableModel &table, const QList<int> &gridRows,
                                   const ReplayList &list, int *rowsWritten = nullptr);

    // Byte-order mark, then the lines; below the first line, the fields of
    // numberColumns hold numbers and are written as they are.
    static QByteArray document(const QList<QStringList> &lines, const QList<int> &numberColumns = {});

    // One field: quoted (quotes doubled) when it holds a comma, a quote, CR
    // or LF, or begins or ends with a blank. A text that a spreadsheet would
    // run as a formula (beginning with = + - @, a tab or CR) gets a leading
    // apostrophe first: names and comments come from downloaded files.
    static QByteArray field(const QString &text);

    // Writes bytes to path in one piece: the old file stays whole until the
    // new one is complete. False with the reason, for the user.
    static bool save(const QString &path, const QByteArray &bytes, QString *reason);

    // Where the file chooser starts the first time: the documents folder (or
    // the home folder when there is none) and a default name.
    static QString suggestedPath();
};
