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

// The records of a folder are kept in buckets by a hash of the file's name:
// a start reads a few hundred rows instead of one per file (each row costs
// about a microsecond to fetch), and a changed file rewrites one bucket.
const char *const CreateStatements[] = {
    "CREATE TABLE folders(id INTEGER PRIMARY KEY, path BLOB NOT NULL UNIQUE)",
    "CREATE TABLE buckets(folder INTEGER NOT NULL, bucket INTEGER NOT NULL, records BLOB NOT NULL,"
    " PRIMARY KEY(folder, bucket))",
};
constexpr quint64 BucketCount = 256;

QString sql(const char *text)
{
    return QString::fromLatin1(text);
}

// The columns are NOT NULL, and Qt binds a null byte array as NULL.
QByteArray nonNull(QByteArray bytes)
{
    return bytes.isNull() ? QByteArray("") : bytes;
}

// A file's record, little-endian: the stamp (size, modification and change
// time, inode: 8 bytes each), the outcome (1), the stream length (8), the
// head (the version bytes, then every field as 4 bytes in declaration
// order), the identity (16, zero unless accepted), the lengths of the two
// texts (1 and 2), the texts, and last a checksum of all before it and of
// the name. A bucket holds, for each of its files, the name's length (2
// bytes), the name, the record's length (2 bytes) and the record.
constexpr int StampBytes = 4 * 8;
constexpr int HeadBytes = ReplayVerSize + 4 * 28;
constexpr int FixedBytes = StampBytes + 1 + 8 + HeadBytes + ReplayIdentity::Size + 1 + 2;
constexpr int ChecksumBytes = 8;

static_assert(sizeof(ReplayHead) == HeadBytes, "the head is its version and 28 fields, without padding");

class RecordWriter {
public:
    explicit RecordWriter(qsizetype size) : m_bytes(size, Qt::Uninitialized), m_out(m_bytes.data()) {}
    void put(const void *data, size_t size)
    {
        std::memcpy(m_out, data, size);
        m_out += size;
    }
    template <typename T>
    void number(T value)
    {
        qToLittleEndian(value, m_out);
        m_out += sizeof(T);
    }
    QByteArray &bytes() { return m_bytes; }

private:
    QByteArray m_bytes;
    char *m_out;
};

class RecordReader {
public:
    RecordReader(const char *data, qsizetype size) : m_in(data), m_end(data + size) {}
    qsizetype left() const { return m_end - m_in; }
    const char *take(qsizetype size)
    {
        const char *at = m_in;
        m_in += size;
        return at;
    }
    template <typename T>
    T number()
    {
        const T value = qFromLittleEndian<T>(m_in);
        m_in += sizeof(T);
        return value;
    }

private:
    const char *m_in;
    const char *m_end;
};

quint64 checksumOf(const QByteArray &name, const char *record, qsizetype size)
{
    return XXH3_64bits_withSeed(record, size_t(size), XXH3_64bits(name.constData(), size_t(name.size())));
}

QByteArray recordOf(const QByteArray &name, const ScannedFile &file)
{
    const bool accepted = file.isAccepted();
    const QByteArray playerName = accepted ? file.playerName : QByteArray();
    const QByteArray comment = accepted ? file.comment : QByteArray();
    RecordWriter out(FixedBytes + playerName.size() + comment.size() + ChecksumBytes);
    out.number<qint64>(file.stamp.size);
    out.number<qint64>(file.stamp.mtimeNs);
    out.number<qint64>(file.stamp.ctimeNs);
    out.number<quint64>(file.stamp.inode);
    out.number<quint8>(quint8(file.outcome));
    out.number<qint64>(file.streamLength);
    const ReplayHead head = accepted ? file.head : ReplayHead{};
    out.put(head.ReplayVer, ReplayVerSize);
    for (const qint32 *field = &head.Dungeon; field <= &head.PlaySecond; ++field)
        out.number<qint32>(*field);
    const ReplayIdentity identity = accepted ? file.identity : ReplayIdentity{};
    out.put(identity.bytes.data(), ReplayIdentity::Size);
    out.number<quint8>(quint8(playerName.size()));
    out.number<quint16>(quint16(comment.size()));
    out.put(playerName.constData(), size_t(playerName.size()));
    out.put(comment.constData(), size_t(comment.size()));
    const QByteArray &bytes = out.bytes();
    out.number<quint64>(checksumOf(name, bytes.constData(), bytes.size() - ChecksumBytes));
    return out.bytes();
}

