#pragma once

#include "widgets/EditCommand.h"

#include <QList>
#include <QString>
#include <QWidget>

class DocListener;
class RecordSlot;
class ShellServices;
class SystemDoc;

// One page of a data window's tab sheet. A page is built the first time it becomes current;
// afterwards it follows the document's change notifications: a hint the page ignores costs
// nothing, a change while the page is not current only marks it refresh-pending, and the pending
// refresh runs when the page is shown again.
//
// Subclasses create their controls and fill them in rebuild(). The sheet calls activate() and
// deactivate() as the current tab changes, and Refresh() for every change of the document.
// User-interface thread only; the document and the shell outlive the page.
class SheetPage : public QWidget {
    Q_OBJECT
public:
    SheetPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);

    // The text of the page's tab.
    virtual QString tabText() const = 0;

    // A change notification. Ignored hints return at once; while the page is not current it is
    // marked refresh-pending; otherwise the page rebuilds.
    void Refresh(DocListener* sender, int hint);

    // The page became current: builds it the first time, runs a pending refresh.
    void activate();
    // The page stopped being current.
    void deactivate();

    bool isActive() const { return m_active; }
    bool isRefreshPending() const { return m_refreshPending; }
    // True once the page has been built (shown at least once).
    bool isBuilt() const { return m_built; }
    // How many times the page refreshed its contents.
    int rebuildCount() const { return m_rebuilds; }

    // A refresh brings only the rows whose records changed up to date (the default); off, every
    // refresh fills the page anew. Both leave the page looking the same.
    void setUpdatesInPlace(bool inPlace) { m_inPlace = inPlace; }
    bool updatesInPlace() const { return m_inPlace; }

    SystemDoc& doc() const { return *m_doc; }
    ShellServices& shell() const { return *m_shell; }

    // An edit command routed by the sheet. A page handles it only while its own list or tree has
    // the keyboard focus; false means "not handled" and leaves it to the next page.
    virtual bool handleCommand(EditCommand command);
    // The enable state of a command; false means "not handled" (and `enabled` is untouched).
    virtual bool commandState(EditCommand command, bool& enabled) const;
    // The Tab key while the page is visible; false when the page has no cycle of its own.
    virtual bool tabCycle(bool forward);

signals:
    // The focus or the selection inside the page changed, so the command states may have.
    void commandStatesChanged();

protected:
    // Moves the focus one step around a ring made of the sheet's tab strip followed by
    // `controls`, passing over disabled ones; an edit field that takes the focus has its text
    // selected. With the focus outside the ring, forward starts at the tab strip.
    bool cycleFocus(const QList<QWidget*>& controls, bool forward);

    // Whether replacing `old` (null or absent: `absentLength` bytes) by `record` keeps the dump
    // within what the device holds.
    bool replacementFits(const RecordSlot* old, const RecordSlot& record, int absentLength = 0) const;

    // Hints this page does not show (HintPatches ... HintConfig).
    virtual bool ignoresHint(int hint) const;
    // Creates the page's contents, or brings them up to date with the document. hint is the
    // change's hint (0 for the first build and a pending refresh).
    virtual void rebuild(int hint) = 0;

private:
    void runRebuild(int hint);

    SystemDoc* m_doc;
    ShellServices* m_shell;
    bool m_active = false;
    bool m_refreshPending = false;
    bool m_built = false;
    bool m_inPlace = true;
    int m_rebuilds = 0;
};
