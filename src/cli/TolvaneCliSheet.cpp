// The sheet command: the bank sheets of a dump as a PDF file, without a window.
#include "cli/TolvaneCli.h"

#include "dump/SystemDoc.h"
#include "sheets/BankSheets.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <cstdio>
#include <memory>
#include <ostream>

#include "cli/TolvaneCliArgs.h"

namespace {
// The platform's notes (a missing runtime folder, say) are no business of a script reading
// stderr; only real failures get through.
void QuietMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// Fonts and painting need a GUI application; a PDF needs no display, so without a platform of
// the user's choosing it runs offscreen.
std::unique_ptr<QGuiApplication> GuiForPainting() {
    if (QCoreApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    static int argc = 1;
    static char name[] = "tolvane-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// FILE with ".pdf" in place of its ".syx" (or after it, for any other name).
QString DefaultOutput(const QString& file) {
    if (file.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive))
        return file.left(file.size() - 4) + QStringLiteral(".pdf");
    return file + QStringLiteral(".pdf");
}
} // namespace

int TolvaneCli::Sheet(Args& a) {
    if (a.words.size() != 1)
        return UsageError("sheet takes one file");
    QPageSize::PageSizeId paper = QPageSize::A4;
    if (a.values.count("--paper")) {
        const std::string& name = a.values["--paper"];
        if (name == "letter")
            paper = QPageSize::Letter;
        else if (name != "a4")
            return UsageError("--paper must be a4 or letter");
    }
    const QString input = QString::fromStdString(a.words[0]);
    const QString output =
        a.values.count("-o") ? QString::fromStdString(a.values["-o"]) : DefaultOutput(input);
    SystemDoc doc;
    if (!Open(a.words[0], doc))
        return 2;
    const std::unique_ptr<QGuiApplication> gui = GuiForPainting();
    QString error;
    if (!BankSheets::WritePdf(doc, output, paper, QString::fromStdString(doc.GetTitle()),
                              QDate::currentDate(), error))
        return Failure("cannot write '" + output.toStdString() + "': " + error.toStdString());
    m_out << QDir::cleanPath(QFileInfo(output).absoluteFilePath()).toStdString() << '\n';
    return 0;
}
