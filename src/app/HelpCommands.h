#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"

#include <QPointer>
#include <QString>

#include <memory>

struct AppSeams;
class Prompter;
class QTextBrowser;
class Settings;
class UpdateCheck;

// The Help menu: the help page, the website, the update check and the about box.
class HelpCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    static constexpr const char* kHelpFailedText = "Not able to launch the help file.";
    static constexpr const char* kHelpFileName = "Tolvane.htm";

    HelpCommands(Settings& settings, Prompter& prompter, AppSeams& seams, QString programDir,
                 QObject* parent = nullptr);
    ~HelpCommands() override;

    void updateStates() override {}

    // The help page: beside the program, else where an installation puts it; null when none.
    QString HelpPage() const;
    // The page in a window of our own, when the desktop has nothing that opens it; null before.
    QTextBrowser* HelpWindow() const;
    UpdateCheck* UpdateChecker() const { return m_updateCheck.get(); }

    void OnHelp();

private:
    void onHelp() { OnHelp(); }
    void onWebsite();
    void onCheckForUpdate();
    void onAbout();
    void showInOwnWindow(const QString& page);

    Settings& m_settings;
    Prompter& m_prompter;
    AppSeams& m_seams;
    QString m_programDir;
    std::unique_ptr<UpdateCheck> m_updateCheck;
    QPointer<QTextBrowser> m_helpWindow;
};
