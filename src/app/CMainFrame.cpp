#include "app/CMainFrame.h"

#include "app/CMDIClientWnd.h"
#include "app/DAboutBox.h"
#include "app/DOptions.h"
#include "app/QuillonLauncher.h"
#include "app/ToolbarIcons.h"
#include "app/ZIVBackupApp.h"
#include "dump/Prompter.h"
#include "dump/SystemDoc.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/HexView.h"
#include "views/PropSheetFormView.h"
#include "views/ZIVPropSheet.h"
#include "widgets/DocUndoStack.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

using Edit = PropSheetFormView::EditCommand;

// The data window's edit commands by command number.
constexpr struct {
    int id;
    Edit command;
} kEditCommands[] = {
    {CMainFrame::IdEditCut, Edit::Cut},   {CMainFrame::IdEditCopy, Edit::Copy}, {CMainFrame::IdEditPaste, Edit::Paste},
    {CMainFrame::IdDelete, Edit::Delete}, {CMainFrame::IdDeleteReorder, Edit::DeleteReorder},
    {CMainFrame::IdInsert, Edit::Insert}, {CMainFrame::IdInsertReorder, Edit::InsertReorder},
};

bool EditCommandFor(int id, Edit& command) {
    for (const auto& entry : kEditCommands) {
        if (entry.id == id) {
            command = entry.command;
            return true;
        }
    }
    return false;
}

} // namespace

bool CMainFrame::HexSettingsAdapter::ShowAscii() const {
    return m_app.AppSettings().HexShowAscii();
}
void CMainFrame::HexSettingsAdapter::SetShowAscii(bool on) {
    m_app.AppSettings().SetHexShowAscii(on);
}
bool CMainFrame::HexSettingsAdapter::ShowOffset() const {
    return m_app.AppSettings().HexShowOffset();
}
void CMainFrame::HexSettingsAdapter::SetShowOffset(bool on) {
    m_app.AppSettings().SetHexShowOffset(on);
}

CMainFrame::CMainFrame(ZIVBackupApp& app) : m_app(app), m_hexSettings(app) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(ZIVBackupApp::kAppTitle));
    ApplyDisplayRect();
    m_client = new CMDIClientWnd(this);
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setAccessibleName(QStringLiteral("Documents"));
    setCentralWidget(m_client);
    CreateActions();
    CreateToolBar();
    CreateStatusBar();
    BuildMenus(MenuSet::NoDocument);
    setAcceptDrops(true);

    connect(m_client, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandStates);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommandStates);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&m_app, &ZIVBackupApp::documentsChanged, this, &CMainFrame::UpdateCommandStates);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    // Hiding the window while it is torn down moves the focus; nothing here may hear of it.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    disconnect(m_client, nullptr, this, nullptr);
    disconnect(&m_app, nullptr, this, nullptr);
    m_actions.clear();
    // A calculator this editor started goes with it.
    m_calculator.reset();
}

Settings& CMainFrame::settings() {
    return m_app.AppSettings();
}

Prompter& CMainFrame::prompter() {
    return m_app.AppPrompter();
}

QAction* CMainFrame::AddAction(int id, const QString& text, const QString& prompt, const QKeySequence& keys) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    // The prompt goes to the status bar; the part after the line break is the tool tip.
    const int lineBreak = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(lineBreak < 0 ? prompt : prompt.left(lineBreak));
    if (lineBreak >= 0)
        action->setToolTip(prompt.mid(lineBreak + 1));
    if (!keys.isEmpty())
        action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
    addAction(action); // shortcuts work whichever menu set is showing
    m_actions.insert(id, action);
    return action;
}

