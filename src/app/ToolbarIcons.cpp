#include "app/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

const QColor kInk(0x30, 0x30, 0x38);
const QColor kPaper(0xfa, 0xfa, 0xfa);
const QColor kAccent(0x2a, 0x6f, 0xc9);
const QColor kFolder(0xe0, 0xb0, 0x40);

// Draws on a 16 x 16 grid, scaled to each size the icon offers.
QIcon Draw(const char* themeName, const std::function<void(QPainter&)>& paint) {
    const QIcon themed = QIcon::fromTheme(QLatin1String(themeName));
    if (!themed.isNull())
        return themed;
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        painter.setPen(QPen(kInk, 1.0));
        paint(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Sheet(QPainter& p, const QRectF& r) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 3, r.top());
    path.lineTo(r.right(), r.top() + 3);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.drawPath(path);
}

void Arrow(QPainter& p, bool down) {
    QPainterPath path;
    if (down) {
        path.moveTo(6.5, 1.5);
        path.lineTo(9.5, 1.5);
        path.lineTo(9.5, 7.5);
        path.lineTo(12.5, 7.5);
        path.lineTo(8, 12.5);
        path.lineTo(3.5, 7.5);
        path.lineTo(6.5, 7.5);
    } else {
        path.moveTo(6.5, 12.5);
        path.lineTo(9.5, 12.5);
        path.lineTo(9.5, 6.5);
        path.lineTo(12.5, 6.5);
        path.lineTo(8, 1.5);
        path.lineTo(3.5, 6.5);
        path.lineTo(6.5, 6.5);
    }
    path.closeSubpath();
    p.setBrush(kAccent);
    p.drawPath(path);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(2.5, 14.5), QPointF(13.5, 14.5));
}

// A curved arrow turning back to the left (undo) or on to the right (redo).
void TurnArrow(QPainter& p, bool back) {
    if (!back) {
        p.translate(16, 0);
        p.scale(-1, 1);
    }
    QPainterPath curve;
    curve.moveTo(4.5, 6.5);
    curve.cubicTo(10, 3.5, 14.5, 6, 13.5, 10.5);
    curve.cubicTo(13, 12.5, 11, 13.5, 9, 13.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kAccent, 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
    QPainterPath head;
    head.moveTo(1.5, 7);
    head.lineTo(6.5, 2.5);
    head.lineTo(7, 10);
    head.closeSubpath();
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kAccent);
    p.drawPath(head);
}

} // namespace

QIcon ToolbarIcons::Undo() {
    return Draw("edit-undo", [](QPainter& p) { TurnArrow(p, true); });
}

QIcon ToolbarIcons::Redo() {
    return Draw("edit-redo", [](QPainter& p) { TurnArrow(p, false); });
}

QIcon ToolbarIcons::New() {
    return Draw("document-new", [](QPainter& p) { Sheet(p, QRectF(3.5, 1.5, 9, 13)); });
}

QIcon ToolbarIcons::Open() {
    return Draw("document-open", [](QPainter& p) {
        p.setBrush(kFolder);
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.drawRect(QRectF(1.5, 3.0, 5, 1.5));
        p.setBrush(kFolder.lighter(120));
        QPainterPath lid;
        lid.moveTo(3.5, 7.5);
        lid.lineTo(15.0, 7.5);
        lid.lineTo(13.5, 13.5);
        lid.lineTo(1.5, 13.5);
        lid.closeSubpath();
        p.drawPath(lid);
    });
}

QIcon ToolbarIcons::Save() {
    return Draw("document-save", [](QPainter& p) {
        p.setBrush(kAccent);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.0, 1.5, 8, 5));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
    });
}

QIcon ToolbarIcons::Cut() {
    return Draw("edit-cut", [](QPainter& p) {
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4.5, 1.5), QPointF(10.5, 10.0));
        p.drawLine(QPointF(11.5, 1.5), QPointF(5.5, 10.0));
        p.setPen(QPen(kAccent, 1.5));
        p.drawEllipse(QPointF(4.5, 12.0), 2.5, 2.5);
        p.drawEllipse(QPointF(11.5, 12.0), 2.5, 2.5);
    });
}

QIcon ToolbarIcons::Copy() {
    return Draw("edit-copy", [](QPainter& p) {
        Sheet(p, QRectF(1.5, 1.5, 8, 10));
        Sheet(p, QRectF(6.5, 4.5, 8, 10));
    });
}

QIcon ToolbarIcons::Paste() {
    return Draw("edit-paste", [](QPainter& p) {
        p.setBrush(kFolder);
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(kInk);
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        Sheet(p, QRectF(7.5, 6.5, 7, 8));
    });
}

QIcon ToolbarIcons::Download() {
    return Draw("go-down", [](QPainter& p) { Arrow(p, true); });
}

QIcon ToolbarIcons::Upload() {
    return Draw("go-up", [](QPainter& p) { Arrow(p, false); });
}

QIcon ToolbarIcons::Preferences() {
    return Draw("preferences-system", [](QPainter& p) {
        // Three sliders.
        for (int i = 0; i < 3; ++i) {
            const double y = 3.5 + i * 4.5;
            p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
            p.setBrush(kAccent);
            const double x = i == 1 ? 9.5 : i == 0 ? 4.5 : 11.5;
            p.drawRect(QRectF(x - 1.5, y - 2.0, 3, 4));
        }
    });
}

QIcon ToolbarIcons::Print() {
    return Draw("document-print", [](QPainter& p) {
        Sheet(p, QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xa0, 0xa0, 0xa8));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
    });
}

QIcon ToolbarIcons::About() {
    return Draw("help-about", [](QPainter& p) {
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setPen(QPen(Qt::white, 2.0));
        p.drawLine(QPointF(8, 7.0), QPointF(8, 11.5));
        p.drawPoint(QPointF(8, 4.5));
    });
}

QIcon ToolbarIcons::Website() {
    return Draw("applications-internet", [](QPainter& p) {
        p.setBrush(QColor(0xd8, 0xe8, 0xfa));
        p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(8, 8), 3.0, 6.5);
        p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
        p.drawLine(QPointF(2.5, 4.5), QPointF(13.5, 4.5));
        p.drawLine(QPointF(2.5, 11.5), QPointF(13.5, 11.5));
    });
}
