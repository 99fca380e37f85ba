#include "platform/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &name)
{
    m_path = QDir(runtimeFolder()).filePath(name + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // A running copy keeps its lock however long it runs; a lock whose
    // process has gone is still taken over (QLockFile checks the process id).
    m_lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryLock()
{
    if (m_lock->isLocked())
        return true;
    return m_lock->tryLock(0);
}

QString SingleInstance::lockFilePath() const
{
    return m_path;
}

QString SingleInstance::runtimeFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return folder.isEmpty() ? QDir::tempPath() : folder;
}
