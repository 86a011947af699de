#pragma once

#include "dump/DocListener.h"
#include "widgets/EditCommand.h"

#include <QWidget>

class ShellServices;
class SystemDoc;
class ZIVPropSheet;

// The data window's view: its whole area is the tab sheet of the document's configuration,
// patches, banks and sets. It follows the document's change notifications and takes the Edit
// commands of the main window, which it hands to the page whose list or tree has the focus.
//
// User-interface thread only; the document and the shell outlive the view.
class PropSheetFormView : public QWidget, public DocListener {
    Q_OBJECT
public:
    using EditCommand = ::EditCommand;

    PropSheetFormView(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    ~PropSheetFormView() override;

    // Builds the sheet, then refreshes it with hint 0.
    void initialUpdate();
    // The refresh request sent after New and after a download: hint 0 to every built page.
    void requestRefresh();

    SystemDoc& doc() const { return *m_doc; }
    // Null before initialUpdate().
    ZIVPropSheet* sheet() const { return m_sheet; }

    bool isCommandEnabled(EditCommand command) const;
    // Does nothing when the command is disabled.
    void executeCommand(EditCommand command);

    // The Hex View command: opens a hex window on this view's document.
    void openHexView();

    void OnUpdate(ZIVBackupDoc& doc, DocListener* sender, int hint) override;

signals:
    // The focus or a selection changed: the Edit commands' states may have changed.
    void commandStatesChanged();

private:
    void focusChanged(QWidget* old, QWidget* now);

    SystemDoc* m_doc;
    ShellServices* m_shell;
    ZIVPropSheet* m_sheet = nullptr;
};
