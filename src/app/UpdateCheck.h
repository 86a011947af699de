#pragma once

#include "app/UpdateReply.h"
#include "app/VersionNumber.h"

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class Prompter;
class QTcpSocket;

// "Check for update": one HTTP GET for the current release number, compared with our own, and
// the answer shown through the Prompter. Everything runs on the thread that owns the object
// (the UI thread) through socket signals; nothing blocks, and time-outs bound each stage.
// One check at a time: starting again abandons a check still under way, without a message.
class UpdateCheck : public QObject {
    Q_OBJECT

public:
    // Where to ask; the caller fills it from the settings each time, so changed settings count.
    struct Server {
        QString hostname = QStringLiteral("www.morvik.example");
        QString versionFile = QStringLiteral("/Orlen/ziv/version.txt");
        QString downloadUrl = QStringLiteral("www.morvik.example/Orlen/ziv/download.html"); // no scheme
        quint16 port = 80;
    };

    static constexpr int kDefaultConnectTimeoutMs = 15000;
    static constexpr int kDefaultResponseTimeoutMs = 15000;
    // The wait cursor shows at most this long; the check itself may go on.
    static constexpr int kWaitCursorMs = 2000;

    using UrlOpener = std::function<bool(const QUrl&)>;

    explicit UpdateCheck(Prompter& prompter, VersionNumber own = VersionNumber::Own(),
                         QObject* parent = nullptr);
    ~UpdateCheck() override;

    void Start(const Server& server);
    bool IsRunning() const { return m_phase != Phase::Idle; }

    // connectMs covers name lookup and connection; responseMs runs from the connection to the
    // complete answer.
    void SetTimeouts(int connectMs, int responseMs);
    // Opens the download page; the desktop's web browser unless replaced (tests do).
    void SetUrlOpener(UrlOpener opener) { m_opener = std::move(opener); }

    UpdateReply::Outcome LastOutcome() const { return m_lastOutcome; }

    // The exact request bytes for a server.
    static QByteArray RequestText(const Server& server);

signals:
    // After the answer has been shown (and, on Yes, the download page opened).
    void finished();

private:
    enum class Phase { Idle, Connecting, Requesting, Reading };

    void OnConnected();
    void OnBytesWritten();
    void OnReadyRead();
    void OnError(QAbstractSocket::SocketError error);
    void OnDisconnected();
    void OnConnectTimeout();
    void OnResponseTimeout();

    void ReadAvailable();
    void Finish(const UpdateReply::Verdict& verdict);
    void Release();
    void RestoreCursor();

    Prompter& m_prompter;
    const VersionNumber m_own;
    UrlOpener m_opener;
    Phase m_phase = Phase::Idle;
    Server m_server;
    QPointer<QTcpSocket> m_socket;
    QByteArray m_received;
    QTimer m_connectTimer;
    QTimer m_responseTimer;
    QTimer m_cursorTimer;
    bool m_cursorShown = false;
    UpdateReply::Outcome m_lastOutcome = UpdateReply::Outcome::NotAvailable;
};
