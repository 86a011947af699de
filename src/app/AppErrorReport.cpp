#include "app/AppErrorReport.h"

#include "dump/Prompter.h"

#include <QtGlobal>

namespace {

constexpr int kMaxSystemTextLength = 75;
const char* const kSourceName = "ZIVBackup";
const char* const kCaption = "Tolvane";

} // namespace

QString AppErrorReportText(int code, int location, const QString& text) {
    // The report runs the system's text straight into "Error location", as the system's own
    // texts end with a line break; ours may not, so one is added.
    QString systemText = qt_error_string(code).left(kMaxSystemTextLength);
    if (!systemText.endsWith(QLatin1Char('\n')))
        systemText += QLatin1Char('\n');
    return QStringLiteral("Error %1 (0x%2): %3Error location: %4 line %5.\n%6\n")
        .arg(QString::number(code), QString::number(static_cast<unsigned int>(code), 16), systemText,
             QString::fromLatin1(kSourceName), QString::number(location), text);
}

void ShowAppErrorReport(Prompter& prompter, int code, int location, const QString& text) {
    prompter.Message(AppErrorReportText(code, location, text).toStdString(), kCaption, Prompter::Icon::Stop);
}
