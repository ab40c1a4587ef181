#include "ui/single_instance.h"

#include <QLocalSocket>
#include <pwd.h>
#include <unistd.h>

namespace corvath::ui {

namespace {

// The window message a second start sends to the first.
constexpr QByteArrayView kActivateMessage = "0x853\n";
constexpr int kTimeoutMs = 2000;

QString UserName()
{
    if (const passwd* user = ::getpwuid(::getuid()); user != nullptr && user->pw_name != nullptr)
        return QString::fromLocal8Bit(user->pw_name);
    return QString::number(::getuid());
}

// A socket file name must not hold a "/"; other odd characters are replaced too.
QString SocketSafe(const QString& text)
{
    QString safe = text;
    for (QChar& c : safe) {
        if (!c.isLetterOrNumber() && c != u'.' && c != u'_' && c != u'-')
            c = u'_';
    }
    return safe;
}

bool Answers(const QString& serverName)
{
    QLocalSocket probe;
    probe.connectToServer(serverName);
    return probe.waitForConnected(kTimeoutMs);
}

} // namespace

QString InstanceServerName()
{
    return QStringLiteral("Corvath Made by Velmora Software-") + SocketSafe(UserName());
}

bool HandOverToRunningInstance(const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    socket.write(kActivateMessage.data(), kActivateMessage.size());
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kTimeoutMs);
    return true;
}

InstanceServer::InstanceServer(const QString& serverName, QObject* parent) : QObject(parent)
{
    // No access options: with them Qt binds elsewhere and renames over the name, which would
    // take the socket from a running instance instead of failing.
    connect(&server_, &QLocalServer::newConnection, this, &InstanceServer::Accept);
    Listen(serverName);
}

void InstanceServer::Listen(const QString& serverName)
{
    if (server_.listen(serverName))
        return;
    if (server_.serverError() != QAbstractSocket::AddressInUseError || Answers(serverName))
        return;
    QLocalServer::removeServer(serverName);
    server_.listen(serverName);
}

void InstanceServer::Accept()
{
    while (QLocalSocket* client = server_.nextPendingConnection()) {
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        connect(client, &QLocalSocket::readyRead, this, [this, client] {
            while (client->canReadLine()) {
                if (client->readLine().trimmed() == kActivateMessage.trimmed())
                    emit activationRequested();
            }
            // Nothing we send is this long: a stranger talking, not another start.
            if (client->bytesAvailable() > kActivateMessage.size())
                client->abort();
        });
    }
}

} // namespace corvath::ui
