#include "app/WindowCommands.h"

#include "app/CMDIClientWnd.h"
#include "app/DocumentFlows.h"
#include "app/SessionList.h"
#include "dump/Prompter.h"
#include "views/CChildFrame.h"
#include "views/DocumentSession.h"
#include "views/HexView.h"
#include "views/HexViewSettings.h"

#include <QApplication>

WindowCommands::WindowCommands(SessionList& sessions, DocumentFlows& flows, HexViewSettings& hexSettings,
                               Prompter& prompter, QObject* parent)
    : CommandGroup(parent), m_sessions(sessions), m_flows(flows), m_hexSettings(hexSettings),
      m_prompter(prompter) {
    add(IdShowAscii, QStringLiteral("Show &Ascii"),
        QStringLiteral("Display ascii conversion of hex dump\nShow Ascii"), &WindowCommands::onShowAscii)
        ->setCheckable(true);
    add(IdShowOffsets, QStringLiteral("Show Offsets"), QStringLiteral("Display hex offsets\nShow Offsets"),
        &WindowCommands::onShowOffsets)
        ->setCheckable(true);
    add(IdWindowNew, QStringLiteral("&New Window"),
        QStringLiteral("Open another window for the active document\nNew Window"),
        &WindowCommands::onNewWindow);
    add(IdWindowCascade, QStringLiteral("&Cascade"),
        QStringLiteral("Arrange windows so they overlap\nCascade Windows"), &WindowCommands::onCascade);
    add(IdWindowTile, QStringLiteral("&Tile"),
        QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows"), &WindowCommands::onTile);
    add(IdWindowArrange, QStringLiteral("&Arrange Icons"),
        QStringLiteral("Arrange minimised windows at the bottom of the window\nArrange Icons"),
        &WindowCommands::onArrange);
    add(IdCloseAll, QStringLiteral("C&lose all"), QStringLiteral("Close every document window\nClose All"),
        &WindowCommands::onCloseAll);
    add(IdOpenHexView, QStringLiteral("&Open Hex View"),
        QStringLiteral("Open a hex listing of the active document\nHex View"),
        &WindowCommands::onOpenHexView);
    add(IdOpenPedalboard, QStringLiteral("Open &Pedalboard"),
        QStringLiteral("Show the banks of the active document as pedals to arrange\nPedalboard (Ctrl+B)"),
        &WindowCommands::onOpenPedalboard, QKeySequence(QStringLiteral("Ctrl+B")));
    add(IdCloseWindow, QStringLiteral("&Close"), QStringLiteral("Close the active window\nClose Window"),
        &WindowCommands::onCloseWindow);
    add(IdNextPane, QStringLiteral("Next Pane"), QStringLiteral("Switch to the next window pane\nNext Pane"),
        &WindowCommands::onPane, QKeySequence(Qt::Key_F6));
    add(IdPrevPane, QStringLiteral("Previous Pane"),
        QStringLiteral("Switch back to the previous window pane\nPrevious Pane"), &WindowCommands::onPane,
        QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(&m_hexSettings, &HexViewSettings::changed, this, &WindowCommands::updateStates);
}

void WindowCommands::updateStates() {
    const bool anyWindow = !m_sessions.area().subWindowList().isEmpty();
    for (int id : {IdWindowNew, IdWindowCascade, IdWindowTile, IdWindowArrange, IdCloseAll, IdCloseWindow})
        action(id)->setEnabled(anyWindow);
    action(IdOpenHexView)->setEnabled(m_sessions.active() != nullptr);
    action(IdOpenPedalboard)->setEnabled(m_sessions.active() != nullptr);
    // Commands nothing in this program carries out.
    action(IdNextPane)->setEnabled(false);
    action(IdPrevPane)->setEnabled(false);
    const bool hex = m_sessions.activeHexView() != nullptr;
    action(IdShowAscii)->setEnabled(hex);
    action(IdShowOffsets)->setEnabled(hex);
    action(IdShowAscii)->setChecked(m_hexSettings.ShowAscii());
    action(IdShowOffsets)->setChecked(m_hexSettings.ShowOffset());
}

void WindowCommands::OpenHexView(SystemDoc* doc) {
    DocumentSession* session = doc ? m_sessions.find(doc) : nullptr;
    if (!session || session->windows().empty()) {
        m_prompter.Message(kCommandFailedText, "Tolvane", Prompter::Icon::Exclamation);
        return;
    }
    m_sessions.openWindow(*session, DocTemplate::Kind::HexDump);
}

void WindowCommands::onNewWindow() {
    if (DocumentSession* session = m_sessions.active())
        m_sessions.openWindow(*session, m_sessions.activeKind());
}

void WindowCommands::onCascade() {
    m_sessions.area().cascadeSubWindows();
}

void WindowCommands::onTile() {
    m_sessions.area().tileSubWindows();
}

void WindowCommands::onArrange() {
    // Minimised windows already sit in a row along the bottom; restoring the order of that row is
    // all there is to do.
    for (QMdiSubWindow* window : m_sessions.area().subWindowList()) {
        if (window->isMinimized())
            window->showMinimized();
    }
}

void WindowCommands::onCloseAll() {
    m_flows.CloseAll(true);
}

void WindowCommands::onOpenHexView() {
    DocumentSession* session = m_sessions.active();
    OpenHexView(session ? &session->doc() : nullptr);
}

void WindowCommands::onOpenPedalboard() {
    if (DocumentSession* session = m_sessions.active())
        m_sessions.openWindow(*session, DocTemplate::Kind::Pedalboard);
}

void WindowCommands::onCloseWindow() {
    // The window holding the keyboard focus, else the active one.
    CChildFrame* frame = nullptr;
    for (QWidget* w = QApplication::focusWidget(); w && !frame; w = w->parentWidget())
        frame = qobject_cast<CChildFrame*>(w);
    if (!frame)
        frame = m_sessions.activeFrame();
    if (frame)
        frame->close();
}

void WindowCommands::onShowAscii() {
    m_hexSettings.ToggleShowAscii();
}

void WindowCommands::onShowOffsets() {
    m_hexSettings.ToggleShowOffset();
}
