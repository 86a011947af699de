#pragma once

#include <QString>
#include <QWidget>

class DocListener;
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
    // How many times the page rebuilt its contents.
    int rebuildCount() const { return m_rebuilds; }

    SystemDoc& doc() const { return *m_doc; }
    ShellServices& shell() const { return *m_shell; }

protected:
    // Hints this page does not show (HintPatches ... HintConfig).
    virtual bool ignoresHint(int hint) const;
    // Creates or refills the page's contents from the document. hint is the change's hint
    // (0 for the first build and a pending refresh).
    virtual void rebuild(int hint) = 0;

private:
    void runRebuild(int hint);

    SystemDoc* m_doc;
    ShellServices* m_shell;
    bool m_active = false;
    bool m_refreshPending = false;
    bool m_built = false;
    int m_rebuilds = 0;
};
