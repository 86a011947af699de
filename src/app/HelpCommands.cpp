#include "app/HelpCommands.h"

#include "app/AppSeams.h"
#include "app/ToolbarIcons.h"
#include "app/UpdateCheck.h"
#include "dump/Prompter.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>

HelpCommands::HelpCommands(Settings& settings, Prompter& prompter, AppSeams& seams, QString programDir,
                           QObject* parent)
    : CommandGroup(parent), m_settings(settings), m_prompter(prompter), m_seams(seams),
      m_programDir(std::move(programDir)) {
    add(IdHelp, QStringLiteral("&Help..."), QStringLiteral("Open the help page\nHelp"), &HelpCommands::onHelp,
        QKeySequence(QKeySequence::HelpContents));
    add(IdWebsite, QStringLiteral("&Tolvane Website..."),
        QStringLiteral("Visit the Tolvane website\nWebsite"), &HelpCommands::onWebsite)
        ->setIcon(ToolbarIcons::Website());
    add(IdCheckForUpdate, QStringLiteral("&Check for update"),
        QStringLiteral("Ask the website whether a newer version exists\nCheck for update"),
        &HelpCommands::onCheckForUpdate);
    add(IdAppAbout, QStringLiteral("&About Tolvane..."),
        QStringLiteral("Display program information, version number and copyright\nAbout"),
        &HelpCommands::onAbout)
        ->setIcon(ToolbarIcons::About());
    action(IdAppAbout)->setMenuRole(QAction::AboutRole);
}

QTextBrowser* HelpCommands::HelpWindow() const {
    return m_helpWindow.data();
}

HelpCommands::~HelpCommands() {
    delete m_helpWindow.data();
}

QString HelpCommands::HelpPage() const {
    // Beside the program first (a build tree, a portable copy), then where an installation puts it.
    const QDir programDir(m_programDir);
    QString path = programDir.filePath(QString::fromLatin1(kHelpFileName));
    if (!QFileInfo(path).isFile())
        path = QDir::cleanPath(programDir.filePath(QString::fromUtf8(TOLVANE_HELP_FOLDER_FROM_PROGRAM) +
                                                   QLatin1Char('/') + QString::fromLatin1(kHelpFileName)));
    return QFileInfo(path).isFile() ? path : QString();
}

void HelpCommands::OnHelp() {
    const QString page = HelpPage();
    if (page.isEmpty()) {
        m_prompter.Message(kHelpFailedText, "Tolvane", Prompter::Icon::Exclamation);
        return;
    }
    // A desktop without a browser for the page still gets to read it.
    if (!m_seams.openUrl(QUrl::fromLocalFile(page)))
        showInOwnWindow(page);
}

void HelpCommands::showInOwnWindow(const QString& page) {
    if (!m_helpWindow) {
        m_helpWindow = new QTextBrowser;
        m_helpWindow->setObjectName(QStringLiteral("helpWindow"));
        m_helpWindow->setAttribute(Qt::WA_DeleteOnClose);
        m_helpWindow->setWindowTitle(QStringLiteral("Tolvane Help"));
        m_helpWindow->setAccessibleName(QStringLiteral("Tolvane Help"));
        m_helpWindow->setOpenExternalLinks(true);
        m_helpWindow->resize(760, 600);
    }
    m_helpWindow->setSource(QUrl::fromLocalFile(page));
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void HelpCommands::onWebsite() {
    // No message when the browser cannot be started.
    QString address = m_settings.WebsiteAddress();
    if (!address.contains(QStringLiteral("://")))
        address.prepend(QStringLiteral("http://"));
    m_seams.openUrl(QUrl(address));
}

void HelpCommands::onCheckForUpdate() {
    if (!m_updateCheck) {
        m_updateCheck = std::make_unique<UpdateCheck>(m_prompter);
        m_updateCheck->SetUrlOpener([this](const QUrl& url) { return m_seams.openUrl(url); });
    }
    UpdateCheck::Server server;
    server.hostname = m_settings.Hostname();
    server.versionFile = m_settings.VersionFile();
    server.downloadUrl = m_settings.DownloadUrl();
    m_updateCheck->Start(server);
}

void HelpCommands::onAbout() {
    m_seams.runAbout();
}
