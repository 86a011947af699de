#pragma once

#include "app/CommandIds.h"
#include "widgets/ShellServices.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class CChildFrame;
class CMDIClientWnd;
class CommandGroup;
class DocumentFlows;
class EditCommands;
class FileCommands;
class HelpCommands;
class PrintCommands;
class QMenu;
class QToolBar;
class QuillonLauncher;
class SessionList;
class TransferCommands;
class WindowCommands;

// The command groups the main window assembles its menus, toolbar and context menus from.
struct MainCommands {
    FileCommands& file;
    EditCommands& edit;
    TransferCommands& transfer;
    WindowCommands& window;
    PrintCommands& print;
    HelpCommands& help;
};

// The editor's main window: the menu bar (one of three menu sets, following the active document
// window), the toolbar, the status bar and the client area with the document windows over the
// background picture. The commands belong to their groups; the window lays them out, runs the one
// update pass that sets their states, shows what they report in the status bar, and carries out
// only its own: the toolbar and status bar switches.
//
// It is also what the document windows, pages and dialogs know of the program (ShellServices).
class CMainFrame : public QMainWindow, public ShellServices, public CommandIds {
    Q_OBJECT
public:
    // The menu bar in use: no document window, a data window, a hex window is active.
    enum class MenuSet { NoDocument = 128, SystemDump = 145, HexDump = 138 };

    static constexpr const char* kReadyText = "Ready";
    // How long a report of finished work stays in the status bar.
    static constexpr int kReportMilliseconds = 5000;

    CMainFrame(CMDIClientWnd* client, SessionList& sessions, DocumentFlows& flows,
               const MainCommands& commands, Settings& settings, Prompter& prompter, QString programDir,
               std::function<bool()> midiHelp);
    ~CMainFrame() override;

    CMDIClientWnd& Client() const { return *m_client; }
    // A command by its number, whichever group holds it; null when there is none.
    QAction* Action(int id) const;
    MenuSet CurrentMenuSet() const { return m_menuSet; }
    QToolBar* ToolBar() const { return m_toolBar; }

    // A context menu (0 chooses by the active window); null when there is nothing to show.
    QMenu* CreateContextMenu(int submenu);
    // Runs a command as its menu item would; false when it is disabled.
    bool Execute(int id);
    // Shows a report of finished work in the status bar for a few seconds.
    void ShowReport(const QString& text);

    QuillonLauncher& Calculator();

    // ShellServices
    Settings& settings() override { return m_settings; }
    Prompter& prompter() override { return m_prompter; }
    void showContextMenu(const QPoint& globalPos, int submenu) override;
    void openHexView(SystemDoc* doc) override;
    void launchCalculator() override;
    bool launchMidiHelp() override;
    DocUndoStack* undoStack(SystemDoc& doc) override;

public slots:
    // Enable and check states of every command, and the menu set, from the active window.
    void UpdateCommandStates();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QList<CommandGroup*> groups() const;
    QAction* AddOwnAction(int id, const QString& text, const QString& prompt);
    void BuildMenus(MenuSet set);
    void FillFileMenu(QMenu* menu);
    void FillWindowMenu(QMenu* menu);
    void CreateToolBar();
    void CreateStatusBar();
    void ApplyDisplayRect();
    void StoreDisplayRect();
    // While the menu bar holds the keyboard (Alt and a menu letter), the window's focus is where
    // the bar gives it back, so the commands keep the states of the list that had it.
    void TrackMenuFocus(QWidget* old, QWidget* now);
    // "Tolvane - document" while the active window is not maximised (Qt shows the maximised
    // window's title itself), "Tolvane" without a document.
    void UpdateMainTitle();
    void QueueMainTitle();

    SessionList& m_sessions;
    DocumentFlows& m_flows;
    MainCommands m_commands;
    Settings& m_settings;
    Prompter& m_prompter;
    QString m_programDir;
    std::function<bool()> m_midiHelp;
    CMDIClientWnd* m_client = nullptr;
    QToolBar* m_toolBar = nullptr;
    QList<QAction*> m_ownActions;
    MenuSet m_menuSet = MenuSet::NoDocument;
    bool m_menusBuilt = false;
    std::unique_ptr<QuillonLauncher> m_calculator;
    QPointer<CChildFrame> m_watchedFrame;
};
