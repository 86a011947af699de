#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;

// The calculator's one window. Settings live in QSettings("Morvik", "Quillon"): "AutoCopy" is
// written on Exit, "Position" when the dialog is destroyed.
class QuillonDialog : public QDialog {
    Q_OBJECT
public:
    explicit QuillonDialog(QWidget* parent = nullptr);
    ~QuillonDialog() override;

    int Mode() const { return m_mode; }

    // Remote "raise": back from minimised, to the front.
    void BringForward();
    // Exit button, close box, Escape and remote "close" all end here.
    void reject() override;

    void ShowAbout();

private:
    // Set while the program itself writes into the result or MSB/LSB fields, so that its own
    // writes are not taken for typing. Restores the previous state, so writes may nest.
    class Updating;

    void BuildControls();
    void SetMode(int mode);
    void ShowLabelled(QLabel* label, QWidget* control, const QString& caption);
    void Compose();
    void Convert(bool toDecimal);
    void Decompose();
    void OnMsbLsbEdited();
    void OnMidiHelp();
    void OutputResult(const QString& text, const QString& msbLsb = QString());
    void RestorePosition();
    void SavePosition();

    int m_mode = 0;
    bool m_updating = false;
    QString m_helpPath;

    QLabel* m_resultLabel = nullptr;
    QLineEdit* m_result = nullptr;
    QCheckBox* m_autoCopy = nullptr;
    QPushButton* m_midiHelp = nullptr;
    QRadioButton* m_programChange = nullptr;
    QRadioButton* m_controlChange = nullptr;
    QRadioButton* m_noteOn = nullptr;
    QRadioButton* m_noteOff = nullptr;
    QRadioButton* m_decimal = nullptr;
    QRadioButton* m_hexadecimal = nullptr;
    QRadioButton* m_pitchBend = nullptr;
    QRadioButton* m_msbLsb = nullptr;
    QRadioButton* m_decomposer = nullptr;
    QStackedWidget* m_rightPages = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QLabel* m_channelLabel = nullptr;
    QComboBox* m_channel = nullptr;
    QLabel* m_data1Label = nullptr;
    QComboBox* m_data1 = nullptr;
    QLabel* m_data2Label = nullptr;
    QComboBox* m_data2 = nullptr;
    QLabel* m_msbLsbLabel = nullptr;
    QLineEdit* m_msbLsbEdit = nullptr;
    QPushButton* m_exit = nullptr;
};
