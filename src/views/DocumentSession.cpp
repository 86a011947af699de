#include "views/DocumentSession.h"

#include "dump/SystemDoc.h"
#include "views/CChildFrame.h"

#include <algorithm>

DocumentSession::DocumentSession(std::unique_ptr<SystemDoc> doc, QObject* parent)
    : QObject(parent), m_doc(std::move(doc)) {
    m_doc->AddListener(this);
    connect(&m_undo, &QUndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
    connect(&m_undo, &DocUndoStack::revealRequested, this, &DocumentSession::revealRequested);
}

DocumentSession::~DocumentSession() {
    // The steps go with the stack, quietly: nothing may hear of them now.
    m_undo.blockSignals(true);
    m_doc->RemoveListener(this);
}

QString DocumentSession::path() const {
    return QString::fromStdString(m_doc->GetPathName());
}

QString DocumentSession::title() const {
    return QString::fromStdString(m_doc->GetTitle());
}

void DocumentSession::setPath(const QString& path) {
    m_doc->SetPathName(path.toStdString());
    emit titleChanged();
}

void DocumentSession::setTitle(const QString& title) {
    m_doc->SetTitle(title.toStdString());
    emit titleChanged();
}

int DocumentSession::windowNumber(const CChildFrame* window) const {
    if (m_windows.size() < 2)
        return 0;
    const auto found = std::find(m_windows.begin(), m_windows.end(), window);
    return found == m_windows.end() ? 0 : static_cast<int>(found - m_windows.begin()) + 1;
}

void DocumentSession::addWindow(CChildFrame* window) {
    if (!window || std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end())
        return;
    m_windows.push_back(window);
    m_live.push_back(window);
    // Heard once the frame's children (the views, which follow the model) are gone too.
    connect(window, &QObject::destroyed, this, &DocumentSession::windowDestroyed);
    emit windowsChanged();
}

void DocumentSession::windowDestroyed(QObject* window) {
    m_live.erase(std::remove(m_live.begin(), m_live.end(), window), m_live.end());
    // A frame deleted without being closed is still on the list.
    const auto found = std::find_if(m_windows.begin(), m_windows.end(), [window](const CChildFrame* w) {
        return static_cast<const QObject*>(w) == window;
    });
    if (found != m_windows.end()) {
        m_windows.erase(found);
        emit windowsChanged();
    }
    if (m_live.empty() && m_windows.empty())
        emit lastWindowClosed();
}

void DocumentSession::removeWindow(CChildFrame* window) {
    const auto found = std::find(m_windows.begin(), m_windows.end(), window);
    if (found == m_windows.end())
        return;
    m_windows.erase(found);
    emit windowsChanged();
}

void DocumentSession::OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) {
    (void)doc;
    (void)sender;
    emit documentChanged(hint);
}
