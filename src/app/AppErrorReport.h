#pragma once
#include "Prompter.h"
#include <QString>
inline void ShowAppErrorReport(Prompter& p, int, int, const QString& text) { p.Message(text.toStdString(), "Tolvane", Prompter::Icon::Stop); }
