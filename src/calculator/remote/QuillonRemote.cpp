#include "calculator/remote/QuillonRemote.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int kStaleCheckMs = 200;
const QByteArray kOk = QByteArrayLiteral("ok");
const QByteArray kUnknown = QByteArrayLiteral("unknown");

} // namespace

QuillonRemote::QuillonRemote(QObject* parent) : QuillonRemote(ServerName(), parent) {}

QuillonRemote::QuillonRemote(const QString& serverName, QObject* parent)
    : QObject(parent), m_name(serverName), m_server(new QLocalServer(this)) {
    // Only the same user may raise or close the calculator.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &QuillonRemote::OnNewConnection);
}

QString QuillonRemote::ServerName() {
    QString user = QString::fromLocal8Bit(qgetenv("USER"));
    if (user.isEmpty())
        user = QString::fromLocal8Bit(qgetenv("USERNAME"));
    // Services and containers may set neither; the home folder still tells users apart.
    if (user.isEmpty())
        user = QDir::home().dirName();
    return QStringLiteral("Quillon-") + user;
}

bool QuillonRemote::Send(const QString& command, int timeoutMs) {
    return Send(ServerName(), command, timeoutMs);
}

bool QuillonRemote::Send(const QString& serverName, const QString& command, int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == kOk;
}

bool QuillonRemote::Listen() {
    if (m_server->isListening())
        return true;
    // Listening with access options replaces whatever holds the name, a live calculator's socket
    // included, so ask first; a name nobody answers on was left by a calculator that crashed.
    QLocalSocket probe;
    probe.connectToServer(m_name);
    if (probe.waitForConnected(kStaleCheckMs))
        return false;
    QLocalServer::removeServer(m_name);
    return m_server->listen(m_name);
}

bool QuillonRemote::IsListening() const {
    return m_server->isListening();
}

void QuillonRemote::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        if (socket->canReadLine())
            OnReadyRead(socket);
    }
}

void QuillonRemote::OnReadyRead(QLocalSocket* socket) {
    while (socket->canReadLine()) {
        const QByteArray command = socket->readLine().trimmed();
        const bool raise = command == "raise";
        const bool close = command == "close";
        // Answer first: closing may end the program before the event loop runs again.
        socket->write((raise || close ? kOk : kUnknown) + '\n');
        socket->flush();
        if (raise)
            emit RaiseRequested();
        else if (close)
            emit CloseRequested();
    }
}
