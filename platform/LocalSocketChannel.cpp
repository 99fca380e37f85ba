#include "platform/LocalSocketChannel.h"

#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

const QByteArray ShowRequest("show\n");
const QByteArray ShowAnswer("ok\n");

} // namespace

std::unique_ptr<RunningCopyChannel> makeRunningCopyChannel(const QString &name)
{
    return std::make_unique<LocalSocketChannel>(QDir(SingleInstance::runtimeFolder()).filePath(name + QStringLiteral(".socket")));
}

LocalSocketChannel::LocalSocketChannel(QString socketPath)
    : m_path(std::move(socketPath))
{
}

LocalSocketChannel::~LocalSocketChannel()
{
    delete m_server; // closes the socket and removes its file
}

bool LocalSocketChannel::listen(std::function<void()> show)
{
    delete m_server;
    m_server = new QLocalServer;
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // The caller holds the single-instance lock: a socket file left by a
    // copy that crashed is nobody's.
    QLocalServer::removeServer(m_path);
    if (!m_server->listen(m_path))
        return false;
    QObject::connect(m_server, &QLocalServer::newConnection, m_server, [server = m_server, show = std::move(show)] {
        while (QLocalSocket *socket = server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, show] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine(64) == ShowRequest) {
                    socket->write(ShowAnswer);
                    socket->flush();
                    show();
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool LocalSocketChannel::askToShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write(ShowRequest);
    if (!socket.waitForBytesWritten(WaitMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(WaitMs))
            return false;
    }
    return socket.readLine(64) == ShowAnswer;
}
