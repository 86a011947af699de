#pragma once

#include "views/HexViewSettings.h"
#include "widgets/ShellServices.h"

#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QPointer>

#include <memory>

class CChildFrame;
class CMDIClientWnd;
class HexView;
class PropSheetFormView;
class QLabel;
class QMenu;
class QToolBar;
class QuillonLauncher;
class ZIVBackupApp;

// The editor's main window: the menu bar (one of three menu sets, following the active document
// window), the toolbar, the status bar and the client area with the document windows over the
// background picture. Every command is a QAction known by its command number; the frame keeps
// their enable states current and carries out the commands, handing document commands to the
// active window and application commands to the application object.
//
// It is also what the document windows, pages and dialogs know of the program (ShellServices).
class CMainFrame : public QMainWindow, public ShellServices {
    Q_OBJECT
public:
    enum CommandId {
        IdCloseWindow = 600,
        IdUpload = 601,
        IdOpenHexView = 602,
        IdPreferences = 604,
        IdDownload = 606,
        IdCloseAll = 607,
        IdShowAscii = 616,
        IdShowOffsets = 617,
        IdWebsite = 620,
        IdCheckForUpdate = 621,
        IdDeleteReorder = 623,
        IdInsertReorder = 624,
        IdExportBankTable = 625,
        IdExportPatchTable = 626,
        IdExportBankLayout = 628,
        IdDelete = 629,
        IdInsert = 630,
        IdExportXml = 631,
        IdCompareWith = 640,
        IdOpenBackup = 641,
        IdFileNew = 57600,
        IdFileOpen = 57601,
        IdFileClose = 57602,
        IdFileSave = 57603,
        IdFileSaveAs = 57604,
        IdFilePrint = 57607,
        IdEditCopy = 57634,
        IdEditCut = 57635,
        IdEditPaste = 57637,
        IdEditSelectAll = 57642,
        IdEditUndo = 57643,
        IdEditRedo = 57644,
        IdWindowNew = 57648,
        IdWindowArrange = 57649,
        IdWindowCascade = 57650,
        IdWindowTile = 57651,
        IdAppAbout = 57664,
        IdAppExit = 57665,
        IdHelp = 57670,
        IdNextPane = 57680,
        IdPrevPane = 57681,
        IdViewToolbar = 59392,
        IdViewStatusBar = 59393,
    };
    // The menu bar in use: no document window, a data window, a hex window is active.
    enum class MenuSet { NoDocument = 128, SystemDump = 145, HexDump = 138 };

    static constexpr const char* kCommandFailedText = "Command failed.";
    static constexpr const char* kReadyText = "Ready";

    explicit CMainFrame(ZIVBackupApp& app);
    ~CMainFrame() override;

    CMDIClientWnd& Client() const { return *m_client; }
    QAction* Action(int id) const { return m_actions.value(id, nullptr); }
    MenuSet CurrentMenuSet() const { return m_menuSet; }
    QToolBar* ToolBar() const { return m_toolBar; }

    // The active document window, its document and view (null when there is none of that kind).
    CChildFrame* ActiveFrame() const;
    SystemDoc* ActiveDocument() const;
    PropSheetFormView* ActiveDataView() const;
    HexView* ActiveHexView() const;

    // The one adapter through which every hex view reads and flips its two settings.
    HexViewSettings& HexSettings() { return m_hexSettings; }
    // Upload and Close, appended to every hex view's context menu.
    QList<QAction*> HexContextExtras() const;
    // A context menu (0 chooses by the active window); null when there is nothing to show.
    QMenu* CreateContextMenu(int submenu);
    // Runs a command as its menu item would; false when it is disabled.
    bool Execute(int id);

    void RunAboutBox();
    QuillonLauncher& Calculator();

    // ShellServices
    Settings& settings() override;
    Prompter& prompter() override;
    void showContextMenu(const QPoint& globalPos, int submenu) override;
    void openHexView(SystemDoc* doc) override;
    void launchCalculator() override;
    bool launchMidiHelp() override;
    QUndoStack* undoStack(SystemDoc& doc) override;
    void revealRecord(SystemDoc& doc, int hint, int number) override;

public slots:
    // Enable and check states of every command, and the menu set, from the active window.
    void UpdateCommandStates();
    // Undo and Redo name the steps of the active document's stack.
    void UpdateUndoActions();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class HexSettingsAdapter : public HexViewSettings {
    public:
        explicit HexSettingsAdapter(ZIVBackupApp& app) : m_app(app) {}
        bool ShowAscii() const override;
        void SetShowAscii(bool on) override;
        bool ShowOffset() const override;
        void SetShowOffset(bool on) override;

    private:
        ZIVBackupApp& m_app;
    };

    void CreateActions();
    QAction* AddAction(int id, const QString& text, const QString& prompt, const QKeySequence& keys = {});
    void BuildMenus(MenuSet set);
    void FillFileMenu(QMenu* menu);
    void FillWindowMenu(QMenu* menu);
    void CreateToolBar();
    void CreateStatusBar();
    void ApplyDisplayRect();
    void StoreDisplayRect();
    void OnCommand(int id);
    void CloseActiveWindow();
    // "Tolvane - document" while the active window is not maximised (Qt shows the maximised
    // window's title itself), "Tolvane" without a document.
    void UpdateMainTitle();
    void QueueMainTitle();

    ZIVBackupApp& m_app;
    HexSettingsAdapter m_hexSettings;
    CMDIClientWnd* m_client = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMap<int, QAction*> m_actions;
    MenuSet m_menuSet = MenuSet::NoDocument;
    bool m_menusBuilt = false;
    std::unique_ptr<QuillonLauncher> m_calculator;
    QPointer<CChildFrame> m_watchedFrame;
};
