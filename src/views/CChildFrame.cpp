#include "views/CChildFrame.h"

#include "dump/ZIVBackupDoc.h"

#include <QCloseEvent>

#include <algorithm>

namespace {

// All live frames, oldest first: the creation order gives the window numbers.
std::vector<CChildFrame*>& registry() {
    static std::vector<CChildFrame*> frames;
    return frames;
}

CChildFrame::CloseGuard& closeGuard() {
    static CChildFrame::CloseGuard guard;
    return guard;
}

} // namespace

CChildFrame::CChildFrame(ZIVBackupDoc& doc, QWidget* parent) : QMdiSubWindow(parent), m_doc(&doc) {
    setAttribute(Qt::WA_DeleteOnClose);
    registry().push_back(this);
    m_doc->AddListener(this);
    updateFrameTitles(*m_doc);
}

CChildFrame::~CChildFrame() {
    detach();
}

void CChildFrame::setCloseGuard(CloseGuard guard) {
    closeGuard() = std::move(guard);
}

void CChildFrame::closeWithoutAsking() {
    m_skipGuard = true;
    close();
    m_skipGuard = false;
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_attached && !m_skipGuard && closeGuard() && !closeGuard()(*this)) {
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
    m_doc->RemoveListener(this);
    auto& frames = registry();
    frames.erase(std::remove(frames.begin(), frames.end(), this), frames.end());
    updateFrameTitles(*m_doc);
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

std::vector<CChildFrame*> CChildFrame::framesOf(const ZIVBackupDoc& doc) {
    std::vector<CChildFrame*> frames;
    for (CChildFrame* frame : registry())
        if (frame->m_doc == &doc)
            frames.push_back(frame);
    return frames;
}

void CChildFrame::updateFrameTitles(const ZIVBackupDoc& doc) {
    const std::vector<CChildFrame*> frames = framesOf(doc);
    const bool numbered = frames.size() > 1;
    int number = 0;
    for (CChildFrame* frame : frames) {
        frame->m_number = numbered ? ++number : 0;
        frame->updateFrameTitle();
    }
}

void CChildFrame::setTitleSuffix(const QString& suffix) {
    m_suffix = suffix;
    updateFrameTitle();
}

void CChildFrame::OnModifiedChanged(ZIVBackupDoc& doc) {
    updateFrameTitles(doc);
}

void CChildFrame::updateFrameTitle() {
    m_title =
        composeTitle(QString::fromStdString(m_doc->GetTitle()), m_number, m_suffix, m_doc->IsModified());
    // Qt reads "[*]" as its modified placeholder; a file name may hold it, so it is doubled to
    // show as written.
    QString shown = m_title;
    shown.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(shown);
}
