#pragma once

#include <QString>

#include <memory>

class QLockFile;

// At most one copy of the program per user: a lock file in the user's runtime
// folder (UserFolders::runtime()). A lock left by a crashed copy (its process
// gone) does not block.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();

    // True when this process now holds the lock; false when another running
    // copy holds it.
    bool tryLock();

    QString lockFilePath() const;

    // The user's runtime folder (the temporary folder when there is none),
    // where the lock and the channel of the running copy are.
    static QString runtimeFolder();

private:
    std::unique_ptr<QLockFile> m_lock;
    QString m_path;
};
