#include "app/PrintCommands.h"

#include "app/AppSeams.h"
#include "app/SessionList.h"
#include "app/ToolbarIcons.h"
#include "dump/Prompter.h"
#include "settings/Settings.h"
#include "sheets/BankSheets.h"
#include "views/DocumentSession.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

PrintCommands::PrintCommands(SessionList& sessions, Settings& settings, Prompter& prompter, AppSeams& seams,
                             QObject* parent)
    : CommandGroup(parent), m_sessions(sessions), m_settings(settings), m_prompter(prompter), m_seams(seams) {
    add(IdFilePrint, QStringLiteral("P&rint..."),
        QStringLiteral("Print the bank sheets of the active document\nPrint (Ctrl+P)"),
        &PrintCommands::onPrint, QKeySequence(QKeySequence::Print))
        ->setIcon(ToolbarIcons::Print());
    add(IdFilePrintPreview, QStringLiteral("Print Pre&view..."),
        QStringLiteral("Show the bank sheets as they will print\nPrint Preview"),
        &PrintCommands::onPrintPreview);
    add(IdExportSheets, QStringLiteral("Export Bank Sheets as P&DF..."),
        QStringLiteral(
            "Write the bank sheets of the active document as a PDF file\nExport Bank Sheets as PDF"),
        &PrintCommands::onExportPdf);
}

QPageSize::PageSizeId PrintCommands::LocalPaper() {
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter : QPageSize::A4;
}

DocumentSession* PrintCommands::target() const {
    return m_sessions.activeHexView() ? nullptr : m_sessions.active();
}

void PrintCommands::updateStates() {
    const bool enabled = target() != nullptr;
    for (QAction* command : actions())
        command->setEnabled(enabled);
}

void PrintCommands::prepare(QPrinter& printer, const DocumentSession& session) {
    printer.setPageLayout(BankSheets::PageLayout(LocalPaper()));
    printer.setDocName(session.title());
}

void PrintCommands::paint(QPrinter& printer, const DocumentSession& session) const {
    BankSheets::Paint(printer, session.doc(), session.title(), QDate::currentDate());
}

void PrintCommands::onPrint() {
    DocumentSession* session = target();
    if (!session)
        return;
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, *session);
    QPrintDialog dialog(&printer, m_seams.dialogParent);
    dialog.setWindowTitle(QStringLiteral("Print Bank Sheets"));
    if (m_seams.execDialog(dialog) != QDialog::Accepted)
        return;
    paint(printer, *session);
    emit statusMessage(QStringLiteral("Printed the bank sheets of %1").arg(session->title()));
}

void PrintCommands::onPrintPreview() {
    DocumentSession* session = target();
    if (!session)
        return;
    QPrinter printer(QPrinter::HighResolution);
    prepare(printer, *session);
    QPrintPreviewDialog dialog(&printer, m_seams.dialogParent);
    dialog.setWindowTitle(QStringLiteral("Print Preview - %1").arg(session->title()));
    dialog.resize(900, 700);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this, session](QPrinter* device) {
        // The document may have gone while the preview was up.
        if (m_sessions.contains(session))
            paint(*device, *session);
    });
    m_seams.execDialog(dialog);
}

void PrintCommands::onExportPdf() {
    DocumentSession* session = target();
    if (!session)
        return;
    QString start = session->path().isEmpty() ? session->title() : session->path();
    start = QFileInfo(start).completeBaseName() + QStringLiteral(".pdf");
    const QString folder =
        session->path().isEmpty() ? m_settings.LastFolder() : QFileInfo(session->path()).absolutePath();
    if (!folder.isEmpty())
        start = QDir(folder).filePath(start);
    QString path = m_seams.chooseSave(m_seams.dialogParent, QStringLiteral("Export Bank Sheets as PDF"),
                                      start, QStringLiteral("PDF Files (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    QString error;
    const QString native = QDir::toNativeSeparators(path);
    if (BankSheets::WritePdf(session->doc(), path, LocalPaper(), session->title(), QDate::currentDate(),
                             error))
        emit statusMessage(QStringLiteral("Wrote %1").arg(native));
    else {
        const QString text = QStringLiteral("Could not write %1: %2").arg(native, error);
        m_prompter.Message(text.toStdString(), "Tolvane", Prompter::Icon::Exclamation);
        emit statusMessage(text);
    }
}
