#pragma once

#include <QString>

class Prompter;

// The editor's report of a failed start-up or shut-down step: the system's error code in decimal
// and hexadecimal with the system's text for it, where it happened and what was being done.
QString AppErrorReportText(int code, int location, const QString& text);
// Shows that report with the program's title and the stop icon.
void ShowAppErrorReport(Prompter& prompter, int code, int location, const QString& text);
