#pragma once

#include "dump/DumpComparison.h"

#include <QPointer>
#include <QWidget>

class PropSheetFormView;
class QLabel;
class QListWidget;

// The "Differences" window: one line for each difference between a data window's document and
// another dump, as the command-line diff prints them, or "No differences.". Enter or a double
// click on a line brings up its record in the data window: the page, the selection and, for a
// record the document holds, its editor. Not modal; it deletes itself when closed and does
// nothing more once the data window is gone. Two dumps that no window shows (two backups) are
// listed the same way, without a window to bring records up in.
class DifferencesWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kNoDifferencesText = "No differences.";

    // `description` names the two dumps above the lines.
    DifferencesWindow(PropSheetFormView& view, const DumpComparison& comparison, const QString& description,
                      QWidget* parent = nullptr);
    DifferencesWindow(const DumpComparison& comparison, const QString& description,
                      QWidget* parent = nullptr);

    QListWidget* list() const { return m_list; }
    // Brings up the record of line `row`; false when there is none to show.
    bool showRow(int row);

private:
    DifferencesWindow(PropSheetFormView* view, const DumpComparison& comparison, const QString& description,
                      QWidget* parent);

    QPointer<PropSheetFormView> m_view;
    QListWidget* m_list = nullptr;
};