void CMainFrame::CreateActions() {
    AddAction(IdFileNew, QStringLiteral("&New"), QStringLiteral("Create a new document\nNew (Ctrl+N)"),
              QKeySequence(QStringLiteral("Ctrl+N")))
        ->setIcon(ToolbarIcons::New());
    AddAction(IdFileOpen, QStringLiteral("&Open..."),
              QStringLiteral("Open an existing document\nOpen (Ctrl+O)"),
              QKeySequence(QStringLiteral("Ctrl+O")))
        ->setIcon(ToolbarIcons::Open());
    AddAction(IdFileClose, QStringLiteral("&Close"), QStringLiteral("Close the active document\nClose"));
    AddAction(IdFileSave, QStringLiteral("&Save"), QStringLiteral("Save the active document\nSave (Ctrl+S)"),
              QKeySequence(QStringLiteral("Ctrl+S")))
        ->setIcon(ToolbarIcons::Save());
    AddAction(IdFileSaveAs, QStringLiteral("Save &As..."),
              QStringLiteral("Save the active document with a new name\nSave As (Ctrl+A)"),
              QKeySequence(QStringLiteral("Ctrl+A")));
    AddAction(IdExportXml, QStringLiteral("Export to X&ML"),
              QStringLiteral("Write the patches and banks as an XML settings file\nExport to XML"));
    AddAction(IdExportBankTable, QStringLiteral("Export &Bank Table"),
              QStringLiteral("Write a table of the banks beside the document\nExport Bank Table"));
    AddAction(
        IdExportBankLayout, QStringLiteral("Export Bank &Layout"),
        QStringLiteral("Write the banks in the foot switch layout beside the document\nExport Bank Layout"));
    AddAction(IdExportPatchTable, QStringLiteral("&Export Patch Table"),
              QStringLiteral("Write a table of the patches beside the document\nExport Patch Table"));
    AddAction(IdCompareWith, QStringLiteral("Compare &With..."),
              QStringLiteral("List what differs between the active document and a dump file\nCompare With"));
    AddAction(IdOpenBackup, QStringLiteral("Open Bac&kup..."),
              QStringLiteral("Open one of the copies kept of every download\nOpen Backup"));
    AddAction(IdPreferences, QStringLiteral("&Preferences"),
              QStringLiteral("Change the MIDI ports and the program's settings\nPreferences"))
        ->setIcon(ToolbarIcons::Preferences());
    AddAction(IdFilePrint, QStringLiteral("&Print..."), QStringLiteral("Print the active document\nPrint"))
        ->setIcon(ToolbarIcons::Print());
    AddAction(IdAppExit, QStringLiteral("E&xit"),
              QStringLiteral("Quit the application; prompts to save documents\nExit"));
    Action(IdAppExit)->setMenuRole(QAction::QuitRole);

    AddAction(IdEditUndo, QStringLiteral("&Undo"), QStringLiteral("Undo the last action\nUndo (Ctrl+Z)"),
              QKeySequence(QStringLiteral("Ctrl+Z")))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))});
    Action(IdEditUndo)->setIcon(ToolbarIcons::Undo());
    AddAction(IdEditRedo, QStringLiteral("&Redo"),
              QStringLiteral("Redo the previously undone action\nRedo (Ctrl+Y)"),
              QKeySequence(QStringLiteral("Ctrl+Y")))
        ->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    Action(IdEditRedo)->setIcon(ToolbarIcons::Redo());
    AddAction(IdEditCut, QStringLiteral("Cu&t"),
              QStringLiteral("Cut the selection and put it on the Clipboard\nCut (Ctrl+X)"),
              QKeySequence(QStringLiteral("Ctrl+X")))
        ->setIcon(ToolbarIcons::Cut());
    AddAction(IdEditCopy, QStringLiteral("&Copy"),
              QStringLiteral("Copy the selection and put it on the Clipboard\nCopy (Ctrl+C)"),
              QKeySequence(QStringLiteral("Ctrl+C")))
        ->setIcon(ToolbarIcons::Copy());
    AddAction(IdEditPaste, QStringLiteral("&Paste"),
              QStringLiteral("Insert Clipboard contents\nPaste (Ctrl+V)"),
              QKeySequence(QStringLiteral("Ctrl+V")))
        ->setIcon(ToolbarIcons::Paste());
    // Del and Ins belong to the focused list; the menu only names them.
    AddAction(IdDelete, QStringLiteral("&Delete\tDel"),
              QStringLiteral("Delete the selected record\nDelete (Del)"));
    AddAction(IdDeleteReorder, QStringLiteral("Delete &with reorder"),
              QStringLiteral("Delete the selected record and renumber the ones after it\nDelete with reorder "
                             "(Shift+Del)"),
              QKeySequence(Qt::SHIFT | Qt::Key_Delete));
    AddAction(IdInsert, QStringLiteral("&Insert\tIns"),
              QStringLiteral("Insert an empty record\nInsert (Ins)"));
    AddAction(IdInsertReorder, QStringLiteral("Insert with &reorder"),
              QStringLiteral("Insert an empty record and renumber the ones after it\nInsert with reorder "
                             "(Shift+Ins)"),
              QKeySequence(Qt::SHIFT | Qt::Key_Insert));
    AddAction(IdEditSelectAll, QStringLiteral("&Select All"),
              QStringLiteral("Select the entire document\nSelect All"));

    AddAction(IdViewToolbar, QStringLiteral("&Toolbar"),
              QStringLiteral("Show or hide the toolbar\nToggle ToolBar"))
        ->setCheckable(true);
    AddAction(IdViewStatusBar, QStringLiteral("&Status Bar"),
              QStringLiteral("Show or hide the status bar\nToggle StatusBar"))
        ->setCheckable(true);
    AddAction(IdShowAscii, QStringLiteral("Show &Ascii"),
              QStringLiteral("Display ascii conversion of hex dump\nShow Ascii"))
        ->setCheckable(true);
    AddAction(IdShowOffsets, QStringLiteral("Show Offsets"),
              QStringLiteral("Display hex offsets\nShow Offsets"))
        ->setCheckable(true);

    AddAction(IdDownload, QStringLiteral("&Download from ZIV10"),
              QStringLiteral("Download data from the ZIV10\nDownload from ZIV10 (Ctrl+D)"),
              QKeySequence(QStringLiteral("Ctrl+D")))
        ->setIcon(ToolbarIcons::Download());
    AddAction(IdUpload, QStringLiteral("&Upload to ZIV10"),
              QStringLiteral("Upload the active document to the ZIV10\nUpload to ZIV10 (Ctrl+U)"),
              QKeySequence(QStringLiteral("Ctrl+U")))
        ->setIcon(ToolbarIcons::Upload());

    AddAction(IdWindowNew, QStringLiteral("&New Window"),
              QStringLiteral("Open another window for the active document\nNew Window"));
    AddAction(IdWindowCascade, QStringLiteral("&Cascade"),
              QStringLiteral("Arrange windows so they overlap\nCascade Windows"));
    AddAction(IdWindowTile, QStringLiteral("&Tile"),
              QStringLiteral("Arrange windows as non-overlapping tiles\nTile Windows"));
    AddAction(IdWindowArrange, QStringLiteral("&Arrange Icons"),
              QStringLiteral("Arrange minimised windows at the bottom of the window\nArrange Icons"));
    AddAction(IdCloseAll, QStringLiteral("Close &all"),
              QStringLiteral("Close every document window\nClose All"));
    AddAction(IdOpenHexView, QStringLiteral("&Open Hex View"),
              QStringLiteral("Open a hex listing of the active document\nHex View"));
    AddAction(IdCloseWindow, QStringLiteral("&Close"),
              QStringLiteral("Close the active window\nClose Window"));
    AddAction(IdNextPane, QStringLiteral("Next Pane"),
              QStringLiteral("Switch to the next window pane\nNext Pane"), QKeySequence(Qt::Key_F6));
    AddAction(IdPrevPane, QStringLiteral("Previous Pane"),
              QStringLiteral("Switch back to the previous window pane\nPrevious Pane"),
              QKeySequence(Qt::SHIFT | Qt::Key_F6));

    AddAction(IdHelp, QStringLiteral("&Help..."), QStringLiteral("Open the help page\nHelp"),
              QKeySequence(QKeySequence::HelpContents));
    AddAction(IdWebsite, QStringLiteral("&Tolvane Website..."),
              QStringLiteral("Visit the Tolvane website\nWebsite"))
        ->setIcon(ToolbarIcons::Website());
    AddAction(IdCheckForUpdate, QStringLiteral("&Check for update"),
              QStringLiteral("Ask the website whether a newer version exists\nCheck for update"));
    AddAction(IdAppAbout, QStringLiteral("&About Tolvane..."),
              QStringLiteral("Display program information, version number and copyright\nAbout"))
        ->setIcon(ToolbarIcons::About());
    Action(IdAppAbout)->setMenuRole(QAction::AboutRole);
}

