#pragma once

#include "widgets/SheetPage.h"

class ListCtrlExt;
class QSplitter;
class TreeCtrlExt;

// Tab 3, "Sets": a tree with the five sets under a root, and beside it the banks of the selected
// set with their names. Sets are opened in the set editor and copied and pasted; the banks of a
// set are opened in the bank editor. Sets are never created or deleted.
class SetsPage : public SheetPage {
    Q_OBJECT
public:
    SetsPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    QString tabText() const override;

    // Null until the page is first shown.
    TreeCtrlExt* tree() const { return m_tree; }
    ListCtrlExt* bankList() const { return m_list; }

    bool handleCommand(EditCommand command) override;
    bool commandState(EditCommand command, bool& enabled) const override;
    bool tabCycle(bool forward) override;

    // The selected set number: 0 for the root and when nothing is selected.
    int selectedSet() const;
    bool selectSet(int n);
    // Fills the bank list for set n (0 clears it).
    void ShowSet(int n);
    // Opens the set editor on the selected set.
    void openSet();
    // Opens the bank editor on the selected bank row, creating a deleted bank anew.
    void openBank();

protected:
    bool ignoresHint(int hint) const override;
    void rebuild(int hint) override;

private:
    void createControls();
    void rebuildTree();
    QString rootText() const;
    bool treeFocused() const;
    void copy();
    void paste();

    QSplitter* m_splitter = nullptr;
    TreeCtrlExt* m_tree = nullptr;
    ListCtrlExt* m_list = nullptr;
};
