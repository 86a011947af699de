#pragma once

#include "midi/TransferObserver.h"

#include <QObject>
#include <QString>

// Carries what a transfer engine reports to the dialog's thread. The worker must never wait for
// the user-interface thread (the dialog joins the worker), so a call from any other thread is
// queued to this object's thread and returns at once; a call on its own thread (the engine's
// Initialise and Complete) is delivered at once, behind everything the worker queued earlier.
// The signals are always emitted on this object's thread.
class DialogTransferObserver : public QObject, public TransferObserver {
    Q_OBJECT
public:
    explicit DialogTransferObserver(QObject* parent = nullptr);

    void SetText(int control, const std::string& text) override;
    void SetValue(int control, unsigned value) override;
    void SetProgress(long done, long total) override;

signals:
    void textChanged(int control, const QString& text);
    void valueChanged(int control, unsigned value);
    void progressChanged(qint64 done, qint64 total);

private:
    template <typename Emit> void Deliver(Emit emitIt);
};
