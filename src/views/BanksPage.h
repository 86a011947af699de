#pragma once

#include "dump/SystemDoc.h"
#include "widgets/SheetPage.h"

#include <QString>

#include <array>

class BankInfoPane;
class QSplitter;
class QTreeWidgetItem;
class TreeCtrlExt;

// Tab 2, "Banks": a tree with one item per bank number under a root, and beside it the pane
// showing the selected bank. Banks are opened in the bank editor, created, deleted, inserted or
// deleted with reorder, and copied and pasted.
class BanksPage : public SheetPage {
    Q_OBJECT
public:
    BanksPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    QString tabText() const override;

    // Null until the page is first shown.
    TreeCtrlExt* tree() const { return m_tree; }
    BankInfoPane* pane() const { return m_pane; }

    bool handleCommand(EditCommand command) override;
    bool commandState(EditCommand command, bool& enabled) const override;
    bool tabCycle(bool forward) override;

    // The number of the selected tree item: 0 for the root and when nothing is selected.
    int selectedBank() const;
    // Selects the item of bank n (0 the root); false when there is none.
    bool selectBank(int n);
    // Delete or insert at the selected item.
    void dispatch(bool insert, bool reorder);
    // Opens the bank editor on the selected item, creating an unused bank first.
    void openEditor();

protected:
    bool ignoresHint(int hint) const override;
    void rebuild(int hint) override;

private:
    void createControls();
    // Makes the tree anew.
    void rebuildTree();
    // Brings the items whose bank changed up to date and leaves the rest.
    void updateTree();
    // The text of bank n's item; false when the bank has no item.
    bool itemText(int n, QString& text) const;
    QString rootText() const;
    bool treeFocused() const;
    void insertBank(int n, bool reorder);
    void deleteBank(int n, bool reorder);
    void copy();
    void cut();
    void paste();
    void runEditor(int n);

    QSplitter* m_splitter = nullptr;
    TreeCtrlExt* m_tree = nullptr;
    BankInfoPane* m_pane = nullptr;
    // Per bank number: the record its item was made from (empty when unused) and the item (null
    // when the number is not listed).
    std::array<RecordSlot, SystemDoc::kBanks + 1> m_shown;
    std::array<QTreeWidgetItem*, SystemDoc::kBanks + 1> m_items{};
    bool m_shownHideBlanks = false;
};