void CMainFrame::FillFileMenu(QMenu* menu) {
    menu->clear();
    const bool document = m_menuSet != MenuSet::NoDocument;
    menu->addAction(Action(IdFileNew));
    menu->addAction(Action(IdFileOpen));
    menu->addAction(Action(IdOpenBackup));
    if (document) {
        menu->addAction(Action(IdFileClose));
        menu->addAction(Action(IdFileSave));
        menu->addAction(Action(IdFileSaveAs));
        menu->addSeparator();
        if (m_menuSet == MenuSet::SystemDump)
            menu->addAction(Action(IdCompareWith));
        menu->addAction(Action(IdExportXml));
        menu->addAction(Action(IdExportBankTable));
        menu->addAction(Action(IdExportBankLayout));
        menu->addAction(Action(IdExportPatchTable));
    }
    menu->addSeparator();
    menu->addAction(Action(IdPreferences));
    const QStringList recent = m_app.AppSettings().RecentFiles().Entries();
    if (!recent.isEmpty()) {
        menu->addSeparator();
        for (int i = 0; i < recent.size(); ++i) {
            const QString path = recent.at(i);
            QString shown = QDir::toNativeSeparators(path);
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            QAction* item = menu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            item->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
            item->setStatusTip(QStringLiteral("Open this document"));
            connect(item, &QAction::triggered, this, [this, path] {
                // An entry that does not open any more leaves the list.
                if (!m_app.OpenDocumentFile(path) && m_app.AppSettings().RecentFiles().Remove(path))
                    m_app.AppSettings().SaveRecentFiles();
            });
        }
    }
    menu->addSeparator();
    menu->addAction(Action(IdAppExit));
}

