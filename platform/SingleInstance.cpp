#include "platform/SingleInstance.h"

#include "platform/UserFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>

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
    if (m_lock->tryLock(0))
        return true;
    // A lock left by a copy that ended, whose process id this process now
    // has (wine hands out the same few ids again and again), would look
    // held for good.
    qint64 pid = 0;
    if (m_lock->error() == QLockFile::LockFailedError && m_lock->getLockInfo(&pid, nullptr, nullptr)
        && pid == QCoreApplication::applicationPid() && m_lock->removeStaleLockFile())
        return m_lock->tryLock(0);
    return false;
}

QString SingleInstance::lockFilePath() const
{
    return m_path;
}

QString SingleInstance::runtimeFolder()
{
    return UserFolders::runtime();
}
