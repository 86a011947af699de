#include "views/HexView.h"

#include "dump/HexRender.h"
#include "dump/SystemDoc.h"
#include "dump/ZIVBackupDoc.h"
#include "views/HexViewSettings.h"
#include "widgets/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>

#include <algorithm>
#include <memory>

HexView::HexView(ZIVBackupDoc& doc, HexViewSettings& settings, QWidget* parent)
    : QPlainTextEdit(parent), m_doc(&doc), m_settings(&settings) {
    setObjectName("hexView");
    setAccessibleName(tr("Hex View"));
    setReadOnly(true);
    // Read-only still lets the keyboard move and select, so the listing can be copied without a mouse.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setFocusPolicy(Qt::StrongFocus);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    createActions();
    connect(m_settings, &HexViewSettings::changed, this, &HexView::updateView);
    m_doc->AddListener(this);
    updateView();
}

HexView::~HexView() {
    m_doc->RemoveListener(this);
}

QString HexView::titleSuffix() {
    return QStringLiteral(" (Hex View)");
}

QString HexView::displayText(const std::string& rendered) {
    // The character column holds 8-bit code-page characters; Latin-1 maps each byte to one
    // character, and the widget keeps its own line breaks.
    const QString text = QString::fromLatin1(rendered.data(), static_cast<qsizetype>(rendered.size()));
    return text.split(QStringLiteral("\r\n")).join(QLatin1Char('\n'));
}

void HexView::createActions() {
    m_copy = new QAction(tr("&Copy"), this);
    m_copy->setObjectName("hexCopyAction");
    // Shown in the menu only; the editor itself handles the key.
    m_copy->setShortcut(QKeySequence(tr("Ctrl+C")));
    connect(m_copy, &QAction::triggered, this, &QPlainTextEdit::copy);

    m_selectAll = new QAction(tr("Select All"), this);
    m_selectAll->setObjectName("hexSelectAllAction");
    connect(m_selectAll, &QAction::triggered, this, &QPlainTextEdit::selectAll);

    m_showAscii = new QAction(tr("Show Ascii"), this);
    m_showAscii->setObjectName("hexShowAsciiAction");
    m_showAscii->setCheckable(true);
    m_showAscii->setStatusTip(tr("Display ascii conversion of hex dump"));
    connect(m_showAscii, &QAction::triggered, this, [this] {
        m_settings->ToggleShowAscii();
        emit hexSettingsChanged();
    });

    m_showOffset = new QAction(tr("Show Offsets"), this);
    m_showOffset->setObjectName("hexShowOffsetAction");
    m_showOffset->setCheckable(true);
    m_showOffset->setStatusTip(tr("Display hex offsets"));
    connect(m_showOffset, &QAction::triggered, this, [this] {
        m_settings->ToggleShowOffset();
        emit hexSettingsChanged();
    });

    updateActionStates();
}

void HexView::updateView() {
    WaitCursor wait;
    setUpdatesEnabled(false);
    QString text;
    if (const auto* systemDoc = dynamic_cast<const SystemDoc*>(m_doc)) {
        const std::vector<uint8_t> image = systemDoc->BuildImage();
        text = displayText(
            RenderHexDump(image.data(), image.size(), m_settings->ShowAscii(), m_settings->ShowOffset()));
    }
    // Only the widget's own text changes; the document is not touched, so its modified flag stays.
    setPlainText(text);
    if (m_frame)
        applyFrameSize(m_frame);
    setUpdatesEnabled(true);
    viewport()->update();
    updateActionStates();
}

void HexView::OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) {
    (void)doc;
    (void)sender;
    (void)hint;
    updateView();
}

void HexView::setSizingFrame(QWidget* frame) {
    if (m_frame)
        m_frame->removeEventFilter(this);
    m_frame = frame;
    if (m_frame) {
        m_frame->installEventFilter(this);
        applyFrameSize(m_frame);
    }
}

bool HexView::eventFilter(QObject* watched, QEvent* event) {
    // The frame is made before it joins the client area; only then is the area's height known.
    if (watched == m_frame && event->type() == QEvent::ParentChange)
        applyFrameSize(m_frame);
    return QPlainTextEdit::eventFilter(watched, event);
}

HexFrameMetrics HexView::frameMetrics(const QWidget* frame) const {
    HexFrameMetrics m;
    const QFontMetrics fm(font());
    m.groupWidth = fm.horizontalAdvance(QStringLiteral("00 "));
    m.groupHeight = fm.height();
    m.lines = blockCount();
    m.showAscii = m_settings->ShowAscii();
    m.showOffset = m_settings->ShowOffset();
    m.scrollBarWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, verticalScrollBar());
    const auto* child = qobject_cast<const QMdiSubWindow*>(frame);
    if (child) {
        m.frameWidth = child->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, child);
        if (const QMdiArea* area = child->mdiArea())
            m.clientHeight = area->viewport()->height();
    } else {
        m.frameWidth = frameWidth();
        if (frame && frame->screen())
            m.clientHeight = frame->screen()->availableGeometry().height();
    }
    return m;
}

void HexView::applyFrameSize(QWidget* frame) const {
    if (!frame || frame->isMaximized() || frame->isMinimized())
        return;
    // resize() keeps the top-left corner.
    frame->resize(HexFrameSize(frameMetrics(frame)));
}

void HexView::updateActionStates() {
    m_copy->setEnabled(textCursor().hasSelection());
    m_selectAll->setEnabled(!document()->isEmpty());
    m_showAscii->setChecked(m_settings->ShowAscii());
    m_showOffset->setChecked(m_settings->ShowOffset());
}

QMenu* HexView::createContextMenu(QWidget* parent) {
    updateActionStates();
    auto* menu = new QMenu(parent);
    menu->setObjectName("hexContextMenu");
    menu->addAction(m_copy);
    menu->addAction(m_selectAll);
    menu->addAction(m_showAscii);
    menu->addAction(m_showOffset);
    for (QAction* action : std::as_const(m_extraActions))
        if (action)
            menu->addAction(action);
    return menu;
}

void HexView::contextMenuEvent(QContextMenuEvent* event) {
    // The click only opens the menu; the caret and selection stay where they were.
    std::unique_ptr<QMenu> menu(createContextMenu(this));
    menu->exec(event->globalPos());
    event->accept();
}
