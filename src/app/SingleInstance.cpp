#include "app/SingleInstance.h"

#include <QLocalSocket>
#include <QRegularExpression>

#include <memory>

namespace sortana {

namespace {

constexpr int connectTimeoutMs = 1000;

} // namespace

QString instanceServerName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    return QStringLiteral("sortana-") + user;
}

QString SingleInstance::openRequest(const QString &path)
{
    return QStringLiteral("[open(\"%1\")]").arg(path);
}

QString SingleInstance::requestedPath(const QString &request)
{
    static const QRegularExpression openCommand(QStringLiteral("^\\[open\\(\"(.+)\"\\)\\]$"));
    const QRegularExpressionMatch match = openCommand.match(request);
    return match.hasMatch() ? match.captured(1) : QString();
}

bool SingleInstance::passToRunningInstance(const QString &serverName, const QString &path)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    socket.write(openRequest(path).toUtf8());
    socket.flush();
    const bool sent = socket.waitForBytesWritten(connectTimeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::listen(const QString &serverName, std::function<void(const QString &)> handler)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(serverName)) {
        // A program that ended without cleaning up leaves its socket behind; nobody answers
        // there, or passToRunningInstance would have succeeded.
        QLocalServer::removeServer(serverName);
        if (!m_server.listen(serverName))
            return false;
    }
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this, handler] {
        while (QLocalSocket *socket = m_server.nextPendingConnection()) {
            auto received = std::make_shared<QByteArray>();
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket, received] {
                received->append(socket->readAll());
                // No request this long is acceptable: stop reading rather than hold it all.
                if (received->size() > maxRequestLength * 4)
                    socket->abort();
            });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, received, handler] {
                received->append(socket->readAll());
                socket->deleteLater();
                const QString request = QString::fromUtf8(*received);
                if (received->size() <= maxRequestLength * 4 && request.size() < maxRequestLength)
                    handler(request);
            });
        }
    });
    return true;
}

} // namespace sortana
