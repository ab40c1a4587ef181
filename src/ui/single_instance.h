#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

class QLocalSocket;

namespace corvath::ui {

/// The local socket the running instance listens on: the main window's class name followed by
/// the user's name, so every user has an instance of their own.
QString InstanceServerName();

/// Asks a running instance to come to the front and, when discImage (an absolute path) is given,
/// to open that disc image. True when one took the request: this process should then end.
bool HandOverToRunningInstance(const QString& discImage = QString(),
                               const QString& serverName = InstanceServerName());

/// The running instance's side: listens for later starts and reports each one's request.
class InstanceServer : public QObject {
    Q_OBJECT

public:
    /// Listens at once. A socket file left by a crashed instance is replaced; one that still
    /// answers is left alone, and this server stays silent (two starts at the same moment).
    explicit InstanceServer(const QString& serverName = InstanceServerName(),
                            QObject* parent = nullptr);

    bool IsListening() const { return server_.isListening(); }

signals:
    /// Another start asked this instance to show itself.
    void activationRequested();
    /// Another start asked this instance to open a disc image; path is absolute. Comes after
    /// that start's activationRequested.
    void discImageRequested(const QString& path);

private:
    void Listen(const QString& serverName);
    void Accept();
    void Read(QLocalSocket& client, QString& discImage);

    QLocalServer server_;
};

} // namespace corvath::ui
