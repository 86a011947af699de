#pragma once

#include "fileops/DeviceHistory.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class DifferencesWindow;
class PropSheetFormView;
class SystemDoc;
class QPushButton;
class QTreeWidget;

// The device's history: one line for every backup in the backups folder, newest first, with its
// date and time, "Download" or "Upload", what it holds and what changed since the backup before.
// The selected backup can be opened (the window asks for it with openRequested; the owner opens
// it as an untitled copy), or compared, in a "Differences" window, with the active document or
// with the backup before it. Enter or a double click opens. Not modal; deletes itself when closed.
class DeviceHistoryWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Device History";

    // The data window of the active document, or null when there is none.
    using ActiveView = std::function<PropSheetFormView*()>;

    explicit DeviceHistoryWindow(const QString& folder, QWidget* parent = nullptr);
    ~DeviceHistoryWindow() override;

    void setActiveView(ActiveView activeView);

    const DeviceHistory& history() const { return *m_history; }
    QTreeWidget* list() const { return m_list; }
    // The index in history().Entries() of the selected line; -1 when none.
    int selectedEntry() const;

    // Reads the folder again, keeping the selection on the same file where it is still there.
    void reload();

    // Each beeps and does nothing (false, null) when the selection does not allow it.
    bool openSelected();
    DifferencesWindow* compareWithActive();
    DifferencesWindow* compareWithPrevious();

signals:
    void openRequested(const QString& path);

protected:
    void changeEvent(QEvent* event) override;

private:
    void fill();
    void updateButtons();
    DifferencesWindow* showDifferences(const SystemDoc& first, const SystemDoc& second,
                                       const QString& firstName, const QString& secondName,
                                       PropSheetFormView* view);

    std::unique_ptr<DeviceHistory> m_history;
    ActiveView m_activeView;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_compareActive = nullptr;
    QPushButton* m_comparePrevious = nullptr;
};
