#include "midi/dialogs/DMidiXmit.h"

#include "midi/DownloadEngine.h"
#include "midi/UploadEngine.h"

DMidiXmit::DMidiXmit(const TransferSettings& settings, Prompter& prompter, QWidget* parent)
    : TransferDialog(parent), m_direction(Direction::Download),
      m_download(std::make_unique<DownloadEngine>(Observer(), prompter, settings)) {
    m_download->SetArrivalHook([this](const std::vector<uint8_t>& bytes) { emit dumpArrived(bytes); });
}

DMidiXmit::DMidiXmit(std::vector<uint8_t> image, const TransferSettings& settings, Prompter& prompter,
                     QWidget* parent)
    : TransferDialog(parent), m_direction(Direction::Upload) {
    const auto size = static_cast<qint64>(image.size());
    m_upload = std::make_unique<UploadEngine>(Observer(), prompter, settings, std::move(image));
    SetProgressTotal(size);
}

DMidiXmit::~DMidiXmit() {
    // Join the worker while the whole window still exists: its last act posts to it.
    m_download.reset();
    m_upload.reset();
}

TransferEngine& DMidiXmit::Engine() {
    if (m_download)
        return *m_download;
    return *m_upload;
}

bool DMidiXmit::ErrorFlag() const {
    return m_download ? m_download->ErrorFlag() : m_upload->ErrorFlag();
}

unsigned DMidiXmit::TotalCount() const {
    return m_download ? m_download->TotalCount() : m_upload->TotalCount();
}

int DMidiXmit::EoxCount() const {
    return m_download ? m_download->EoxCount() : m_upload->EoxCount();
}

int DMidiXmit::Finish() {
    if (m_download) {
        m_makeDocument = m_download->Complete(m_received);
        if (!m_makeDocument)
            return Rejected;
        emit dumpReceived();
        return Accepted;
    }
    const bool error = m_upload->Complete();
    return error || m_upload->Aborted() ? Rejected : Accepted;
}
