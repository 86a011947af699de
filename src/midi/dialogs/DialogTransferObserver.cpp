#include "midi/dialogs/DialogTransferObserver.h"

#include <QMetaObject>
#include <QThread>

DialogTransferObserver::DialogTransferObserver(QObject* parent) : QObject(parent) {}

template <typename Emit> void DialogTransferObserver::Deliver(Emit emitIt) {
    if (QThread::currentThread() == thread())
        emitIt();
    else
        QMetaObject::invokeMethod(this, emitIt, Qt::QueuedConnection);
}

void DialogTransferObserver::SetText(int control, const std::string& text) {
    const QString copy = QString::fromStdString(text);
    Deliver([this, control, copy] { emit textChanged(control, copy); });
}

void DialogTransferObserver::SetValue(int control, unsigned value) {
    Deliver([this, control, value] { emit valueChanged(control, value); });
}

void DialogTransferObserver::SetProgress(long done, long total) {
    const auto d = static_cast<qint64>(done);
    const auto t = static_cast<qint64>(total);
    Deliver([this, d, t] { emit progressChanged(d, t); });
}
