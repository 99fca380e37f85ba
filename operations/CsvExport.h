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
    // The table's six headers, then リプレイ日時, バージョン, 限定プレイ, コメント.
    static QStringList storageHeader();

    // The header line and one line per grid row of the storage table, in the
    // order given: the six cell texts as shown, then the play date, version,
    // limited play and comment of the file from the catalogue. Rows without
    // a file name (the empty row of an empty folder) are left out.
    static QByteArray storageTable(const ReplayTableModel &table, const QList<int> &gridRows,
                                   const ReplayList &list);

    // Byte-order mark, then the lines.
    static QByteArray document(const QList<QStringList> &lines);

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
