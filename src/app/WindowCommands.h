#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"

class DocumentFlows;
class HexViewSettings;
class Prompter;
class SessionList;
class SystemDoc;

// The Window menu and the hex window's view settings: New Window, Cascade, Tile, Arrange Icons,
// Close All, Open Hex View, Open Pedalboard, Close (the window), Show Ascii and Show Offsets.
class WindowCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    static constexpr const char* kCommandFailedText = "Command failed.";

    WindowCommands(SessionList& sessions, DocumentFlows& flows, HexViewSettings& hexSettings,
                   Prompter& prompter, QObject* parent = nullptr);

    void updateStates() override;

    // A hex window on the document; "Command failed." when no open document holds it.
    void OpenHexView(SystemDoc* doc);

private:
    void onNewWindow();
    void onCascade();
    void onTile();
    void onArrange();
    void onCloseAll();
    void onOpenHexView();
    void onOpenPedalboard();
    void onCloseWindow();
    void onShowAscii();
    void onShowOffsets();
    void onPane() {}

    SessionList& m_sessions;
    DocumentFlows& m_flows;
    HexViewSettings& m_hexSettings;
    Prompter& m_prompter;
};
