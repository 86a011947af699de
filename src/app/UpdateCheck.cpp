#include "app/UpdateCheck.h"

#include "dump/Prompter.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QTcpSocket>

namespace {
const char* const kCaption = "Tolvane";

std::string_view View(const QByteArray& bytes) {
    return std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()));
}
} // namespace

UpdateCheck::UpdateCheck(Prompter& prompter, VersionNumber own, QObject* parent)
    : QObject(parent), m_prompter(prompter), m_own(own),
      m_opener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    for (QTimer* timer : {&m_connectTimer, &m_responseTimer, &m_cursorTimer})
        timer->setSingleShot(true);
    m_connectTimer.setInterval(kDefaultConnectTimeoutMs);
    m_responseTimer.setInterval(kDefaultResponseTimeoutMs);
    m_cursorTimer.setInterval(kWaitCursorMs);
    connect(&m_connectTimer, &QTimer::timeout, this, &UpdateCheck::OnConnectTimeout);
    connect(&m_responseTimer, &QTimer::timeout, this, &UpdateCheck::OnResponseTimeout);
    connect(&m_cursorTimer, &QTimer::timeout, this, &UpdateCheck::RestoreCursor);
}

UpdateCheck::~UpdateCheck() {
    Release();
    RestoreCursor();
}

void UpdateCheck::SetTimeouts(int connectMs, int responseMs) {
    m_connectTimer.setInterval(connectMs);
    m_responseTimer.setInterval(responseMs);
}

QByteArray UpdateCheck::RequestText(const Server& server) {
    return "GET " + server.versionFile.toUtf8() + " HTTP/1.1\r\nHost: " + server.hostname.toUtf8() +
           "\r\nUser-Agent: Tolvane\r\nAccept: text/plain;\r\n\r\n";
}

void UpdateCheck::Start(const Server& server) {
    Release();
    m_server = server;
    m_received.clear();
    if (!m_cursorShown) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_cursorShown = true;
    }
    m_cursorTimer.start();

    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, &UpdateCheck::OnConnected);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &UpdateCheck::OnBytesWritten);
    connect(m_socket, &QTcpSocket::readyRead, this, &UpdateCheck::OnReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &UpdateCheck::OnError);
    connect(m_socket, &QTcpSocket::disconnected, this, &UpdateCheck::OnDisconnected);
    m_phase = Phase::Connecting;
    m_connectTimer.start();
    m_socket->connectToHost(server.hostname, server.port);
}

void UpdateCheck::OnConnected() {
    if (m_phase != Phase::Connecting)
        return;
    m_connectTimer.stop();
    m_responseTimer.start();
    m_phase = Phase::Requesting;
    const QByteArray request = RequestText(m_server);
    if (m_socket->write(request) != request.size()) {
        Finish(UpdateReply::RequestFailed());
        return;
    }
    m_socket->flush();
    OnBytesWritten();
}

void UpdateCheck::OnBytesWritten() {
    if (m_phase == Phase::Requesting && m_socket && m_socket->bytesToWrite() == 0)
        m_phase = Phase::Reading;
}

void UpdateCheck::OnReadyRead() {
    if (m_phase != Phase::Requesting && m_phase != Phase::Reading)
        return;
    ReadAvailable();
    if (UpdateReply::IsComplete(View(m_received)))
        Finish(UpdateReply::Evaluate(View(m_received), m_own));
}

void UpdateCheck::ReadAvailable() {
    const qint64 room = static_cast<qint64>(UpdateReply::kMaxResponse) - m_received.size();
    if (room > 0)
        m_received += m_socket->read(room);
}

void UpdateCheck::OnError(QAbstractSocket::SocketError error) {
    const int code = static_cast<int>(error);
    switch (m_phase) {
    case Phase::Idle:
        return;
    case Phase::Connecting:
        if (error == QAbstractSocket::HostNotFoundError)
            Finish(UpdateReply::LookupFailed());
        else if (error == QAbstractSocket::SocketResourceError ||
                 error == QAbstractSocket::SocketAccessError ||
                 error == QAbstractSocket::UnsupportedSocketOperationError)
            Finish(UpdateReply::SocketFailed(code));
        else
            Finish(UpdateReply::ConnectFailed(code));
        return;
    case Phase::Requesting:
        Finish(UpdateReply::RequestFailed());
        return;
    case Phase::Reading:
        if (error == QAbstractSocket::RemoteHostClosedError) {
            // The server's close ends the answer: judge what came.
            OnDisconnected();
        } else {
            // A broken connection leaves us without an answer; say so rather than nothing.
            Finish(UpdateReply::NotAvailable());
        }
        return;
    }
}

void UpdateCheck::OnDisconnected() {
    if (m_phase == Phase::Requesting) {
        Finish(UpdateReply::RequestFailed());
    } else if (m_phase == Phase::Reading) {
        ReadAvailable();
        Finish(UpdateReply::Evaluate(View(m_received), m_own));
    }
}

void UpdateCheck::OnConnectTimeout() {
    if (m_phase != Phase::Connecting)
        return;
    if (m_socket && m_socket->state() == QAbstractSocket::HostLookupState)
        Finish(UpdateReply::LookupFailed());
    else
        Finish(UpdateReply::ConnectFailed(static_cast<int>(QAbstractSocket::SocketTimeoutError)));
}

void UpdateCheck::OnResponseTimeout() {
    if (m_phase == Phase::Requesting)
        Finish(UpdateReply::RequestFailed());
    else if (m_phase == Phase::Reading)
        Finish(UpdateReply::NotAvailable());
}

void UpdateCheck::Finish(const UpdateReply::Verdict& verdict) {
    // Close everything before the message: the box runs its own event loop, in which the user
    // may start another check.
    Release();
    RestoreCursor();
    m_lastOutcome = verdict.outcome;
    const QUrl downloadPage(QStringLiteral("http://") + m_server.downloadUrl);

    const QPointer<UpdateCheck> self(this);
    if (verdict.outcome == UpdateReply::Outcome::NewerAvailable) {
        const bool yes = m_prompter.AskYesNo(verdict.text, kCaption, Prompter::Icon::Question);
        if (!self)
            return;
        if (yes && m_opener)
            m_opener(downloadPage);
    } else {
        m_prompter.Message(verdict.text, kCaption, verdict.icon);
        if (!self)
            return;
    }
    emit finished();
}

void UpdateCheck::Release() {
    m_phase = Phase::Idle;
    m_connectTimer.stop();
    m_responseTimer.stop();
    if (m_socket) {
        QTcpSocket* socket = m_socket;
        m_socket = nullptr;
        disconnect(socket, nullptr, this, nullptr);
        socket->abort();
        socket->deleteLater();
    }
}

void UpdateCheck::RestoreCursor() {
    m_cursorTimer.stop();
    if (m_cursorShown) {
        m_cursorShown = false;
        QGuiApplication::restoreOverrideCursor();
    }
}
