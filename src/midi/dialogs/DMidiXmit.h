#pragma once

#include "midi/TransferSettings.h"
#include "midi/dialogs/TransferDialog.h"

#include <cstdint>
#include <memory>
#include <vector>

class DownloadEngine;
class Prompter;
class UploadEngine;

// The "MIDI Transmission" dialog in one of its two directions: the download of a system dump
// from the device, or the upload of a dump image to it.
//
// Run it with exec() (or show() it, or call Start()); the prompter shows the start instructions
// and the error boxes, always on the user-interface thread. When it closes:
// - download: MakeDocument() tells whether ReceivedBytes() should become a new, modified
//   document (the result is Accepted exactly then; dumpReceived() is emitted just before it
//   closes, so the caller may also open the document while the dialog still exists);
// - upload: ErrorFlag() set means the caller says "An error occurred during the upload."; an
//   Abort is not an error (the result is Accepted when every byte went out).
class DMidiXmit : public TransferDialog {
    Q_OBJECT
public:
    enum class Direction { Download, Upload };

    // Download.
    DMidiXmit(const TransferSettings& settings, Prompter& prompter, QWidget* parent = nullptr);
    // Upload of a copy of the image.
    DMidiXmit(std::vector<uint8_t> image, const TransferSettings& settings, Prompter& prompter,
              QWidget* parent = nullptr);
    ~DMidiXmit() override;

    Direction GetDirection() const { return m_direction; }
    bool MakeDocument() const { return m_makeDocument; }
    const std::vector<uint8_t>& ReceivedBytes() const { return m_received; }
    bool ErrorFlag() const;
    unsigned TotalCount() const;
    int EoxCount() const;

    TransferEngine& Engine() override;

signals:
    void dumpReceived();
    // Download: a system dump arrived, before it is checked (see DownloadEngine::SetArrivalHook).
    void dumpArrived(const std::vector<uint8_t>& bytes);

protected:
    int Finish() override;

private:
    Direction m_direction;
    std::unique_ptr<DownloadEngine> m_download;
    std::unique_ptr<UploadEngine> m_upload;
    std::vector<uint8_t> m_received;
    bool m_makeDocument = false;
};
