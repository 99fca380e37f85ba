#pragma once

#include "platform/RunningCopyChannel.h"

#include <QString>

class QLocalServer;

// The running copy's channel as a local socket in the user's runtime folder,
// beside the single-instance lock (only the user may connect). A later start
// connects, writes "show" and waits for "ok".
class LocalSocketChannel : public RunningCopyChannel {
public:
    // How long a later start waits to connect and for the answer.
    static constexpr int WaitMs = 1500;

    explicit LocalSocketChannel(QString socketPath);
    ~LocalSocketChannel() override;

    bool listen(std::function<void()> show) override;
    bool askToShow() override;

    const QString &socketPath() const { return m_path; }

private:
    QString m_path;
    QLocalServer *m_server = nullptr;
};