quint64 bucketOf(QByteArrayView name)
{
    return XXH3_64bits(name.data(), size_t(name.size())) % BucketCount;
}

// The names and records of a bucket, in the order stored; false when its
// bytes do not divide into them (what came before is kept).
bool splitBucket(const QByteArray &bucket, std::vector<std::pair<QByteArray, QByteArray>> &entries)
{
    RecordReader in(bucket.constData(), bucket.size());
    while (in.left() > 0) {
        if (in.left() < 2)
            return false;
        const int nameLength = in.number<quint16>();
        if (in.left() < nameLength + 2)
            return false;
        QByteArray name(in.take(nameLength), nameLength);
        const int recordLength = in.number<quint16>();
        if (in.left() < recordLength)
            return false;
        entries.emplace_back(std::move(name), QByteArray(in.take(recordLength), recordLength));
    }
    return true;
}

QByteArray joinBucket(const std::vector<std::pair<QByteArray, QByteArray>> &entries)
{
    qsizetype size = 0;
    for (const auto &[name, record] : entries)
        size += 4 + name.size() + record.size();
    RecordWriter out(size);
    for (const auto &[name, record] : entries) {
        out.number<quint16>(quint16(name.size()));
        out.put(name.constData(), size_t(name.size()));
        out.number<quint16>(quint16(record.size()));
        out.put(record.constData(), size_t(record.size()));
    }
    return out.bytes();
}

