#include "views/CChildFrame.h"

#include "views/DocumentSession.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(DocumentSession& session, QWidget* parent)
    : QMdiSubWindow(parent), m_session(&session) {
    setAttribute(Qt::WA_DeleteOnClose);
    connect(&session, &DocumentSession::titleChanged, this, &CChildFrame::updateFrameTitle);
    connect(&session, &DocumentSession::modifiedChanged, this, &CChildFrame::updateFrameTitle);
    connect(&session, &DocumentSession::windowsChanged, this, &CChildFrame::updateFrameTitle);
    session.addWindow(this);
    updateFrameTitle();
}

CChildFrame::~CChildFrame() {
    detach();
}

DocumentSession* CChildFrame::session() const {
    return m_session.data();
}

void CChildFrame::closeWithoutAsking() {
    m_skipGuard = true;
    close();
    m_skipGuard = false;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_attached && !m_skipGuard && m_session && !m_session->mayClose(*this)) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
    if (event->isAccepted())
        detach();
}

void CChildFrame::detach() {
    if (!m_attached)
        return;
    m_attached = false;
    if (m_session) {
        disconnect(m_session, nullptr, this, nullptr);
        m_session->removeWindow(this);
    }
}

int CChildFrame::windowNumber() const {
    return m_session && m_attached ? m_session->windowNumber(this) : 0;
}

QString CChildFrame::composeTitle(const QString& docTitle, int number, const QString& suffix, bool modified) {
    QString title = docTitle;
    if (number > 0)
        title += QStringLiteral(":%1").arg(number);
    title += suffix;
    if (modified)
        title += QLatin1Char('*');
    return title;
}

void CChildFrame::setTitleSuffix(const QString& suffix) {
    m_suffix = suffix;
    updateFrameTitle();
}

void CChildFrame::updateFrameTitle() {
    if (!m_session)
        return;
    m_title = composeTitle(m_session->title(), windowNumber(), m_suffix, m_session->isModified());
    // Qt reads "[*]" as its modified placeholder; a file name may hold it, so it is doubled to
    // show as written.
    QString shown = m_title;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(shown);
}
