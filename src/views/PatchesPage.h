#pragma once

#include "widgets/SheetPage.h"

#include <QString>

class ListCtrlExt;

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
    // Selects the row of patch n; false when it is not listed.
    bool selectPatch(int n);

protected:
    bool ignoresHint(int hint) const override;
    void rebuild(int hint) override;

private:
    void createControls();
    void sortRows();
    bool listFocused() const;
    void insertPatch(int n, bool reorder);
    void deletePatch(int n, bool reorder);
    void copy();
    void cut();
    void paste();
    void runEditor(int n);

    ListCtrlExt* m_list = nullptr;
};
