#pragma once
#include <QWidget>
#include <vector>
class ShellServices;
class SystemDoc;
class PropSheetFormView : public QWidget {
    Q_OBJECT
public:
    enum class EditCommand { Copy, Paste, Delete, DeleteReorder, Insert, InsertReorder };
    PropSheetFormView(SystemDoc& doc, ShellServices&, QWidget* parent = nullptr) : QWidget(parent), m_doc(doc) {}
    void initialUpdate() {}
    void requestRefresh() {}
    SystemDoc& doc() const { return m_doc; }
    bool isCommandEnabled(EditCommand) const { return false; }
    void executeCommand(EditCommand) {}
    static std::vector<PropSheetFormView*> allViews() { return {}; }
signals:
    void commandStatesChanged();
private:
    SystemDoc& m_doc;
};
