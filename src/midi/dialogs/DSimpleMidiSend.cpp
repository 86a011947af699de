#include "midi/dialogs/DSimpleMidiSend.h"

#include "midi/TestSendEngine.h"

DSimpleMidiSend::DSimpleMidiSend(std::vector<uint8_t> bytes, const TransferSettings& settings,
                                 Prompter& prompter, QWidget* parent)
    : TransferDialog(parent), m_count(static_cast<qint64>(bytes.size())),
      m_engine(std::make_unique<TestSendEngine>(Observer(), prompter, settings, std::move(bytes))) {
    SetProgressTotal(m_count);
    // The engine reports only the count it shows; the bar follows it.
    connect(&Observer(), &DialogTransferObserver::valueChanged, this, &DSimpleMidiSend::ShowTransmitted);
}

DSimpleMidiSend::~DSimpleMidiSend() {
    // Join the worker while the whole window still exists: its last act posts to it.
    m_engine.reset();
}

TransferEngine& DSimpleMidiSend::Engine() {
    return *m_engine;
}

bool DSimpleMidiSend::ErrorFlag() const {
    return m_engine->ErrorFlag();
}

unsigned DSimpleMidiSend::TransmittedCount() const {
    return m_engine->TransmittedCount();
}

void DSimpleMidiSend::ShowTransmitted(int control, unsigned value) {
    if (control == CtlValue1)
        SetProgressDone(value, m_count);
}

int DSimpleMidiSend::Finish() {
    const bool error = m_engine->Complete();
    return error || m_engine->Aborted() ? Rejected : Accepted;
}