// The file as its record tells it; false when the record is damaged or says
// nothing lasting.
bool fromRecord(const QByteArray &name, QByteArrayView record, ScannedFile &file)
{
    if (record.size() < FixedBytes + ChecksumBytes)
        return false;
    const qsizetype checked = record.size() - ChecksumBytes;
    if (qFromLittleEndian<quint64>(record.data() + checked) != checksumOf(name, record.data(), checked))
        return false;
    RecordReader in(record.data(), checked);
    file.stamp.size = in.number<qint64>();
    file.stamp.mtimeNs = in.number<qint64>();
    file.stamp.ctimeNs = in.number<qint64>();
    file.stamp.inode = in.number<quint64>();
    const int outcome = in.number<quint8>();
    if (outcome > int(ScannedFile::Outcome::NameNotUtf8))
        return false;
    file.outcome = ScannedFile::Outcome(outcome);
    file.streamLength = in.number<qint64>();
    std::memcpy(file.head.ReplayVer, in.take(ReplayVerSize), ReplayVerSize);
    for (qint32 *field = &file.head.Dungeon; field <= &file.head.PlaySecond; ++field)
        *field = in.number<qint32>();
    std::memcpy(file.identity.bytes.data(), in.take(ReplayIdentity::Size), ReplayIdentity::Size);
    const int nameLength = in.number<quint8>();
    const int commentLength = in.number<quint16>();
    if (nameLength > PlayerNameSize || commentLength > CommentSize || in.left() != nameLength + commentLength)
        return false;
    if (!file.isLasting() || (!file.isAccepted() && !file.identity.isNull()))
        return false;
    file.playerName = QByteArray(in.take(nameLength), nameLength);
    file.comment = QByteArray(in.take(commentLength), commentLength);
    file.reusable = true;
    return true;
}

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
        if (query.exec(sql("SELECT folder, bucket, records FROM buckets LIMIT 0"))
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

ScannedFiles ScanCache::load(const QByteArray &folder, bool *ok)
{
    ScannedFiles files;
    if (ok)
        *ok = false;
    if (!ensureReady())
        return files;

    QSqlError failure;
    {
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.prepare(sql("SELECT records FROM buckets WHERE folder = (SELECT id FROM folders WHERE path = ?)"));
        query.addBindValue(folder);
        if (query.exec()) {
            int damaged = 0;
            bool first = true;
            while (query.next()) {
                const QByteArray bucket = query.value(0).toByteArray();
                RecordReader in(bucket.constData(), bucket.size());
                if (first) {
                    // Names spread evenly over the buckets: room for all at once,
                    // as growing a table of large records costs.
                    first = false;
                    qsizetype records = 0;
                    for (RecordReader count = in; count.left() >= 2;) {
                        const int nameLength = count.number<quint16>();
                        if (count.left() < nameLength + 2)
                            break;
                        count.take(nameLength);
                        const int recordLength = count.number<quint16>();
                        if (count.left() < recordLength)
                            break;
                        count.take(recordLength);
                        ++records;
                    }
                    files.reserve(records * qsizetype(BucketCount) * 9 / 8);
                }
                // Each record is read as the bucket is walked, without copying it.
                while (in.left() > 0) {
                    const int nameLength = in.left() >= 2 ? in.number<quint16>() : -1;
                    if (nameLength < 0 || in.left() < nameLength + 2) {
                        ++damaged; // the rest of the bucket: read again, like files never seen
                        break;
                    }
                    const QByteArray name(in.take(nameLength), nameLength);
                    const int recordLength = in.number<quint16>();
                    if (in.left() < recordLength) {
                        ++damaged;
                        break;
                    }
                    ScannedFile file;
                    if (fromRecord(name, QByteArrayView(in.take(recordLength), recordLength), file))
                        files.add(name, std::move(file));
                    else
                        ++damaged;
                }
            }
            if (damaged > 0)
                qInfo("scan cache: %d damaged records ignored", damaged);
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
                query.prepare(sql("DELETE FROM buckets WHERE folder = ?"));
                query.addBindValue(id);
                if (!query.exec())
                    return fail(query.lastError());
            }
            // Which names change in each bucket. The records of a bucket are
            // made as it is written, so that storing a whole folder holds one
            // bucket's records at a time.
            struct BucketChanges {
                std::vector<qsizetype> removed; // positions in removed
                std::vector<qsizetype> rows;    // positions in rows
            };
            std::vector<BucketChanges> changes(BucketCount);
            for (qsizetype k = 0; k < removed.size(); ++k)
                changes[bucketOf(removed[k])].removed.push_back(k);
            for (qsizetype k = 0; k < rows.size(); ++k)
                changes[bucketOf(rows[k].first)].rows.push_back(k);
            QSqlQuery write(m_db);
            for (quint64 bucket = 0; bucket < BucketCount; ++bucket) {
                const BucketChanges &change = changes[bucket];
                if (change.removed.empty() && change.rows.empty())
                    continue;
                std::vector<std::pair<QByteArray, QByteArray>> entries;
                if (!replaceAll) {
                    query.prepare(sql("SELECT records FROM buckets WHERE folder = ? AND bucket = ?"));
                    query.addBindValue(id);
                    query.addBindValue(qint64(bucket));
                    if (!query.exec())
                        return fail(query.lastError());
                    // A bucket that does not divide into records keeps what it could give.
                    if (query.next())
                        splitBucket(query.value(0).toByteArray(), entries);
                    query.finish();
                }
                // A record for a name, or none; a row overrides a removal.
                QHash<QByteArray, QByteArray> changed;
                changed.reserve(qsizetype(change.removed.size() + change.rows.size()));
                for (const qsizetype k : change.removed)
                    changed.insert(removed[k], QByteArray());
                for (const qsizetype k : change.rows)
                    changed.insert(rows[k].first, recordOf(rows[k].first, *rows[k].second));
                std::vector<std::pair<QByteArray, QByteArray>> kept;
                kept.reserve(entries.size() + size_t(changed.size()));
                for (auto &entry : entries) {
                    const auto change = changed.constFind(entry.first);
                    if (change == changed.cend()) {
                        kept.push_back(std::move(entry));
                        continue;
                    }
                    if (!change->isEmpty())
                        kept.emplace_back(entry.first, *change);
                    changed.erase(change);
                }
                for (auto change = changed.cbegin(); change != changed.cend(); ++change) {
                    if (!change->isEmpty())
                        kept.emplace_back(change.key(), *change);
                }
                if (kept.empty()) {
                    write.prepare(sql("DELETE FROM buckets WHERE folder = ? AND bucket = ?"));
                    write.addBindValue(id);
                    write.addBindValue(qint64(bucket));
                } else {
                    write.prepare(sql("INSERT OR REPLACE INTO buckets(folder, bucket, records) VALUES(?, ?, ?)"));
                    write.addBindValue(id);
                    write.addBindValue(qint64(bucket));
                    write.addBindValue(joinBucket(kept));
                }
                if (!write.exec())
                    return fail(write.lastError());
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