void CMainFrame::FillWindowMenu(QMenu* menu) {
    menu->clear();
    menu->addAction(Action(IdWindowNew));
    menu->addAction(Action(IdWindowCascade));
    menu->addAction(Action(IdWindowTile));
    menu->addAction(Action(IdWindowArrange));
    menu->addAction(Action(IdCloseAll));
    if (m_menuSet != MenuSet::HexDump)
        menu->addAction(Action(IdOpenHexView));
    const QList<QMdiSubWindow*> windows = m_client->subWindowList();
    if (windows.isEmpty())
        return;
    menu->addSeparator();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow* window = windows.at(i);
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*][*]"), QStringLiteral("[*]"));
        title.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = menu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title) : title);
        item->setCheckable(true);
        item->setChecked(window == m_client->activeSubWindow());
        item->setStatusTip(QStringLiteral("Activate this window"));
        connect(item, &QAction::triggered, this, [this, window] { m_client->setActiveSubWindow(window); });
    }
}

void CMainFrame::BuildMenus(MenuSet set) {
    if (m_menusBuilt && set == m_menuSet)
        return;
    m_menuSet = set;
    m_menusBuilt = true;
    QMenuBar* bar = menuBar();
    // The old menus may be the one whose opening asked for this; they go once it is done.
    for (QMenu* old : bar->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        old->deleteLater();
    bar->clear();
    const bool document = set != MenuSet::NoDocument;

    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    FillFileMenu(file);
    connect(file, &QMenu::aboutToShow, this, [this, file] { FillFileMenu(file); });

    if (set == MenuSet::SystemDump) {
        QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
        edit->setObjectName(QStringLiteral("menuEdit"));
        edit->addAction(Action(IdEditUndo));
        edit->addAction(Action(IdEditRedo));
        edit->addSeparator();
        edit->addAction(Action(IdEditCut));
        edit->addAction(Action(IdEditCopy));
        edit->addAction(Action(IdEditPaste));
        edit->addSeparator();
        edit->addAction(Action(IdDelete));
        edit->addAction(Action(IdDeleteReorder));
        edit->addSeparator();
        edit->addAction(Action(IdInsert));
        edit->addAction(Action(IdInsertReorder));
    } else if (set == MenuSet::HexDump) {
        QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
        edit->setObjectName(QStringLiteral("menuEdit"));
        edit->addAction(Action(IdEditCopy));
        edit->addAction(Action(IdEditSelectAll));
    }

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("menuView"));
    view->addAction(Action(IdViewToolbar));
    view->addAction(Action(IdViewStatusBar));
    if (set == MenuSet::HexDump) {
        view->addSeparator();
        view->addAction(Action(IdShowAscii));
        view->addAction(Action(IdShowOffsets));
    }

    QMenu* transfer = bar->addMenu(QStringLiteral("&MIDI Transfer"));
    transfer->setObjectName(QStringLiteral("menuTransfer"));
    transfer->addAction(Action(IdDownload));
    if (document)
        transfer->addAction(Action(IdUpload));

    QMenu* window = bar->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("menuWindow"));
    FillWindowMenu(window);
    connect(window, &QMenu::aboutToShow, this, [this, window] { FillWindowMenu(window); });

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(Action(IdHelp));
    help->addAction(Action(IdWebsite));
    help->addAction(Action(IdCheckForUpdate));
    help->addSeparator();
    help->addAction(Action(IdAppAbout));

    for (QMenu* menu : {file, view, transfer, window, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    if (QMenu* edit = bar->findChild<QMenu*>(QStringLiteral("menuEdit"), Qt::FindDirectChildrenOnly))
        connect(edit, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    for (int id : std::initializer_list<int>{IdFileNew, IdFileOpen, IdFileSave, 0, IdEditCut, IdEditCopy,
                                             IdEditPaste, IdEditUndo, IdEditRedo, 0, IdDownload, IdUpload, 0,
                                             IdPreferences, 0,
                                             IdFilePrint, IdAppAbout, IdWebsite}) {
        if (id == 0)
            m_toolBar->addSeparator();
        else
            m_toolBar->addAction(Action(id));
    }
    connect(m_toolBar, &QToolBar::visibilityChanged, this,
            [this](bool shown) { Action(IdViewToolbar)->setChecked(shown); });
}

void CMainFrame::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    bar->showMessage(QString::fromLatin1(kReadyText));
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& message) {
        if (message.isEmpty())
            bar->showMessage(QString::fromLatin1(kReadyText));
    });
}

