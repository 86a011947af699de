#include "app/CStaticLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QRegularExpression>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

const QColor CStaticLink::kUnvisited(0, 0, 255);
const QColor CStaticLink::kVisited(128, 0, 128);

CStaticLink::CStaticLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), m_opener([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setCursor(Qt::PointingHandCursor);
    // Links are activated here, never by the label's own rich-text handling. Setting the
    // interaction flags resets the focus policy, so the policy comes after.
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::NoTextInteraction);
    setFocusPolicy(Qt::StrongFocus);
    // Room for the focus frame around the text or picture.
    setContentsMargins(2, 2, 2, 2);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    ApplyColour();
}

void CStaticLink::SetOpener(Opener opener) {
    m_opener = std::move(opener);
}

QUrl CStaticLink::TargetUrl(const QString& target) {
    const QString trimmed = target.trimmed();
    // A scheme is letters, digits, '+', '-' or '.' before a colon; "www.host:8080/x" has none.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d)"));
    if (scheme.match(trimmed).hasMatch())
        return QUrl(trimmed, QUrl::TolerantMode);
    return QUrl(QStringLiteral("http://") + trimmed, QUrl::TolerantMode);
}

void CStaticLink::Activate() {
    const QString target = m_target.isEmpty() ? text() : m_target;
    if (target.trimmed().isEmpty())
        return;
    const QUrl url = TargetUrl(target);
    if (!url.isValid() || !m_opener || !m_opener(url)) {
        QApplication::beep();
        return;
    }
    m_visited = true;
    ApplyColour();
    emit Opened(url);
}

void CStaticLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        Activate();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void CStaticLink::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        Activate();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void CStaticLink::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    // A label shows no focus of its own; keyboard users need to see which link Enter opens.
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void CStaticLink::ApplyColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, TextColour());
    setPalette(colours);
}
