#include "replay/ReplayTextWriter.h"

#include "platform/FileError.h"
#include "platform/FileSystem.h"
#include "platform/RegularFile.h"
#include "platform/ReplacementFile.h"
#include "replay/ReplayStreamReader.h"

#include <QByteArray>
#include <QFile>

#include <vector>

namespace {

// Enough to copy quickly, small enough that a large stream is never held whole.
constexpr qint64 CopyChunkSize = 64 * 1024;

bool writeAll(QIODevice &target, const char *data, qint64 size)
{
    return target.write(data, size) == size;
}

// Copies the first streamLength bytes of source, then the two fields.
bool writeWithText(QIODevice &source, qint64 streamLength, QIODevice &target,
                   const char (&name)[PlayerNameSize], const char (&comment)[CommentSize])
{
    if (!source.seek(0))
        return false;
    std::vector<char> chunk(size_t(qMin(streamLength, CopyChunkSize)));
    for (qint64 left = streamLength; left > 0;) {
        const qint64 want = qMin(left, CopyChunkSize);
        // A read may deliver less than asked without being at the end; only 0 or -1 is fatal.
        const qint64 got = source.read(chunk.data(), want);
        if (got <= 0 || !writeAll(target, chunk.data(), got))
            return false;
        left -= got;
    }
    return writeAll(target, name, PlayerNameSize) && writeAll(target, comment, CommentSize);
}

// Writes into a replacement file, keeping the cause of a failed write.
class ReplacementDevice : public QIODevice {
public:
    explicit ReplacementDevice(ReplacementFile &file)
        : m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    qint64 size() const override { return m_written; }
    const FileError &error() const { return m_error; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        m_error = m_file.write(data, size);
        if (m_error.failed())
            return -1;
        m_written += size;
        return size;
    }

private:
    ReplacementFile &m_file;
    FileError m_error;
    qint64 m_written = 0;
};

qint64 streamLength(QIODevice &source)
{
    ReplayHead scratch{};
    return ReadReplayStream(source, scratch);
}

} // namespace

bool RewriteReplayText(QIODevice &source, QIODevice &target, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize])
{
    const qint64 length = streamLength(source);
    return length >= 0 && writeWithText(source, length, target, name, comment);
}

bool RewriteReplayText(const QString &path, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize], QString *reason)
{
    return RewriteReplayText(QFile::encodeName(path), name, comment, reason);
}

// Works on the name's bytes throughout, as a Qt path could not name every file.
// The new content goes to a temporary file beside the old one, which is synced
// and then renamed over it.
bool RewriteReplayText(const QByteArray &nativePath, const char (&name)[PlayerNameSize],
                       const char (&comment)[CommentSize], QString *reason)
{
    const auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const auto failWith = [&fail](const FileError &error) { return fail(error.reasonText()); };

    // Rewrite the file a link points to, so the link itself stays in place.
    FileError resolveError;
    const QByteArray filePath = FileSystem::resolvedPath(nativePath, &resolveError);
    if (resolveError.failed())
        return failWith(resolveError);

    QFile source;
    const RegularFile::Result opened = RegularFile::open(source, filePath);
    if (!opened)
        return fail(RegularFile::reasonText(opened) + QStringLiteral("。"));
    // Replacing the file by renaming would succeed over a read-only file (and
    // root ignores permission bits altogether), so the mark is looked at.
    if (const FileError mark = FileSystem::readOnlyMark(source.handle()); mark.failed())
        return failWith(mark);
    const qint64 length = streamLength(source);
    if (length < 0)
        return fail(QStringLiteral("リプレイファイルとして読めません。"));

    // The temporary file takes the old file's permission bits.
    ReplacementFile replacement(filePath);
    if (const FileError error = replacement.open(); error.failed())
        return failWith(error);
    {
        // Every write reports its own count: a full disk must not leave a cut
        // replay behind a successful rename.
        ReplacementDevice target(replacement);
        if (!writeWithText(source, length, target, name, comment) || target.size() != length + ReplayTextSize)
            return failWith(target.error().failed() ? target.error() : FileError::fromSystemText(source.errorString()));
    }
    source.close();
    if (const FileError error = replacement.commit(); error.failed())
        return failWith(error);
    return true;
}

