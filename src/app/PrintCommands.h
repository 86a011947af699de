#pragma once

#include "app/CommandGroup.h"
#include "app/CommandIds.h"

#include <QPageSize>
#include <QString>

struct AppSeams;
class DocumentSession;
class Prompter;
class QPrinter;
class SessionList;
class Settings;

// The bank sheets of the active document: File > Print..., Print Preview... and Export Bank
// Sheets as PDF..., for a data window or a pedalboard.
class PrintCommands : public CommandGroup, private CommandIds {
    Q_OBJECT
public:
    PrintCommands(SessionList& sessions, Settings& settings, Prompter& prompter, AppSeams& seams,
                  QObject* parent = nullptr);

    void updateStates() override;

    // The paper of the user's part of the world: Letter where it is the custom, else A4.
    static QPageSize::PageSizeId LocalPaper();

private:
    void onPrint();
    void onPrintPreview();
    void onExportPdf();
    // The document the sheets are of: the active window's, unless it is a hex window.
    DocumentSession* target() const;
    static void prepare(QPrinter& printer, const DocumentSession& session);
    void paint(QPrinter& printer, const DocumentSession& session) const;

    SessionList& m_sessions;
    Settings& m_settings;
    Prompter& m_prompter;
    AppSeams& m_seams;
};
