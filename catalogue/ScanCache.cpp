#include "catalogue/ScanCache.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <QtEndian>

#include <xxhash.h>

#include <atomic>
#include <cstring>

namespace {

// SQLite's primary result codes that decide what to do with a failure.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

// How long a statement waits for another user of the database to let go.
constexpr int BusyTimeoutMs = 200;

constexpr int HeadBlobSize = ReplayVerSize + 4 * 28;

const char *const CreateStatements[] = {
    "CREATE TABLE folders(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE)",
    "CREATE TABLE files("
    " folder INTEGER NOT NULL, name BLOB NOT NULL,"
    " size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL, ctime_ns INTEGER NOT NULL, inode INTEGER NOT NULL,"
    " outcome INTEGER NOT NULL, stream_length INTEGER NOT NULL,"
    " head BLOB NOT NULL, player_name BLOB NOT NULL, comment BLOB NOT NULL, identity BLOB NOT NULL,"
    " checksum INTEGER NOT NULL,"
    " PRIMARY KEY(folder, name)) WITHOUT ROWID",
};

const QString Columns = QStringLiteral(
    "name, size, mtime_ns, ctime_ns, inode, outcome, stream_length, head, player_name, comment, identity, checksum");

QString sql(const char *text)
{
    return QString::fromLatin1(text);
}

// The head as stored: the version bytes, then every field as a little-endian
// 32-bit integer in declaration order.
QByteArray headBlob(const ReplayHead &head)
{
    QByteArray blob(HeadBlobSize, Qt::Uninitialized);
    char *out = blob.data();
    std::memcpy(out, head.ReplayVer, ReplayVerSize);
    out += ReplayVerSize;
    const auto put = [&out](qint32 value) {
        qToLittleEndian(value, out);
        out += 4;
    };
    put(head.Dungeon);
    put(head.Floor);
    put(head.Chara);
    put(head.Score);
    put(head.PlayDate);
    for (qint32 v : head.LimitPlay)
        put(v);
    for (qint32 v : head.Extra)
        put(v);
    put(head.PlayHour);
    put(head.PlayMinute);
    put(head.PlaySecond);
    return blob;
}

bool headFromBlob(const QByteArray &blob, ReplayHead &head)
{
    if (blob.size() != HeadBlobSize)
        return false;
    const char *in = blob.constData();
    std::memcpy(head.ReplayVer, in, ReplayVerSize);
    in += ReplayVerSize;
    const auto get = [&in] {
        const qint32 value = qFromLittleEndian<qint32>(in);
        in += 4;
        return value;
    };
    head.Dungeon = get();
    head.Floor = get();
    head.Chara = get();
    head.Score = get();
    head.PlayDate = get();
    for (qint32 &v : head.LimitPlay)
        v = get();
    for (qint32 &v : head.Extra)
        v = get();
    head.PlayHour = get();
    head.PlayMinute = get();
    head.PlaySecond = get();
    return true;
}

// The columns are NOT NULL, and Qt binds a null byte array as NULL.
QByteArray nonNull(QByteArray bytes)
{
    return bytes.isNull() ? QByteArray("") : bytes;
}

// Everything stored of a row, as stored, so that a damaged row is noticed.
class RowChecksum {
public:
    RowChecksum() : m_state(XXH3_createState()) { XXH3_64bits_reset(m_state); }
    ~RowChecksum() { XXH3_freeState(m_state); }
    RowChecksum(const RowChecksum &) = delete;
    RowChecksum &operator=(const RowChecksum &) = delete;

    qint64 of(const QByteArray &name, const FileStamp &stamp, int outcome, qint64 length, const QByteArray &head,
              const QByteArray &playerName, const QByteArray &comment, const QByteArray &identity)
    {
        XXH3_64bits_reset(m_state);
        addBlob(name);
        const qint64 numbers[] = {stamp.size, stamp.mtimeNs, stamp.ctimeNs, qint64(stamp.inode), outcome, length};
        for (qint64 n : numbers)
            addNumber(n);
        addBlob(head);
        addBlob(playerName);
        addBlob(comment);
        addBlob(identity);
        return qint64(XXH3_64bits_digest(m_state));
    }

private:
    void addNumber(qint64 n)
    {
        char bytes[8];
        qToLittleEndian(n, bytes);
        XXH3_64bits_update(m_state, bytes, sizeof bytes);
    }
    // Each blob with its length, so that bytes cannot move from one to the next.
    void addBlob(const QByteArray &blob)
    {
        addNumber(blob.size());
        XXH3_64bits_update(m_state, blob.constData(), size_t(blob.size()));
    }

