#pragma once

#include "midi/TransferSettings.h"
#include "midi/dialogs/TransferDialog.h"

#include <cstdint>
#include <memory>
#include <vector>

class Prompter;
class TestSendEngine;

// Sends a patch's MIDI string to the output port as a test, in the "MIDI Transmission" window.
// The caller runs it with exec() (or show() / Start()) after parsing the string's text; every
// complaint about the string or the port goes through the prompter. The result is Accepted when
// the whole string went out.
class DSimpleMidiSend : public TransferDialog {
    Q_OBJECT
public:
    DSimpleMidiSend(std::vector<uint8_t> bytes, const TransferSettings& settings, Prompter& prompter,
                    QWidget* parent = nullptr);
    ~DSimpleMidiSend() override;

    bool ErrorFlag() const;
    unsigned TransmittedCount() const;

    TransferEngine& Engine() override;

protected:
    int Finish() override;

private:
    void ShowTransmitted(int control, unsigned value);

    qint64 m_count;
    std::unique_ptr<TestSendEngine> m_engine;
};
