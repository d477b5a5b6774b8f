// One running program per user: a second start hands its files to the first and exits.
#include "app/singleinstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace pw {

namespace {
const QByteArray kPing = "open-files\n";
const QByteArray kAnswer = "ok\n";
} // namespace

QString SingleInstance::defaultServerName()
{
    // The home folder tells users apart on every platform.
    const QByteArray who =
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    return QStringLiteral("Penwright-") + QString::fromLatin1(who);
}

SingleInstance::SingleInstance(QString serverName, QObject *parent)
    : QObject(parent), m_name(std::move(serverName))
{}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(200))
            return false; // another program answers on this name
    }
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name))
        return false;
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                const QByteArray line = socket->readLine(256);
                if (line == kPing) {
                    socket->write(kAnswer);
                    socket->flush();
                    emit filesPending();
                }
                socket->disconnectFromServer();
            });
        }
    });
    return true;
}

bool SingleInstance::notifyRunning(const QString &serverName, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kPing);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine(256) == kAnswer;
}

} // namespace pw
