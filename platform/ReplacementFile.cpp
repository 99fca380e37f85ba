#include "platform/ReplacementFile.h"

#include "platform/FileSystem.h"
#include "platform/NoReplaceRename.h"

#include <QRandomGenerator>

#include <utility>


namespace {

// The folder a name is in, with its "/"; empty for a name in the current folder.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray() : path.left(slash + 1);
}

QByteArray temporaryName()
{
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = QByteArrayLiteral(".qvtmp-");
    for (int i = 0; i < 6; ++i)
        name += Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))];
    return name;
}

} // namespace

ReplacementFile::ReplacementFile(QByteArray nativePath)
    : m_path(std::move(nativePath))
{
}

ReplacementFile::~ReplacementFile()
{
    discard();
}

FileError ReplacementFile::open()
{
    discard();
    const QByteArray folder = folderOf(m_path);
    // A taken name is tried again; a folder that refuses every name must not
    // keep the program busy.
    FileError error = FileError::of(FileError::Cause::Exists);
    for (int tries = 0; tries < 100; ++tries) {
        const QByteArray path = folder + temporaryName();
        const int fd = FileSystem::createExclusive(path, &error);
        if (error.cause == FileError::Cause::Exists)
            continue;
        if (fd < 0)
            return error;
        m_fd = fd;
        m_temporaryPath = path;
        if (const FileError taken = FileSystem::takeOverPermissions(m_path, fd); taken.failed()) {
            discard();
            return taken;
        }
        return {};
    }
    return error;
}

FileError ReplacementFile::write(const char *data, qint64 size)
{
    if (m_fd < 0)
        return FileError::of(FileError::Cause::Other);
    return FileSystem::writeAll(m_fd, data, size);
}

FileError ReplacementFile::finish()
{
    if (m_temporaryPath.isEmpty())
        return FileError::of(FileError::Cause::Other);
    if (m_fd < 0) // finished already
        return {};
    const FileError error = FileSystem::syncAndClose(std::exchange(m_fd, -1));
    if (error.failed())
        discard();
    return error;
}

FileError ReplacementFile::commit(Commit mode)
{
    FileError error = finish();
    if (error.failed())
        return error;
    error = mode == Commit::Replace ? FileSystem::renameOver(m_temporaryPath, m_path)
                                    : renameNoReplace(m_temporaryPath, m_path);
    if (error.failed())
        FileSystem::closeAndRemove(-1, m_temporaryPath);
    m_temporaryPath.clear();
    return error;
}

void ReplacementFile::discard()
{
    if (m_temporaryPath.isEmpty())
        return;
    FileSystem::closeAndRemove(std::exchange(m_fd, -1), m_temporaryPath);
    m_temporaryPath.clear();
}
