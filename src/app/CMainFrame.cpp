#include "app/CMainFrame.h"

#include "app/CMDIClientWnd.h"
#include "app/DocumentFlows.h"
#include "app/EditCommands.h"
#include "app/FileCommands.h"
#include "app/HelpCommands.h"
#include "app/PrintCommands.h"
#include "app/QuillonLauncher.h"
#include "app/SessionList.h"
#include "app/TransferCommands.h"
#include "app/WindowCommands.h"
#include "dump/SystemDoc.h"
#include "settings/Settings.h"
#include "views/CChildFrame.h"
#include "views/DocumentSession.h"
#include "views/HexView.h"
#include "widgets/WidgetKit.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

CMainFrame::CMainFrame(CMDIClientWnd* client, SessionList& sessions, DocumentFlows& flows,
                       const MainCommands& commands, Settings& settings, Prompter& prompter,
                       QString programDir, std::function<bool()> midiHelp)
    : m_sessions(sessions), m_flows(flows), m_commands(commands), m_settings(settings), m_prompter(prompter),
      m_programDir(std::move(programDir)), m_midiHelp(std::move(midiHelp)), m_client(client) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("Tolvane"));
    ApplyDisplayRect();
    m_client->setObjectName(QStringLiteral("client"));
    m_client->setAccessibleName(QStringLiteral("Documents"));
    setCentralWidget(m_client);

    AddOwnAction(IdViewToolbar, QStringLiteral("&Toolbar"),
                 QStringLiteral("Show or hide the toolbar\nToggle ToolBar"));
    AddOwnAction(IdViewStatusBar, QStringLiteral("&Status Bar"),
                 QStringLiteral("Show or hide the status bar\nToggle StatusBar"));
    connect(Action(IdViewToolbar), &QAction::triggered, this,
            [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); });
    connect(Action(IdViewStatusBar), &QAction::triggered, this,
            [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    for (CommandGroup* group : groups()) {
        // Shortcuts work whichever menu set is showing.
        addActions(group->actions());
        connect(group, &CommandGroup::statesNeeded, this, &CMainFrame::UpdateCommandStates);
        connect(group, &CommandGroup::statusMessage, this, &CMainFrame::ShowReport);
    }
    connect(&m_flows, &DocumentFlows::statusMessage, this, &CMainFrame::ShowReport);
    connect(&m_commands.file, &FileCommands::exitRequested, this, &QWidget::close);

    CreateToolBar();
    CreateStatusBar();
    BuildMenus(MenuSet::NoDocument);
    setAcceptDrops(true);

    connect(m_client, &QMdiArea::subWindowActivated, this, &CMainFrame::UpdateCommandStates);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::TrackMenuFocus);
    connect(qApp, &QApplication::focusChanged, this, &CMainFrame::UpdateCommandStates);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&m_sessions, &SessionList::sessionsChanged, this, &CMainFrame::UpdateCommandStates);
    connect(&m_sessions, &SessionList::commandStatesChanged, this, &CMainFrame::UpdateCommandStates);
    UpdateCommandStates();
}

CMainFrame::~CMainFrame() {
    // Hiding the window while it is torn down moves the focus; nothing here may hear of it.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    disconnect(m_client, nullptr, this, nullptr);
    disconnect(&m_sessions, nullptr, this, nullptr);
    for (CommandGroup* group : groups())
        disconnect(group, nullptr, this, nullptr);
    m_menusBuilt = false;
    // A calculator this editor started goes with it.
    m_calculator.reset();
}

QList<CommandGroup*> CMainFrame::groups() const {
    return {&m_commands.file,   &m_commands.edit,  &m_commands.transfer,
            &m_commands.window, &m_commands.print, &m_commands.help};
}

QAction* CMainFrame::Action(int id) const {
    for (QAction* own : m_ownActions)
        if (own->data().toInt() == id)
            return own;
    for (CommandGroup* group : groups())
        if (QAction* command = group->action(id))
            return command;
    return nullptr;
}

QAction* CMainFrame::AddOwnAction(int id, const QString& text, const QString& prompt) {
    auto* action = new QAction(text, this);
    action->setObjectName(QStringLiteral("command%1").arg(id));
    action->setData(id);
    const int lineBreak = prompt.indexOf(QLatin1Char('\n'));
    action->setStatusTip(prompt.left(lineBreak));
    action->setToolTip(prompt.mid(lineBreak + 1));
    action->setCheckable(true);
    addAction(action);
    m_ownActions.push_back(action);
    return action;
}

void CMainFrame::FillFileMenu(QMenu* menu) {
    menu->clear();
    const bool document = m_menuSet != MenuSet::NoDocument;
    for (int id : {IdFileNew, IdFileOpen, IdOpenBackup, IdDeviceHistory})
        menu->addAction(Action(id));
    if (document) {
        for (int id : {IdFileClose, IdFileSave, IdFileSaveAs})
            menu->addAction(Action(id));
        menu->addSeparator();
        if (m_menuSet == MenuSet::SystemDump)
            menu->addAction(Action(IdCompareWith));
        for (int id :
             {IdExportXml, IdExportBankTable, IdExportBankLayout, IdExportPatchTable, IdExportSheets})
            menu->addAction(Action(id));
        if (m_menuSet == MenuSet::SystemDump) {
            menu->addSeparator();
            menu->addAction(Action(IdFilePrint));
            menu->addAction(Action(IdFilePrintPreview));
        }
    }
    menu->addSeparator();
    menu->addAction(Action(IdPreferences));
    if (!m_settings.RecentFiles().IsEmpty()) {
        menu->addSeparator();
        m_commands.file.addRecentFiles(menu);
    }
    menu->addSeparator();
    menu->addAction(Action(IdAppExit));
}

