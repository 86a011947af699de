#include "app/DocTemplate.h"

#include "views/CChildFrame.h"

#include <QMdiArea>

DocTemplate::DocTemplate(Kind kind, const QString& resourceString, ViewFactory factory)
    : m_kind(kind), m_strings(resourceString.split(QLatin1Char('\n'))), m_factory(std::move(factory)) {}

QString DocTemplate::docString(DocString index) const {
    return index < m_strings.size() ? m_strings.at(index) : QString();
}

QString DocTemplate::fileFilter() const {
    return docString(FilterName);
}

QString DocTemplate::untitledTitle(int n) const {
    return docString(DocName) + QString::number(n);
}

CChildFrame* DocTemplate::createFrame(DocumentSession& session, QMdiArea& area) const {
    auto* frame = new CChildFrame(session);
    frame->setWidget(m_factory(session, *frame));
    area.addSubWindow(frame);
    frame->show();
    return frame;
}