CChildFrame* CMainFrame::ActiveFrame() const {
    return qobject_cast<CChildFrame*>(m_client->activeSubWindow());
}

SystemDoc* CMainFrame::ActiveDocument() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? dynamic_cast<SystemDoc*>(&frame->doc()) : nullptr;
}

PropSheetFormView* CMainFrame::ActiveDataView() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? qobject_cast<PropSheetFormView*>(frame->widget()) : nullptr;
}

HexView* CMainFrame::ActiveHexView() const {
    CChildFrame* frame = ActiveFrame();
    return frame ? qobject_cast<HexView*>(frame->widget()) : nullptr;
}

void CMainFrame::UpdateCommandStates() {
    if (m_actions.isEmpty())
        return;
    PropSheetFormView* data = ActiveDataView();
    HexView* hex = ActiveHexView();
    const bool document = ActiveDocument() != nullptr;
    const bool anyWindow = !m_client->subWindowList().isEmpty();
    BuildMenus(data ? MenuSet::SystemDump : hex ? MenuSet::HexDump : MenuSet::NoDocument);
    UpdateMainTitle();

    for (int id : {IdFileClose, IdFileSave, IdFileSaveAs, IdExportXml, IdExportBankTable, IdExportBankLayout,
                   IdExportPatchTable, IdUpload, IdOpenHexView})
        Action(id)->setEnabled(document);
    for (int id : {IdWindowNew, IdWindowCascade, IdWindowTile, IdWindowArrange, IdCloseAll, IdCloseWindow})
        Action(id)->setEnabled(anyWindow);
    // Commands nothing in this program carries out.
    for (int id : {IdFilePrint, IdNextPane, IdPrevPane})
        Action(id)->setEnabled(false);
    UpdateUndoActions();
    Action(IdDownload)->setEnabled(!m_app.ActiveDownload());
    Action(IdCompareWith)->setEnabled(data != nullptr);

    if (data) {
        Edit command{};
        for (int id : {IdEditCut, IdEditCopy, IdEditPaste, IdDelete, IdDeleteReorder, IdInsert, IdInsertReorder}) {
            EditCommandFor(id, command);
            Action(id)->setEnabled(data->isCommandEnabled(command));
        }
        Action(IdEditSelectAll)->setEnabled(false);
    } else if (hex) {
        hex->updateActionStates();
        Action(IdEditCopy)->setEnabled(hex->copyAction()->isEnabled());
        Action(IdEditSelectAll)->setEnabled(!hex->document()->isEmpty());
        for (int id : {IdEditCut, IdEditPaste, IdDelete, IdDeleteReorder, IdInsert, IdInsertReorder})
            Action(id)->setEnabled(false);
    } else {
        for (int id : {IdEditCut, IdEditCopy, IdEditPaste, IdDelete, IdDeleteReorder, IdInsert, IdInsertReorder,
                       IdEditSelectAll})
            Action(id)->setEnabled(false);
    }
    Action(IdShowAscii)->setEnabled(hex != nullptr);
    Action(IdShowOffsets)->setEnabled(hex != nullptr);
    Action(IdShowAscii)->setChecked(m_hexSettings.ShowAscii());
    Action(IdShowOffsets)->setChecked(m_hexSettings.ShowOffset());
    Action(IdViewToolbar)->setChecked(m_toolBar->isVisibleTo(this) || !isVisible());
    Action(IdViewStatusBar)->setChecked(statusBar()->isVisibleTo(this) || !isVisible());
}