void CMainFrame::FillWindowMenu(QMenu* menu) {
    menu->clear();
    for (int id : {IdWindowNew, IdWindowCascade, IdWindowTile, IdWindowArrange, IdCloseAll})
        menu->addAction(Action(id));
    if (m_menuSet != MenuSet::HexDump)
        menu->addAction(Action(IdOpenHexView));
    menu->addAction(Action(IdOpenPedalboard));
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
    const auto addMenu = [&](const QString& title, const char* name, std::initializer_list<int> ids) {
        QMenu* menu = bar->addMenu(title);
        menu->setObjectName(QLatin1String(name));
        for (int id : ids) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(Action(id));
        }
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
        return menu;
    };

    QMenu* file = addMenu(QStringLiteral("&File"), "menuFile", {});
    FillFileMenu(file);
    connect(file, &QMenu::aboutToShow, this, [this, file] { FillFileMenu(file); });
    if (set == MenuSet::SystemDump)
        addMenu(QStringLiteral("&Edit"), "menuEdit",
                {IdEditUndo, IdEditRedo, 0, IdEditCut, IdEditCopy, IdEditPaste, 0, IdDelete, IdDeleteReorder,
                 0, IdInsert, IdInsertReorder});
    else if (set == MenuSet::HexDump)
        addMenu(QStringLiteral("&Edit"), "menuEdit", {IdEditCopy, IdEditSelectAll});
    QMenu* view = addMenu(QStringLiteral("&View"), "menuView", {IdViewToolbar, IdViewStatusBar});
    if (set == MenuSet::HexDump) {
        view->addSeparator();
        view->addAction(Action(IdShowAscii));
        view->addAction(Action(IdShowOffsets));
    }
    QMenu* transfer = addMenu(QStringLiteral("&MIDI Transfer"), "menuTransfer", {IdDownload});
    if (document)
        transfer->addAction(Action(IdUpload));
    QMenu* window = addMenu(QStringLiteral("&Window"), "menuWindow", {});
    FillWindowMenu(window);
    connect(window, &QMenu::aboutToShow, this, [this, window] { FillWindowMenu(window); });
    addMenu(QStringLiteral("&Help"), "menuHelp", {IdHelp, IdWebsite, IdCheckForUpdate, 0, IdAppAbout});
}

void CMainFrame::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolBar"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setMovable(true);
    for (int id : std::initializer_list<int>{IdFileNew, IdFileOpen, IdFileSave, 0, IdEditCut, IdEditCopy,
                                             IdEditPaste, IdEditUndo, IdEditRedo, 0, IdDownload, IdUpload, 0,
                                             IdPreferences, 0, IdFilePrint, IdAppAbout, IdWebsite}) {
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

void CMainFrame::ShowReport(const QString& text) {
    statusBar()->showMessage(text, kReportMilliseconds);
}

void CMainFrame::UpdateCommandStates() {
    if (!m_menusBuilt)
        return;
    // A pedalboard has the data window's menus: its changes are undone there too.
    BuildMenus(!m_sessions.active()         ? MenuSet::NoDocument
               : m_sessions.activeHexView() ? MenuSet::HexDump
                                            : MenuSet::SystemDump);
    UpdateMainTitle();
    for (CommandGroup* group : groups())
        group->updateStates();
    Action(IdViewToolbar)->setChecked(m_toolBar->isVisibleTo(this) || !isVisible());
    Action(IdViewStatusBar)->setChecked(statusBar()->isVisibleTo(this) || !isVisible());
}

void CMainFrame::TrackMenuFocus(QWidget* old, QWidget* now) {
    if (now == menuBar() && old && isAncestorOf(old))
        WidgetKit::SetFocusBeforeMenu(this, old);
    else if (old == menuBar())
        WidgetKit::SetFocusBeforeMenu(this, nullptr);
}

void CMainFrame::UpdateMainTitle() {
    const QString program = QStringLiteral("Tolvane");
    CChildFrame* frame = m_sessions.activeFrame();
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
    else if (const DocumentSession* session = m_sessions.active())
        title += QStringLiteral(" - ") + session->title();
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

QMenu* CMainFrame::CreateContextMenu(int submenu) {
    UpdateCommandStates();
    if (submenu == MenuChoose) {
        if (!m_sessions.active())
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
        connect(item, &QAction::triggered, this, [this, id] { Execute(id); });
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
        add(IdCloseWindow, QStringLiteral("C&lose")); // "&Copy" has the C here
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
    m_commands.window.OpenHexView(doc);
}

QuillonLauncher& CMainFrame::Calculator() {
    if (!m_calculator)
        m_calculator = std::make_unique<QuillonLauncher>(m_prompter, m_programDir);
    return *m_calculator;
}

void CMainFrame::launchCalculator() {
    Calculator().Launch();
}

bool CMainFrame::launchMidiHelp() {
    return m_midiHelp && m_midiHelp();
}

DocUndoStack* CMainFrame::undoStack(SystemDoc& doc) {
    DocumentSession* session = m_sessions.find(&doc);
    return session ? &session->undoStack() : nullptr;
}

void CMainFrame::ApplyDisplayRect() {
    const Settings::WindowRect& rect = m_settings.Display();
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width > 0 && height > 0) {
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
    m_settings.SetDisplay(rect);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    StoreDisplayRect();
    if (!m_flows.CloseAll(true)) {
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
            m_flows.Open(url.toLocalFile());
    }
}
