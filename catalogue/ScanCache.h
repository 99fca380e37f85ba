#pragma once

#include "catalogue/ScannedFile.h"
#include "catalogue/ScannedFiles.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <utility>

// What scans read from each file, kept on disk between runs (an SQLite
// database) so that a start reads only the files that changed since the last
// run. For each file, by the folder and the file's name bytes, it keeps one
// record: the file's stamp (size, modification and change time in
// nanoseconds, inode), the outcome, the stream length, the head, the two texts
// and the stream's identity, with a checksum of its own. Records are stored
// in buckets of many files, so that a start reads few rows.
//
// The cache is never a reason to fail: a database that cannot be opened, is
// locked, damaged or of another layout is rebuilt or left alone and the scan
// reads the files instead (logged with qInfo/qWarning, never shown).
class ScanCache {
public:
    // The layout of the rows; a database of any other layout is rebuilt.
    static constexpr int Layout = 3;

    // $XDG_CACHE_HOME/qvReplayInfo/scan-cache.sqlite (~/.cache/... by default).
    static QString defaultFilePath();

    // Opens the database at filePath, creating it (and its folder, private to
    // the user) when missing. Nothing is read yet.
    explicit ScanCache(const QString &filePath);
    ~ScanCache();
    ScanCache(const ScanCache &) = delete;
    ScanCache &operator=(const ScanCache &) = delete;

    const QString &filePath() const { return m_filePath; }
    // False once the cache has been given up for this run.
    bool isUsable() const { return m_state != State::Disabled; }

    // Every row stored for folder (the path as the system spells it), by file
    // name; rows that fail their checksum are left out. ok tells whether the
    // rows could be read at all.
    ScannedFiles load(const QByteArray &folder, bool *ok = nullptr);

    // In one transaction: writes the given rows of folder and deletes the
    // rows of the removed names, or with replaceAll every other row of the
    // folder. False when nothing was stored.
    using Row = std::pair<QByteArray, const ScannedFile *>;
    bool store(const QByteArray &folder, const QList<Row> &rows, const QList<QByteArray> &removed, bool replaceAll);

private:
    enum class State { Unready, Ready, Disabled };
    enum class Trouble { None, Busy, Damaged, Other };

    bool ensureReady();
    Trouble setUp();
    bool rebuild();
    Trouble classify(const QSqlError &error) const;
    // After a failed statement: rebuilds a damaged database (once), gives up on
    // a useless one, waits out a locked one.
    void handle(const QSqlError &error, const char *what);
    // The folder's row id, made when missing; -1 with the error on failure.
    qint64 folderId(const QByteArray &folder, QSqlError *error);

    QString m_filePath;
    QString m_connection;
    QSqlDatabase m_db;
    State m_state = State::Unready;
    bool m_rebuilt = false;
};
