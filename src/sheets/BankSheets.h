#pragma once

#include "sheets/SheetLayout.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>

class QDate;
class QPagedPaintDevice;
class QPainter;
class SystemDoc;

// The bank sheets of a dump, to print and tape beside the board: every existing bank as a row of
// its nine pedals (or its sequence steps), each with its patch number and name in large type; a
// header with the document's title and the date, a footer "page N of M"; the five sets with the
// names of their banks after the last bank.
//
// The same pages go to a PDF file (QPdfWriter), a printer and the print preview (QPrinter). The
// text is drawn as text, so a PDF can be searched and copied from. User-interface thread only
// (or any thread that owns a QGuiApplication, as the command-line tool does).
class BankSheets {
public:
    // What the sheets are made for: the paper in landscape, with 10 mm margins.
    static QPageLayout PageLayout(QPageSize::PageSizeId paper);

    // Where every bank and set of the document goes on pages with printable area `area` (points).
    static SheetLayout::Plan Plan(const SystemDoc& doc, const QSizeF& area);

    // The footer of page `page` (from 1) of `count`.
    static QString PageFooter(int page, int count);

    // Paints every page on a device whose page layout is set (the print dialog sets a printer's),
    // starting new pages as it goes. `painter` must be active on `device`.
    static void Paint(QPainter& painter, QPagedPaintDevice& device, const SystemDoc& doc,
                      const QString& title, const QDate& date);
    // The same with a painter of its own; false when the device cannot be painted on.
    static bool Paint(QPagedPaintDevice& device, const SystemDoc& doc, const QString& title,
                      const QDate& date);

    // Writes the sheets as a PDF file, replacing `path` only once the whole file is written.
    // False, with a one-line reason in `error`, when it cannot.
    static bool WritePdf(const SystemDoc& doc, const QString& path, QPageSize::PageSizeId paper,
                         const QString& title, const QDate& date, QString& error);
};
