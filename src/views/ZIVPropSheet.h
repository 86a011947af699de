#pragma once

#include "widgets/EditCommand.h"

#include <QIcon>
#include <QTabWidget>

class BanksPage;
class DocListener;
class PatchesPage;
class SetsPage;
class SheetPage;
class ShellServices;
class SystemDoc;

// The data window's tabs: the system configuration, "Patches", "Banks" and "Sets". A page is
// built the first time it is shown; change notifications fan out to the pages built so far; the
// current tab alone carries a small mark. The edit commands go to the page whose list or tree has
// the keyboard focus (paste: to the page of the record kind on the clipboard).
//
// Keys: Ctrl+Tab, Ctrl+Shift+Tab, Ctrl+PgUp and Ctrl+PgDn switch tabs; on the banks and sets
// pages Tab cycles through the tab strip and the page's controls. Ctrl+F goes to the find field
// of the patches page.
class ZIVPropSheet : public QTabWidget {
    Q_OBJECT
public:
    enum Tab { TabConfig = 0, TabPatches = 1, TabBanks = 2, TabSets = 3 };

    ZIVPropSheet(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    ~ZIVPropSheet() override;

    // Passes a change notification to the pages in the order configuration, banks, patches,
    // sets; pages never shown are skipped (they build when first shown).
    void Refresh(DocListener* sender, int hint);

    SheetPage* page(int tab) const;
    SheetPage* configPage() const { return m_config; }
    PatchesPage* patchesPage() const { return m_patches; }
    BanksPage* banksPage() const { return m_banks; }
    SetsPage* setsPage() const { return m_sets; }
    // The mark of the current tab.
    const QIcon& currentTabIcon() const { return m_currentIcon; }

    bool isCommandEnabled(EditCommand command) const;
    // Does nothing when the command is disabled.
    void executeCommand(EditCommand command);
    // Shows the page of a record kind (an update hint) with the record selected.
    void revealRecord(int hint, int number);

signals:
    void commandStatesChanged();

protected:
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void currentTabChanged(int index);
    // The page that a paste goes to, by the record kind on the clipboard; null when none.
    SheetPage* pasteTarget() const;
    // The focus widget when it is a text field inside the sheet, else null.
    QWidget* focusedTextField() const;
    bool isTabSwitchKey(const QKeyEvent* event) const;

    SheetPage* m_config;
    PatchesPage* m_patches;
    BanksPage* m_banks;
    SetsPage* m_sets;
    QIcon m_currentIcon;
    int m_current = -1;
};
