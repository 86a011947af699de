#pragma once

#include "dump/SystemDoc.h"
#include "editors/CCAssignmentControls.h"
#include "widgets/SheetPage.h"

#include <array>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QContextMenuEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// Tab 0 of the data window: the system configuration.
//
// Read-only until Edit is pressed; the same button, then captioned OK, checks every field and
// only when all pass writes them into the document and sends the configuration hint. Cancel
// reloads the fields from the document. While editing, changes of the document do not overwrite
// what the user typed; leaving edit mode reloads.
class ConfigPage : public SheetPage {
    Q_OBJECT
public:
    ConfigPage(SystemDoc& doc, ShellServices& shell, QWidget* parent = nullptr);
    ~ConfigPage() override;
    QString tabText() const override;

    bool isEditing() const { return m_editing; }
    // The Edit/OK button passes commit = editing, Cancel passes false.
    void toggleEdit(bool commit);

protected:
    void rebuild(int hint) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildControls();
    void loadControls();
    void loadCounts();
    void setFieldsEnabled(bool enabled);
    // Checks every field, then writes them all; false (after the message) at the first failure,
    // with nothing written.
    bool validateAndSave();
    void openFilters();
    void message(const std::string& text);

    bool m_editing = false;
    // What the fields were last loaded from: the configuration record and the device channel.
    // A refresh that finds them unchanged leaves the fields alone.
    bool m_loaded = false;
    std::array<uint8_t, SystemDoc::kConfigSize> m_loadedConfig{};
    int m_loadedChannel = -1;

    QLineEdit* m_totalBanks = nullptr;
    QLineEdit* m_totalPatches = nullptr;
    QLineEdit* m_powerupPatch = nullptr;
    QLineEdit* m_powerupTimeout = nullptr;
    QComboBox* m_defaultChannel = nullptr;
    QLineEdit* m_currentBank = nullptr;
    QLineEdit* m_currentPatch = nullptr;
    QLineEdit* m_currentSet = nullptr;
    QComboBox* m_deviceChannel = nullptr;
    QCheckBox* m_filterRedundant = nullptr;
    QCheckBox* m_editSysexHex = nullptr;
    QCheckBox* m_midiMerging = nullptr;
    QCheckBox* m_reverseLeds = nullptr;
    std::array<std::unique_ptr<CCAssignmentControls>, 2> m_globalCCs;
    std::array<QComboBox*, 2> m_calMin{};
    std::array<QComboBox*, 2> m_calMax{};
    std::array<QComboBox*, 2> m_calType{};
    QPushButton* m_filters = nullptr;
    QPushButton* m_edit = nullptr;
    QPushButton* m_cancel = nullptr;
    QLabel* m_title = nullptr;
};