void CMainFrame::UpdateMainTitle() {
    const QString program = QString::fromLatin1(ZIVBackupApp::kAppTitle);
    CChildFrame* frame = ActiveFrame();
    if (frame && m_watchedFrame != frame) {
        // Seen again when it is maximised, restored or retitled. Qt writes its own caption for
        // a maximised window on those occasions; this one follows it.
        m_watchedFrame = frame;
        frame->installEventFilter(this);
        connect(frame, &QWidget::windowTitleChanged, this, &CMainFrame::QueueMainTitle, Qt::UniqueConnection);
    }
    QString title = program;
    if (frame && frame->isMaximized())
        title += QStringLiteral(" - [") + frame->frameTitle() + QLatin1Char(']');
    else if (const SystemDoc* doc = ActiveDocument())
        title += QStringLiteral(" - ") + QString::fromStdString(doc->GetTitle());
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    if (windowTitle() != title)
        setWindowTitle(title);
}

void CMainFrame::QueueMainTitle() {
    QTimer::singleShot(0, this, &CMainFrame::UpdateMainTitle);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && qobject_cast<QMdiSubWindow*>(watched))
        QueueMainTitle();
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::Execute(int id) {
    UpdateCommandStates();
    QAction* command = Action(id);
    if (!command || !command->isEnabled())
        return false;
    command->trigger();
    return true;
}

void CMainFrame::OnCommand(int id) {
    UpdateCommandStates();
    if (!Action(id)->isEnabled())
        return;
    SystemDoc* doc = ActiveDocument();
    Edit edit{};
    switch (id) {
    case IdFileNew:
        m_app.OnFileNew();
        break;
    case IdFileOpen:
        m_app.OnFileOpen();
        break;
    case IdFileClose:
        if (doc)
            m_app.CloseDocument(*doc, true);
        break;
    case IdFileSave:
    case IdFileSaveAs:
        if (doc)
            m_app.SaveDocument(*doc, id == IdFileSaveAs);
        break;
    case IdExportXml:
    case IdExportBankTable:
    case IdExportBankLayout:
    case IdExportPatchTable:
        if (doc)
            m_app.OnExport(*doc, id);
        break;
    case IdOpenBackup:
        m_app.OnOpenBackup();
        break;
    case IdCompareWith:
        if (doc)
            m_app.OnCompareWith(*doc);
        break;
    case IdPreferences:
        m_app.OnPreferences();
        break;
    case IdAppExit:
        close();
        break;
    case IdEditUndo:
    case IdEditRedo:
        if (DocUndoStack* stack = doc ? m_app.UndoStack(*doc) : nullptr) {
            if (id == IdEditUndo)
                stack->undo();
            else
                stack->redo();
        }
        break;
    case IdEditCut:
    case IdEditCopy:
    case IdEditPaste:
    case IdDelete:
    case IdDeleteReorder:
    case IdInsert:
    case IdInsertReorder:
        if (PropSheetFormView* data = ActiveDataView()) {
            EditCommandFor(id, edit);
            data->executeCommand(edit);
        } else if (HexView* hex = ActiveHexView(); hex && id == IdEditCopy) {
            hex->copy();
        }
        break;
    case IdEditSelectAll:
        if (HexView* hex = ActiveHexView())
            hex->selectAll();
        break;
    case IdViewToolbar:
        m_toolBar->setVisible(!m_toolBar->isVisible());
        break;
    case IdViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        break;
    case IdShowAscii:
        HexView::toggleShowAscii(m_hexSettings);
        break;
    case IdShowOffsets:
        HexView::toggleShowOffset(m_hexSettings);
        break;
    case IdDownload:
        m_app.OnDownload();
        break;
    case IdUpload:
        if (doc)
            m_app.OnUpload(*doc);
        break;
    case IdWindowNew:
        if (doc)
            m_app.OpenWindow(*doc,
                             ActiveHexView() ? DocTemplate::Kind::HexDump : DocTemplate::Kind::SystemDump);
        break;
    case IdWindowCascade:
        m_client->cascadeSubWindows();
        break;
    case IdWindowTile:
        m_client->tileSubWindows();
        break;
    case IdWindowArrange:
        // Minimised windows already sit in a row along the bottom; restoring the order of that
        // row is all there is to do.
        for (QMdiSubWindow* window : m_client->subWindowList()) {
            if (window->isMinimized())
                window->showMinimized();
        }
        break;
    case IdCloseAll:
        m_app.CloseAllDocuments(true);
        break;
    case IdOpenHexView:
        openHexView(doc);
        break;
    case IdCloseWindow:
        CloseActiveWindow();
        break;
    case IdHelp:
        m_app.OnHelp();
        break;
    case IdWebsite:
        m_app.OnWebsite();
        break;
    case IdCheckForUpdate:
        m_app.OnCheckForUpdate();
        break;
    case IdAppAbout:
        m_app.OnAbout();
        break;
    default:
        break;
    }
    UpdateCommandStates();
}

