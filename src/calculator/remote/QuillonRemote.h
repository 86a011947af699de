#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// The calculator's remote control: a local socket named per user, on which a running Quillon
// obeys "raise" and "close". Each command is one line; the server answers "ok" to a command it
// knows, "unknown" otherwise. Everything runs on the thread that owns the object; Send() blocks
// the calling thread briefly and must not be called from the thread of the server it talks to.
class QuillonRemote : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 1000;

    explicit QuillonRemote(QObject* parent = nullptr);
    // For tests, which must not meet a calculator the user is running.
    explicit QuillonRemote(const QString& serverName, QObject* parent = nullptr);

    // "Quillon-" and the user name (USER, else USERNAME, else the home folder's name).
    static QString ServerName();

    // Sends one command to a running calculator; true when it answered "ok".
    static bool Send(const QString& command, int timeoutMs = kDefaultTimeoutMs);
    static bool Send(const QString& serverName, const QString& command, int timeoutMs);

    // Starts listening; false when another calculator already answers under the name. A name
    // left behind by a calculator that crashed is taken over.
    bool Listen();
    bool IsListening() const;
    QString Name() const { return m_name; }

signals:
    void RaiseRequested();
    void CloseRequested();

private:
    void OnNewConnection();
    void OnReadyRead(QLocalSocket* socket);

    QString m_name;
    QLocalServer* m_server;
};
