#pragma once

#include "midi/dialogs/DialogTransferObserver.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;
class TransferEngine;

// The "MIDI Transmission" window the transfer dialogs share: a centred status line, two counter
// rows, the elapsed time, a progress bar and the default button "Abort". It runs one engine:
// Initialise on the user-interface thread, the loop on the engine's worker, and the engine's
// completion once the worker's finished notice has come back to this thread.
//
// Abort, Enter, Escape and the close box only set the engine's abort flag; the window stays up
// until the worker is done, then closes with the result of Finish().
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    ~TransferDialog() override;

    // Initialises the engine and starts its worker; showing the window does it once it is up.
    // Later calls do nothing.
    void Start();
    bool Started() const { return m_started; }
    // True once the engine's completion ran (the window is closed by then).
    bool Finished() const { return m_finished; }

    virtual TransferEngine& Engine() = 0;

    // "m:ss", the form the elapsed time is shown in.
    static QString FormatElapsed(qint64 ms);

    void reject() override;

protected:
    explicit TransferDialog(QWidget* parent);

    DialogTransferObserver& Observer() { return m_observer; }
    // Owner's thread, after the worker ended: runs the engine's completion, returns the result
    // the window closes with.
    virtual int Finish() = 0;
    // The size of what is sent, when it is known before the transfer starts.
    void SetProgressTotal(qint64 total);
    void SetProgressDone(qint64 done, qint64 total);
    void showEvent(QShowEvent* event) override;

private:
    void ShowText(int control, const QString& text);
    void ShowValue(int control, unsigned value);
    void OnWorkerFinished();
    void ShowElapsed();

    DialogTransferObserver m_observer;
    QLabel* m_status = nullptr;
    QLabel* m_label1 = nullptr;
    QLabel* m_value1 = nullptr;
    QLabel* m_bytes = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_value2 = nullptr;
    QLabel* m_elapsed = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_abort = nullptr;
    QElapsedTimer m_clock;
    QTimer m_tick;
    bool m_started = false;
    bool m_startQueued = false;
    bool m_finished = false;
};