void CMainFrame::CloseActiveWindow() {
    // The window holding the keyboard focus, else the active one.
    CChildFrame* frame = nullptr;
    for (QWidget* w = QApplication::focusWidget(); w && !frame; w = w->parentWidget())
        frame = qobject_cast<CChildFrame*>(w);
    if (!frame)
        frame = ActiveFrame();
    if (frame)
        frame->close();
}

QList<QAction*> CMainFrame::HexContextExtras() const {
    return {Action(IdUpload), Action(IdCloseWindow)};
}

QMenu* CMainFrame::CreateContextMenu(int submenu) {
    UpdateCommandStates();
    if (submenu == MenuChoose) {
        if (!ActiveDocument())
            return nullptr;
        submenu = MenuData;
    }
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The context menus have texts of their own, key hints only where they name them; each item
    // runs its command as the menu bar's item does and shows its state.
    const auto add = [&](int id, const QString& text) {
        if (id == 0) {
            menu->addSeparator();
            return;
        }
        QAction* command = Action(id);
        QAction* item = menu->addAction(text);
        item->setObjectName(QStringLiteral("context%1").arg(id));
        item->setEnabled(command->isEnabled());
        item->setCheckable(command->isCheckable());
        item->setChecked(command->isChecked());
        item->setStatusTip(command->statusTip());
        connect(item, &QAction::triggered, this, [this, id] { OnCommand(id); });
    };
    const auto addExports = [&] {
        add(IdExportXml, QStringLiteral("Export to X&ML"));
        add(IdExportBankTable, QStringLiteral("Export &Bank Table"));
        add(IdExportBankLayout, QStringLiteral("Export Bank &Layout"));
        add(IdExportPatchTable, QStringLiteral("&Export Patch Table"));
    };
    const QString upload = QStringLiteral("&Upload to ZIV10");
    const QString hexView = QStringLiteral("&Hex View");
    const QString close = QStringLiteral("&Close");
    switch (submenu) {
    case MenuData:
        menu->setObjectName(QStringLiteral("contextData"));
        add(IdEditCopy, QStringLiteral("Copy"));
        add(IdEditPaste, QStringLiteral("&Paste"));
        add(0, {});
        add(IdDelete, QStringLiteral("&Delete"));
        add(IdDeleteReorder, QStringLiteral("Delete &with reorder"));
        add(IdInsert, QStringLiteral("&Insert"));
        add(IdInsertReorder, QStringLiteral("Insert with &reorder"));
        add(0, {});
        addExports();
        add(0, {});
        add(IdUpload, upload);
        add(IdOpenHexView, hexView);
        add(0, {});
        add(IdCloseWindow, close);
        break;
    case MenuHex:
        menu->setObjectName(QStringLiteral("contextHex"));
        add(IdEditCopy, QStringLiteral("&Copy\tCtrl+C"));
        add(IdEditSelectAll, QStringLiteral("Select All"));
        add(0, {});
        add(IdShowAscii, QStringLiteral("Show Ascii"));
        add(IdShowOffsets, QStringLiteral("Show Offsets"));
        add(0, {});
        add(IdUpload, QStringLiteral("&Upload to ZIV10\tCtrl+U"));
        add(0, {});
        add(IdCloseWindow, close);
        break;
    case MenuConfig:
        menu->setObjectName(QStringLiteral("contextConfig"));
        addExports();
        add(0, {});
        add(IdUpload, upload);
        add(IdOpenHexView, hexView);
        add(0, {});
        add(IdCloseWindow, close);
        break;
    default:
        menu->setObjectName(QStringLiteral("contextNope"));
        add(IdCloseWindow, close);
        break;
    }
    return menu;
}

