#pragma once

#include "dump/SystemDoc.h"
#include "widgets/SheetPage.h"

#include <QString>

#include <array>
#include <vector>

class ListCtrlExt;
class QLineEdit;
class QTreeWidgetItem;

// Tab 1, "Patches": one row per patch number 1-500 with the main settings of every patch that
// exists. Patches are opened in the patch editor, created, deleted, inserted or deleted with
// reorder (the numbers behind move), and copied and pasted. Rows sort by number or by name.
class PatchesPage : public SheetPage {
    Q_OBJECT
public:
    PatchesPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    QString tabText() const override;

    // The list; null until the page is first shown.
    ListCtrlExt* list() const { return m_list; }
    // The find field above the list: it narrows the list to the patches whose number or name
    // holds its text, ignoring case. Null until the page is first shown.
    QLineEdit* filterField() const { return m_filter; }
    // Ctrl+F: the find field takes the focus with its text selected.
    void focusFilter();
    // Selects the row of patch n, clearing a filter that hides it, and gives the list the
    // focus; false when the list has no such row.
    bool selectPatch(int n);

    bool handleCommand(EditCommand command) override;
    bool commandState(EditCommand command, bool& enabled) const override;

    // What a row sorts by: whether its patch exists, its "%03d" number text and its name.
    struct SortKey {
        bool exists = false;
        QString number;
        QString name;
    };
    // Below 0 when row a goes before row b for that sort column (0 number, 1 name) and direction.
    static int compareRows(const SortKey& a, const SortKey& b, int column, bool ascending);

    // A click on a header section: "Num" and "Name" sort, the rest is ignored.
    void headerClicked(int column);
    // Delete or insert at the selected row.
    void dispatch(bool insert, bool reorder);
    // Opens the patch editor on the selected row, creating an unused patch first.
    void openEditor();

protected:
    bool ignoresHint(int hint) const override;
    void rebuild(int hint) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    // Fills every row anew.
    void rebuildRows();
    // Brings the rows whose patch changed up to date and leaves the rest.
    void updateRows();
    // Changed or new rows back in sort order; the rest of the list is already in order. False
    // when every row could stay where it was.
    bool placeRows(const std::vector<QTreeWidgetItem*>& rows);
    // The selection and the scroll position as a refill leaves them: the same row index selected
    // (the same patch while the list is narrowed), the same rows in view.
    void restorePlace(int selectedIndex, int selectedNumber, int scroll);
    void sortRows();
    // Hides the rows the find text does not match; a hidden selected row gives way to the first
    // row shown.
    void applyFilter();
    bool listFocused() const;
    void insertPatch(int n, bool reorder);
    void deletePatch(int n, bool reorder);
    void copy();
    void cut();
    void paste();
    void runEditor(int n);

    ListCtrlExt* m_list = nullptr;
    QLineEdit* m_filter = nullptr;
    // Per patch number: the record its row was made from (empty when unused) and the row (null
    // when the number is not listed).
    std::array<RecordSlot, SystemDoc::kPatches + 1> m_shown;
    std::array<QTreeWidgetItem*, SystemDoc::kPatches + 1> m_rows{};
    bool m_shownHideBlanks = false;
};