    XXH3_state_t *m_state;
};

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("qvReplayInfo-scan-cache-%1").arg(++counter);
}

} // namespace

QString ScanCache::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
        + QStringLiteral("/qvReplayInfo/scan-cache.sqlite");
}

ScanCache::ScanCache(const QString &filePath)
    : m_filePath(filePath)
    , m_connection(nextConnectionName())
{
    const QString folder = QFileInfo(filePath).absolutePath();
    if (!QFileInfo::exists(folder)) {
        // Player names and comments are the user's own: keep them private.
        if (!QDir().mkpath(folder))
            qInfo("scan cache: cannot create %s; files are read without it", qUtf8Printable(folder));
        else
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    if (!m_db.isValid()) {
        qInfo("scan cache: the SQLite driver of Qt is missing; files are read without a cache");
        m_state = State::Disabled;
        return;
    }
    m_db.setDatabaseName(filePath);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
}

ScanCache::~ScanCache()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

ScanCache::Trouble ScanCache::classify(const QSqlError &error) const
{
    if (!error.isValid())
        return Trouble::None;
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;
    if (!numeric)
        return Trouble::Other;
    if (code == SqliteBusy || code == SqliteLocked)
        return Trouble::Busy;
    if (code == SqliteCorrupt || code == SqliteNotADatabase)
        return Trouble::Damaged;
    return Trouble::Other;
}

ScanCache::Trouble ScanCache::setUp()
{
    if (!m_db.isOpen() && !m_db.open()) {
        qInfo("scan cache: cannot open %s: %s", qUtf8Printable(m_filePath), qUtf8Printable(m_db.lastError().text()));
        return Trouble::Other;
    }
    QSqlQuery query(m_db);
    if (!query.exec(sql("PRAGMA user_version")) || !query.next())
        return classify(query.lastError()) == Trouble::None ? Trouble::Other : classify(query.lastError());
    const int layout = query.value(0).toInt();
    query.finish();

    if (layout == Layout) {
        // Ours: the rows must read as this layout expects.
        if (query.exec(QStringLiteral("SELECT %1 FROM files LIMIT 0").arg(Columns))
            && query.exec(sql("SELECT id, path FROM folders LIMIT 0")))
            return Trouble::None;
        const Trouble trouble = classify(query.lastError());
        return trouble == Trouble::Busy ? trouble : Trouble::Damaged;
    }
    if (!query.exec(sql("SELECT count(*) FROM sqlite_master")) || !query.next())
        return classify(query.lastError()) == Trouble::Busy ? Trouble::Busy : Trouble::Damaged;
    const bool empty = layout == 0 && query.value(0).toInt() == 0;
    query.finish();
    if (!empty) {
        qInfo("scan cache: %s has another layout (%d); it is made anew", qUtf8Printable(m_filePath), layout);
        return Trouble::Damaged;
    }

    // A new database.
    if (!m_db.transaction())
        return classify(m_db.lastError()) == Trouble::Busy ? Trouble::Busy : Trouble::Other;
    bool ok = true;
    for (const char *statement : CreateStatements)
        ok = ok && query.exec(sql(statement));
    ok = ok && query.exec(QStringLiteral("PRAGMA user_version = %1").arg(Layout));
    if (!ok || !m_db.commit()) {
        const Trouble trouble = classify(query.lastError().isValid() ? query.lastError() : m_db.lastError());
        m_db.rollback();
        return trouble == Trouble::None ? Trouble::Other : trouble;
    }
    return Trouble::None;
}

bool ScanCache::rebuild()
{
    if (m_rebuilt)
        return false; // made anew once already: something else is wrong
    m_rebuilt = true;
    m_db.close();
    for (const char *suffix : {"", "-journal", "-wal", "-shm"}) {
        const QString path = m_filePath + QLatin1String(suffix);
        if (QFileInfo::exists(path) && !QFile::remove(path)) {
            qWarning("scan cache: cannot remove the damaged %s", qUtf8Printable(path));
            return false;
        }
    }
    qInfo("scan cache: %s made anew", qUtf8Printable(m_filePath));
    return setUp() == Trouble::None;
}

bool ScanCache::ensureReady()
{
    if (m_state != State::Unready)
        return m_state == State::Ready;
    switch (setUp()) {
    case Trouble::None:
        m_state = State::Ready;
        break;
    case Trouble::Busy:
        // Someone else holds it now; the files are read this time and the
        // cache is tried again at the next scan.
        qInfo("scan cache: %s is locked; this scan reads the files", qUtf8Printable(m_filePath));
        m_db.close();
        return false;
    case Trouble::Damaged:
        m_state = rebuild() ? State::Ready : State::Disabled;
        break;
    case Trouble::Other:
        m_state = State::Disabled;
        break;
    }
    if (m_state == State::Disabled) {
        qInfo("scan cache: %s cannot be used; files are read without a cache", qUtf8Printable(m_filePath));
        m_db.close();
    }
    return m_state == State::Ready;
}

void ScanCache::handle(const QSqlError &error, const char *what)
{
    const Trouble trouble = classify(error);
    qInfo("scan cache: %s failed: %s", what, qUtf8Printable(error.text()));
    if (trouble == Trouble::Busy)
        return; // tried again next time
    if (trouble == Trouble::Damaged && rebuild())
        return;
    if (trouble == Trouble::Damaged || trouble == Trouble::Other) {
        // A write refused on a full disk or a read-only folder would fail the
        // same way every time: carry on without.
        m_state = State::Disabled;
        m_db.close();
    }
}

qint64 ScanCache::folderId(const QByteArray &folder, QSqlError *error)
{
    QSqlQuery query(m_db);
    query.prepare(sql("INSERT OR IGNORE INTO folders(path) VALUES(?)"));
    query.addBindValue(nonNull(folder));
    if (query.exec()) {
        query.prepare(sql("SELECT id FROM folders WHERE path = ?"));
        query.addBindValue(nonNull(folder));
        if (query.exec() && query.next())
            return query.value(0).toLongLong();
    }
    *error = query.lastError();
    return -1;
}

QHash<QByteArray, ScannedFile> ScanCache::load(const QByteArray &folder, bool *ok)
{
    QHash<QByteArray, ScannedFile> files;
    if (ok)
        *ok = false;
    if (!ensureReady())
        return files;

    QSqlError failure;
    {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        // Room for every row at once: growing a table of large records costs.
        query.prepare(sql("SELECT count(*) FROM files WHERE folder = (SELECT id FROM folders WHERE path = ?)"));
        query.addBindValue(folder);
        if (query.exec() && query.next())
            files.reserve(query.value(0).toLongLong());
        query.finish();
        query.prepare(QStringLiteral("SELECT %1 FROM files WHERE folder = (SELECT id FROM folders WHERE path = ?)")
                          .arg(Columns));
        query.addBindValue(folder);
        if (query.exec()) {
            RowChecksum checksum;
            int damaged = 0;
            while (query.next()) {
                const QByteArray name = query.value(0).toByteArray();
                ScannedFile file;
                file.stamp.size = query.value(1).toLongLong();
                file.stamp.mtimeNs = query.value(2).toLongLong();
                file.stamp.ctimeNs = query.value(3).toLongLong();
                file.stamp.inode = quint64(query.value(4).toLongLong());
                const int outcome = query.value(5).toInt();
                file.streamLength = query.value(6).toLongLong();
                const QByteArray head = query.value(7).toByteArray();
                const QByteArray playerName = query.value(8).toByteArray();
                const QByteArray comment = query.value(9).toByteArray();
                const QByteArray identity = query.value(10).toByteArray();
                const qint64 stored = query.value(11).toLongLong();

                file.outcome = ScannedFile::Outcome(outcome);
                const bool valid = stored
                        == checksum.of(name, file.stamp, outcome, file.streamLength, head, playerName, comment,
                                       identity)
                    && (outcome >= 0 && outcome <= int(ScannedFile::Outcome::NameNotUtf8)) && file.isLasting()
                    && headFromBlob(head, file.head) && playerName.size() <= PlayerNameSize
                    && comment.size() <= CommentSize
                    && identity.size() == (file.isAccepted() ? ReplayIdentity::Size : 0);
                if (!valid) {
                    ++damaged; // read again, like a file never seen
                    continue;
                }
                file.playerName = playerName;
                file.comment = comment;
                file.identity = ReplayIdentity::fromByteArray(identity);
                file.reusable = true;
                files.insert(name, file);
            }
            if (damaged > 0)
                qInfo("scan cache: %d damaged rows ignored", damaged);
        }
        failure = query.lastError();
    }
    if (failure.isValid()) {
        handle(failure, "reading");
        files.clear();
        return files;
    }
    if (ok)
        *ok = true;
    return files;
}

bool ScanCache::store(const QByteArray &folder, const QList<Row> &rows, const QList<QByteArray> &removed,
                      bool replaceAll)
{
    if (rows.isEmpty() && removed.isEmpty() && !replaceAll)
        return true;
    if (!ensureReady())
        return false;
    if (!m_db.transaction()) {
        handle(m_db.lastError(), "starting a transaction");
        return false;
    }
    QSqlError failure;
    {
        QSqlQuery query(m_db);
        const auto fail = [&](const QSqlError &error) {
            failure = error.isValid() ? error : QSqlError(QStringLiteral("unknown"), {}, QSqlError::UnknownError);
            return false;
        };
        const auto run = [&]() -> bool {
            QSqlError idError;
            const qint64 id = folderId(folder, &idError);
            if (id <= 0)
                return fail(idError);
            if (replaceAll) {
                query.prepare(sql("DELETE FROM files WHERE folder = ?"));
                query.addBindValue(id);
                if (!query.exec())
                    return fail(query.lastError());
            } else if (!removed.isEmpty()) {
                query.prepare(sql("DELETE FROM files WHERE folder = ? AND name = ?"));
                for (const QByteArray &name : removed) {
                    query.bindValue(0, id);
                    query.bindValue(1, name);
                    if (!query.exec())
                        return fail(query.lastError());
                }
            }
            if (rows.isEmpty())
                return true;
            query.prepare(QStringLiteral("INSERT OR REPLACE INTO files(folder, %1) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)")
                              .arg(Columns));
            RowChecksum checksum;
            for (const auto &[name, file] : rows) {
                const int outcome = int(file->outcome);
                const QByteArray head = headBlob(file->head);
                const QByteArray &playerName = file->playerName;
                const QByteArray &comment = file->comment;
                const QByteArray identity = file->isAccepted() ? file->identity.toByteArray() : QByteArray();
                const QVariant values[] = {
                    id,
                    nonNull(name),
                    file->stamp.size,
                    file->stamp.mtimeNs,
                    file->stamp.ctimeNs,
                    qint64(file->stamp.inode),
                    outcome,
                    file->streamLength,
                    head,
                    nonNull(playerName),
                    nonNull(comment),
                    nonNull(identity),
                    checksum.of(name, file->stamp, outcome, file->streamLength, head, playerName, comment, identity),
                };
                for (int i = 0; i < int(std::size(values)); ++i)
                    query.bindValue(i, values[i]);
                if (!query.exec())
                    return fail(query.lastError());
            }
            return true;
        };
        if (!run()) {
            query.finish();
            m_db.rollback();
        } else if (!m_db.commit()) {
            failure = m_db.lastError();
            m_db.rollback();
        }
    }
    if (failure.isValid()) {
        handle(failure, "writing");
        return false;
    }
    return true;
}
