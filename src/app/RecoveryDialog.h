#pragma once

#include "fileops/RecoveryStore.h"

#include <QDialog>
#include <QString>

#include <vector>

class QPushButton;
class QTreeWidget;

// The question at start when recovery files were left by a Tolvane that did not close: the
// documents they hold, each with its title and the time of its last change, and Recover (the
// default), Discard and Cancel (Escape). The owner acts on choice() once the dialog is done.
class RecoveryDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kQuestionText =
        "Tolvane did not close normally. Recover the unsaved changes?";

    enum class Choice { Recover, Discard, Cancel };

    explicit RecoveryDialog(const std::vector<RecoveryStore::Entry>& entries, QWidget* parent = nullptr);

    Choice choice() const { return m_choice; }
    QTreeWidget* list() const { return m_list; }

    // The message that names the recovery files that did not read and where they were kept.
    static QString SetAsideText(const std::vector<RecoveryStore::SetAside>& setAside);

private:
    void Choose(Choice choice);

    Choice m_choice = Choice::Cancel;
    QTreeWidget* m_list = nullptr;
};
