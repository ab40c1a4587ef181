#include "ui/single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <pwd.h>
#include <unistd.h>
#include <utility>

namespace corvath::ui {

namespace {

// A request is the window message a second start sends to the first, after an optional line
// "open <file URL>" naming a disc image; the first answers once it has taken the request.
constexpr QByteArrayView kActivateMessage = "0x853\n";
constexpr QByteArrayView kOpenPrefix = "open ";
constexpr QByteArrayView kTakenAnswer = "ok\n";
// The longest line we send: "open " and a URL, three bytes for each byte of the longest path.
constexpr qint64 kMaxLineBytes = 16 * 1024;
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

bool HandOverToRunningInstance(const QString& discImage, const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kTimeoutMs))
        return false;
    QByteArray request;
    // Percent-encoded, a path holds no line break.
    if (!discImage.isEmpty())
        request.append(kOpenPrefix).append(QUrl::fromLocalFile(discImage).toEncoded()).append('\n');
    request.append(kActivateMessage);
    socket.write(request);
    if (!socket.waitForBytesWritten(kTimeoutMs))
        return false;
    // An instance that hangs does not take the request; this start then runs on its own.
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kTimeoutMs))
            return false;
    }
    return socket.readLine() == kTakenAnswer;
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
        client->setReadBufferSize(kMaxLineBytes);
        connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
        // The disc image of an "open" line waits for the window message that ends the request.
        auto discImage = std::make_shared<QString>();
        connect(client, &QLocalSocket::readyRead, this,
                [this, client, discImage] { Read(*client, *discImage); });
    }
}

void InstanceServer::Read(QLocalSocket& client, QString& discImage)
{
    while (client.canReadLine()) {
        const QByteArray line = client.readLine().trimmed();
        if (line.startsWith(kOpenPrefix)) {
            const QUrl url = QUrl::fromEncoded(line.sliced(kOpenPrefix.size()), QUrl::StrictMode);
            if (url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile()))
                discImage = url.toLocalFile();
        } else if (line == kActivateMessage.trimmed()) {
            // Answered first: opening the image may show a message and wait for the user.
            client.write(kTakenAnswer.data(), kTakenAnswer.size());
            client.flush();
            // A message shown on the way runs events, which may delete the client.
            const QPointer<QLocalSocket> alive(&client);
            const QString image = std::exchange(discImage, QString());
            emit activationRequested();
            if (!image.isEmpty())
                emit discImageRequested(image);
            if (!alive)
                return;
        }
    }
    // Nothing we send is this long: a stranger talking, not another start.
    if (client.bytesAvailable() >= kMaxLineBytes)
        client.abort();
}

} // namespace corvath::ui