void CMainFrame::showContextMenu(const QPoint& globalPos, int submenu) {
    if (QMenu* menu = CreateContextMenu(submenu))
        menu->popup(globalPos);
}

void CMainFrame::openHexView(SystemDoc* doc) {
    if (!doc || !m_app.IsOpen(doc)) {
        m_app.AppPrompter().Message(kCommandFailedText, ZIVBackupApp::kAppTitle, Prompter::Icon::Exclamation);
        return;
    }
    m_app.OpenWindow(*doc, DocTemplate::Kind::HexDump);
}

QuillonLauncher& CMainFrame::Calculator() {
    if (!m_calculator)
        m_calculator = std::make_unique<QuillonLauncher>(m_app.AppPrompter(), m_app.ProgramDir());
    return *m_calculator;
}

void CMainFrame::launchCalculator() {
    Calculator().Launch();
}

bool CMainFrame::launchMidiHelp() {
    return m_app.Preferences().LaunchMidiHelp();
}

QUndoStack* CMainFrame::undoStack(SystemDoc& doc) {
    return m_app.UndoStack(doc);
}

void CMainFrame::revealRecord(SystemDoc& doc, int hint, int number) {
    // The active window when it shows the document, else its first data window.
    CChildFrame* frame = ActiveFrame();
    if (!frame || &frame->doc() != &doc || !qobject_cast<PropSheetFormView*>(frame->widget())) {
        frame = nullptr;
        for (CChildFrame* candidate : CChildFrame::framesOf(doc))
            if (qobject_cast<PropSheetFormView*>(candidate->widget())) {
                frame = candidate;
                break;
            }
    }
    if (!frame)
        return;
    if (frame != ActiveFrame())
        m_client->setActiveSubWindow(frame);
    if (auto* view = qobject_cast<PropSheetFormView*>(frame->widget()); view && view->sheet())
        view->sheet()->revealRecord(hint, number);
}

void CMainFrame::UpdateUndoActions() {
    if (m_actions.isEmpty())
        return;
    SystemDoc* doc = ActiveDocument();
    const DocUndoStack* stack = doc ? m_app.UndoStack(*doc) : nullptr;
    const auto name = [](const QString& verb, const QString& step) {
        return step.isEmpty() ? verb : verb + QLatin1Char(' ') + step;
    };
    Action(IdEditUndo)->setEnabled(stack && stack->canUndo());
    Action(IdEditUndo)->setText(name(QStringLiteral("&Undo"), stack ? stack->undoText() : QString()));
    Action(IdEditRedo)->setEnabled(stack && stack->canRedo());
    Action(IdEditRedo)->setText(name(QStringLiteral("&Redo"), stack ? stack->redoText() : QString()));
}

void CMainFrame::RunAboutBox() {
    DAboutBox box(m_app.AppSettings(), this);
    box.exec();
}

void CMainFrame::ApplyDisplayRect() {
    const Settings::WindowRect& rect = m_app.AppSettings().Display();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width != 0 && height != 0 && width > 0 && height > 0) {
        setGeometry(rect.left, rect.top, width, height);
        return;
    }
    // The platform's default place, at a size that shows a data window comfortably.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        resize(qMin(1000, available.width() * 4 / 5), qMin(720, available.height() * 4 / 5));
    }
}

void CMainFrame::StoreDisplayRect() {
    const QRect shown = normalGeometry().isValid() ? normalGeometry() : geometry();
    Settings::WindowRect rect;
    rect.left = shown.left();
    rect.top = shown.top();
    rect.right = shown.left() + shown.width();
    rect.bottom = shown.top() + shown.height();
    m_app.AppSettings().SetDisplay(rect);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    StoreDisplayRect();
    if (!m_app.CloseAllDocuments(true)) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    activateWindow();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            m_app.OpenDocumentFile(url.toLocalFile());
    }
}
